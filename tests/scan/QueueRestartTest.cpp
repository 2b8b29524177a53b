// Restarting the add-in between deliveries: every message is checked exactly once, in either mode.
#include "core/Text.h"
#include "scan/NewMailFixture.h"

namespace tw::test {
namespace {

class QueueRestart : public NewMailFixture, public ::testing::WithParamInterface<QueueMode> {};

TEST_P(QueueRestart, NoMessageIsCheckedTwiceAndNoneIsMissed) {
    start(GetParam());
    engine.setScoreFor("Spam", 99);
    auto before1 = deliver("before1@x.example", "Hello before");
    auto before2 = deliver("before2@x.example", "Spam before");
    runQueue();

    h.disconnectAddin();
    auto away1 = deliver("away1@x.example", "Hello while away");
    auto away2 = deliver("away2@x.example", "Spam while away");
    h.loop.advance(60000);

    h.connectAddin();
    auto after = deliver("after@x.example", "Hello after");
    runQueue();

    for (const char* sender : {"before1@x.example", "before2@x.example", "away1@x.example", "away2@x.example",
                               "after@x.example"})
        EXPECT_EQ(timesScored(sender), 1) << sender;
    EXPECT_TRUE(inJunk(before2));
    EXPECT_TRUE(inJunk(away2));
    EXPECT_TRUE(inInbox(away1));
    EXPECT_TRUE(inInbox(after));

    h.disconnectAddin();
    h.connectAddin();
    queue().setEnabled(true);
    runQueue(40LL * 60 * 1000);
    EXPECT_EQ(engine.callsStartingWith("TW_score(").size(), 5u) << "a second restart checks nothing again";
}

std::string modeName(const ::testing::TestParamInfo<QueueMode>& param) {
    return param.param == QueueMode::marker ? "Marker" : "Cache";
}
INSTANTIATE_TEST_SUITE_P(BothModes, QueueRestart, ::testing::Values(QueueMode::marker, QueueMode::cache), modeName);

class CacheMode : public NewMailFixture {};

TEST_F(CacheMode, TheCacheFileListsCheckedUnreadMailAndIsCleanedOfReadOrGoneMail) {
    start(Mode::cache);
    auto kept = deliver("a@x.example", "Kept unread");
    auto read = deliver("b@x.example", "Read later");
    auto gone = deliver("c@x.example", "Deleted later");
    EXPECT_FALSE(marked(kept)) << "cache mode writes nothing into messages";
    EXPECT_EQ(queue().processedCache().size(), 3u);

    read->setUnRead(false);
    gone->Delete();
    gone->Delete();
    h.loop.advance(61LL * 60 * 1000);
    EXPECT_EQ(queue().processedCache().snapshot(), std::vector<std::string>{text::lower(kept->EntryID())});
    EXPECT_TRUE(h.logHas("entered cleanprocessedcache"));

    const std::string path = h.addin().dataFolder() + "\\tarnwickmpc.txt";
    h.disconnectAddin();
    EXPECT_EQ(h.files.readAll(path), text::lower(kept->EntryID()));
}

TEST_F(CacheMode, AnUntrackedScanChecksEverythingUnreadAndStillRecordsIt) {
    start(Mode::cache);
    auto seen = deliver("a@x.example", "Seen");
    auto unseen = h.client.deliverMessage(message("b@x.example", "me@home.example", "Unseen"),
                                          h.client.inbox());
    queue().scanFolderTable(queue().items(), scan::scanUnreadOnly | scan::scanUntracked, h.client.inbox()->StoreID());
    EXPECT_EQ(timesScored("a@x.example"), 2);
    EXPECT_EQ(timesScored("b@x.example"), 2);
    EXPECT_TRUE(queue().processedCache().contains(text::lower(unseen->EntryID())));
    EXPECT_TRUE(h.logHas("scanf track: False"));
    (void)seen;
}

TEST_F(CacheMode, ACrashWhileSavingTheCacheKeepsTheLastGoodFile) {
    start(Mode::cache);
    auto first = deliver("a@x.example", "First");
    restart();
    const std::string path = h.addin().dataFolder() + "\\tarnwickmpc.txt";
    const std::string good = h.files.readAll(path);
    ASSERT_EQ(good, text::lower(first->EntryID()));

    deliver("b@x.example", "Second");
    h.files.failNext("replaceContents");
    restart();
    EXPECT_EQ(h.files.readAll(path), good);
    EXPECT_TRUE(h.logHas("SaveProcessedCache : Error"));
    // The first message is still known; only the one that could not be recorded is checked again.
    EXPECT_TRUE(queue().processedCache().contains(text::lower(first->EntryID())));
    EXPECT_EQ(queue().processedCache().size(), 1u);
}

}  // namespace
}  // namespace tw::test
