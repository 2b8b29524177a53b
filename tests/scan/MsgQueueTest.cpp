// The Inbox queue's passes: batches, the quiet period, events during a pass, mode switches, the icon.
#include "core/Text.h"
#include "scan/NewMailFixture.h"

namespace tw::test {
namespace {

class InboxQueue : public NewMailFixture {
protected:
    /// Unread mail that arrived while the add-in was not running: no ItemAdd reached it.
    std::vector<std::shared_ptr<sim::SimItem>> arrivedWhileAway(int count) {
        std::vector<std::shared_ptr<sim::SimItem>> items;
        for (int i = 0; i < count; ++i)
            items.push_back(deliver("away" + std::to_string(i) + "@x.example", "Away " + std::to_string(i)));
        return items;
    }
    int markedCount(const std::vector<std::shared_ptr<sim::SimItem>>& items) {
        int n = 0;
        for (const auto& item : items) n += marked(item) ? 1 : 0;
        return n;
    }
};

TEST_F(InboxQueue, MarkerModeChecksTwoPerTickThenDisablesItself) {
    auto away = arrivedWhileAway(3);
    start();
    queue().setEnabled(true);
    h.loop.advance(2000);
    EXPECT_EQ(markedCount(away), 2);
    EXPECT_TRUE(queue().Enabled());
    h.loop.advance(2000);
    EXPECT_EQ(markedCount(away), 3);
    h.loop.advance(2000);
    EXPECT_FALSE(queue().Enabled());
    EXPECT_TRUE(h.logHas("no candidate messages2. Disabling scanning"));
    for (const auto& item : away) EXPECT_EQ(timesScored(item->sender()->address), 1);
}

TEST_F(InboxQueue, NoPassRunsUntilNewMailHasBeenQuietForFiveSeconds) {
    auto away = arrivedWhileAway(1);
    start();
    for (int i = 0; i < 4; ++i) {
        deliver("busy" + std::to_string(i) + "@x.example", "Burst " + std::to_string(i));
        h.loop.advance(2000);
    }
    EXPECT_FALSE(marked(away[0])) << "new mail kept arriving: no pass yet";
    h.loop.advance(6000);
    EXPECT_TRUE(marked(away[0]));
}

TEST_F(InboxQueue, NewMailDuringAPassIsCheckedOnceAndThePassKeepsItsBusyFlag) {
    auto away = arrivedWhileAway(2);
    start();
    queue().setEnabled(true);
    std::shared_ptr<sim::SimItem> arrived;
    bool busyAfterNewMail = false;
    h.loop.post([&] {
        arrived = deliver("new@x.example", "Arrived mid-pass");
        busyAfterNewMail = queue().Busy();
    });
    queue().processMail(queue().items());

    ASSERT_TRUE(arrived);
    EXPECT_TRUE(busyAfterNewMail) << "a second pass could start while this one still walks the folder";
    EXPECT_FALSE(queue().Busy());
    EXPECT_EQ(timesScored("new@x.example"), 1);
    EXPECT_EQ(markedCount(away), 2);
    runQueue();
    EXPECT_EQ(timesScored("new@x.example"), 1);
    EXPECT_EQ(timesScored("away0@x.example"), 1);
    EXPECT_EQ(timesScored("away1@x.example"), 1);
}

TEST_F(InboxQueue, ClearingEnabledDuringAPassStopsItAfterTheCurrentMessage) {
    auto away = arrivedWhileAway(2);
    start();
    queue().setEnabled(true);
    h.loop.post([&] { queue().setEnabled(false); });
    queue().processMail(queue().items());
    EXPECT_EQ(markedCount(away), 1);
    EXPECT_FALSE(queue().Busy());
}

TEST_F(InboxQueue, ClearingDoScanFolderStopsATableScan) {
    auto away = arrivedWhileAway(3);
    start(Mode::cache);
    // Each yield runs what the one before posted: the scan yields once before its first row,
    // then before each row, so the stop arrives while the second row is being read.
    h.loop.post([&] { h.loop.post([&] { h.loop.post([&] { queue().setDoScanFolder(false); }); }); });
    EXPECT_TRUE(queue().scanFolderTable(queue().items(), scan::scanUnreadOnly, h.client.inbox()->StoreID()));
    EXPECT_EQ(queue().processedCache().size(), 2u);
    EXPECT_FALSE(queue().processedCache().contains(text::lower(away[2]->EntryID())));
    EXPECT_FALSE(queue().Busy());
    EXPECT_FALSE(queue().Enabled());
}

TEST_F(InboxQueue, SpamBeforeAnyLegitimateMailRemovesTheNewMailIcon) {
    start();
    engine.setScoreFor("Spam", 99);
    deliver("s1@x.example", "Spam one");
    EXPECT_EQ(h.shell.newMailIconRemovals, 1);
    deliver("ok@x.example", "Fine");
    deliver("s2@x.example", "Spam two");
    EXPECT_EQ(h.shell.newMailIconRemovals, 1) << "legitimate mail arrived: its icon stays";
}

TEST_F(InboxQueue, TheNewMailIconIsLeftToClientsThatHandleItThemselves) {
    h.client.setVersion("11.0.0.5510");
    start();
    engine.setScoreFor("Spam", 99);
    deliver("s1@x.example", "Spam one");
    EXPECT_EQ(h.shell.newMailIconRemovals, 0);
}

TEST_F(InboxQueue, AMarkerThatCannotBeSavedSwitchesTheQueueToCacheMode) {
    start();
    h.client.faults().failNext("Save:Changed elsewhere");
    auto item = deliver("x@x.example", "Changed elsewhere");
    EXPECT_FALSE(queue().useUserProperties());
    EXPECT_FALSE(settings().useuserprops);
    EXPECT_EQ(settingsKey().getNumberFromRegistry("useuserprops"), 0);
    EXPECT_TRUE(queue().processedCache().contains(text::lower(item->EntryID())));
    EXPECT_TRUE(h.logHas("checkMailItem : Error"));

    auto next = deliver("y@x.example", "After the switch");
    EXPECT_FALSE(marked(next));
    EXPECT_TRUE(queue().processedCache().contains(text::lower(next->EntryID())));
}

TEST_F(InboxQueue, ASpamVerdictSurvivesTheSwitchToCacheMode) {
    start();
    engine.setScoreFor("Spam", 99);
    h.client.faults().failNext("Save:Spam changed elsewhere");
    auto spam = deliver("s@x.example", "Spam changed elsewhere");
    EXPECT_FALSE(queue().useUserProperties());
    EXPECT_TRUE(inJunk(spam)) << "the marker could not be saved, but the message is spam all the same";
    EXPECT_EQ(settings().caught, 1);
    EXPECT_EQ(settings().processed, 1);
    queue().setEnabled(true);
    runQueue(40LL * 60 * 1000);
    EXPECT_EQ(timesScored("s@x.example"), 1);
}

TEST_F(InboxQueue, AMarkerPassThatLeavesMarkerModeRecordsWhatItChecked) {
    auto fine = deliver("fine@x.example", "Fine away");
    auto spam = deliver("s@x.example", "Spam away");
    engine.setScoreFor("Spam", 99);
    h.client.faults().failNext("Save:Spam away");
    start();
    queue().setEnabled(true);
    h.loop.advance(2000);
    EXPECT_FALSE(queue().useUserProperties());
    EXPECT_TRUE(inJunk(spam));
    EXPECT_EQ(settings().caught, 1);
    EXPECT_EQ(settings().processed, 2);
    EXPECT_TRUE(queue().processedCache().contains(text::lower(spam->EntryID())));
    runQueue(40LL * 60 * 1000);
    EXPECT_EQ(timesScored("s@x.example"), 1);
    EXPECT_TRUE(inInbox(fine));
}

TEST_F(InboxQueue, AFirstStartDatesItsStampsAndTeardownStoresThem) {
    start();
    OleDate now = h.loop.now();
    EXPECT_EQ(queue().lastCheckDate(), now.plusDays(-7));
    EXPECT_EQ(queue().lastProcessedCacheCleanUp().serial(), 0.0);
    EXPECT_EQ(settingsKey().getNumberFromRegistry("migrated"), 2);
    EXPECT_EQ(settings().migrated, 2);
    h.disconnectAddin();
    EXPECT_EQ(settingsKey().readDate("lastrun"), now.plusDays(-7));
    EXPECT_EQ(settingsKey().readDate("pfrun"), now.plusDays(-365));
    EXPECT_EQ(settingsKey().readDate("pfrun2"), now.plusDays(-365));
    EXPECT_EQ(settingsKey().readDate("mpclean").serial(), 0.0);
}

TEST_F(InboxQueue, ReadMailTeachesItsSendersAsCorrespondents) {
    auto old = deliver("reader@x.example", "Read long ago");
    old->setUnReadQuietly(false);
    h.loop.advance(2LL * 24 * 3600 * 1000);
    start();
    queue().setEnabled(true);
    h.loop.advance(2000);
    EXPECT_TRUE(h.logHas("try to add reader@x.example"));
    EXPECT_FALSE(engine.callsStartingWith("TW_addSpamAddrFrom(1,reader@x.example,1,").empty());
    auto trained = engine.callsStartingWith("TW_addMessage(1,");
    ASSERT_EQ(trained.size(), 1u);
    EXPECT_NE(trained[0].find(",-100,0)"), std::string::npos);
    EXPECT_EQ(queue().lastCheckDate().serial() > 0, true);
}

// The queue's timer goes on only while a table scan says it found work: rows it could not check
// (already in the cache, gone, or not mail) are no work.
TEST_F(InboxQueue, ATableScanFindsWorkOnlyWhenItChecksAMailItem) {
    start(Mode::cache);
    deliver("seen@x.example", "Checked on arrival");
    const std::string store = h.client.inbox()->StoreID();
    EXPECT_FALSE(queue().scanFolderTable(queue().items(), scan::scanUnreadOnly, store)) << "a cache hit is no work";

    auto note = h.client.createItem(outlook::olPost, "A note");
    note->setUnReadQuietly(true);
    h.client.inbox()->adoptItem(note);
    EXPECT_FALSE(queue().scanFolderTable(queue().items(), scan::scanUnreadOnly, store));
    EXPECT_TRUE(h.logHas("scanf not mailitem"));

    const int32_t everyUnread = scan::scanUnreadOnly | scan::scanUntracked;
    h.client.faults().failAlways("GetItemFromID");
    EXPECT_FALSE(queue().scanFolderTable(queue().items(), everyUnread, store)) << "messages gone meanwhile are no work";
    EXPECT_TRUE(h.logHas("scanf message not found"));
    h.client.faults().clearFailures();
    EXPECT_TRUE(queue().scanFolderTable(queue().items(), everyUnread, store));
}

}  // namespace
}  // namespace tw::test
