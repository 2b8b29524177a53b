// The learning scan: correspondents from Sent Items and read Inbox mail, its time limit, and that
// start-up runs it exactly once per profile, also for profiles an older build marked as done.
#include "scan/LearningScan.h"
#include "scan/NewMailFixture.h"
#include "settings/ServiceAddresses.h"

namespace tw::test {
namespace {

class LearningScan : public NewMailFixture {
protected:
    std::shared_ptr<sim::SimFolder> sentFolder() { return h.client.defaultFolder(outlook::olFolderSentMail); }
    std::shared_ptr<sim::SimItem> sent(const std::string& to, const std::string& subject) {
        return h.client.deliverMessage(message("me@home.example", to, subject), sentFolder());
    }
    /// Mail the user read before this start: the learning takes read mail older than a day.
    void readLongAgo(const std::string& from, const std::string& subject) {
        deliver(from, subject)->setUnReadQuietly(false);
    }
    void markLearningDone() {
        settingsKey().writeNumber("migrated", 2);
        settingsKey().writeNumber("learningscan", 1);
    }
    size_t count(const std::string& callStart) { return engine.callsStartingWith(callStart).size(); }
    /// Calls of one engine function holding this text, whatever engine handle a start-up got.
    size_t calls(const std::string& function, const std::string& part) {
        size_t n = 0;
        for (const auto& call : engine.callsStartingWith(function + "("))
            if (call.find(part) != std::string::npos) ++n;
        return n;
    }
    size_t writtenTo(const std::string& address) { return calls("TW_addSpamAddrTo", "," + address + ",1,"); }
    size_t readFrom(const std::string& address) { return calls("TW_addSpamAddrFrom", "," + address + ",1,"); }
    size_t trainedWith(int weight) { return calls("TW_addMessage", "," + std::to_string(weight) + ",0)"); }
};

TEST_F(LearningScan, SentMailTeachesItsRecipientsAndTrainsAsOwnMailButAReportDoesNot) {
    sent("pal@friends.example, Second <Two@Friends.example>", "Lunch?");
    h.client.deliverMessage("From: me@home.example\r\nTo: pal@friends.example\r\nCc: three@friends.example\r\n"
                            "Subject: Dinner\r\n\r\nHello.\r\n",
                            sentFolder());
    sent(settings::serviceAddresses(h.registry).reportAddress(1), "Spam report");
    markLearningDone();
    start();

    scan::ScanMessages(h.addin(), sentFolder()->Items(), true);
    EXPECT_EQ(writtenTo("pal@friends.example"), 1u) << "each address once per scan";
    EXPECT_EQ(writtenTo("two@friends.example"), 1u);
    EXPECT_EQ(writtenTo("three@friends.example"), 1u);
    EXPECT_EQ(count("TW_addSpamAddrTo("), 3u) << "the report mailbox is no correspondent";
    EXPECT_EQ(trainedWith(-120), 2u) << "the report carries spam: it must not train as the user's own mail";

    readLongAgo("Friend@Far.example", "Hi");
    scan::ScanMessages(h.addin(), h.client.inbox()->Items(), false);
    EXPECT_EQ(writtenTo("friend@far.example"), 1u);
    EXPECT_EQ(trainedWith(-120), 2u) << "received mail does not train as sent mail";
}

TEST_F(LearningScan, StopsWhenTenSecondsOfTheClockHavePassed) {
    constexpr int kMessages = 30;
    for (int i = 0; i < kMessages; ++i) sent("pal" + std::to_string(i) + "@friends.example", "Note " + std::to_string(i));
    markLearningDone();
    start();

    const int64_t before = h.loop.elapsedMs();
    h.loop.setTimePerClockRead(400);
    scan::ScanMessages(h.addin(), sentFolder()->Items(), true);
    h.loop.setTimePerClockRead(0);
    const size_t trained = trainedWith(-120);
    EXPECT_GT(trained, 0u);
    EXPECT_LT(trained, static_cast<size_t>(kMessages)) << "a slow folder must not hold up start-up";
    EXPECT_GE(h.loop.elapsedMs() - before, 10000);
    EXPECT_GT(count("TW_addSpamAddrTo("), 0u) << "what was read before the limit is still learnt";

    scan::ScanMessages(h.addin(), sentFolder()->Items(), true);
    EXPECT_EQ(trainedWith(-120), trained + kMessages) << "with time to spare the scan reads the whole folder";
}

TEST_F(LearningScan, AFreshProfileLearnsFromSentAndReadMailAtFirstStartOnly) {
    sent("pal@friends.example", "Lunch?");
    readLongAgo("reader@x.example", "Read long ago");
    h.loop.advance(2LL * 24 * 3600 * 1000);
    deliver("unread@x.example", "Not read yet");
    start();

    EXPECT_EQ(writtenTo("pal@friends.example"), 1u);
    EXPECT_EQ(readFrom("reader@x.example"), 1u) << "the pass over read Inbox mail must run at the first start";
    EXPECT_EQ(readFrom("unread@x.example"), 0u);
    EXPECT_EQ(trainedWith(-120), 1u);
    EXPECT_EQ(trainedWith(-100), 1u);
    EXPECT_EQ(settingsKey().getNumberFromRegistry("migrated"), 2);
    EXPECT_EQ(settingsKey().getNumberFromRegistry("learningscan"), 1);
    EXPECT_FALSE(queue().Enabled()) << "the learning leaves the queue as start-up made it";
    EXPECT_FALSE(queue().Busy());

    restart();
    queue().setEnabled(true);
    runQueue(3LL * 60 * 1000);
    EXPECT_EQ(writtenTo("pal@friends.example"), 1u) << "a second start learns nothing again";
    EXPECT_EQ(trainedWith(-120), 1u);
    EXPECT_EQ(trainedWith(-100), 1u) << "read mail already examined is not examined again";
}

TEST_F(LearningScan, AProfileTheOldBuildMarkedDoneLearnsOnceDespiteARecentTimerPass) {
    sent("pal@friends.example", "Lunch?");
    readLongAgo("reader@x.example", "Read long ago");
    h.loop.advance(2LL * 24 * 3600 * 1000);
    // That build stored 2 without learning; its timer pass may have run a moment before it ended.
    settingsKey().writeNumber("migrated", 2);
    settingsKey().writeDate("pfrun", h.loop.now().plusSeconds(-30));
    start();

    EXPECT_EQ(writtenTo("pal@friends.example"), 1u);
    EXPECT_EQ(readFrom("reader@x.example"), 1u);
    EXPECT_EQ(settingsKey().getNumberFromRegistry("learningscan"), 1);
    EXPECT_EQ(settingsKey().getNumberFromRegistry("migrated"), 2);

    restart();
    EXPECT_EQ(writtenTo("pal@friends.example"), 1u);
    EXPECT_EQ(trainedWith(-120), 1u);
}

TEST_F(LearningScan, WaitsForAStartWithFilteringOn) {
    sent("pal@friends.example", "Lunch?");
    settingsKey().writeFlag(false, "EnableTarnwick");
    start();
    EXPECT_EQ(count("TW_addSpamAddrTo("), 0u);
    EXPECT_EQ(count("TW_addMessage("), 0u);
    EXPECT_NE(settingsKey().getNumberFromRegistry("migrated"), 2) << "nothing was learnt: it is still owed";

    settingsKey().writeFlag(true, "EnableTarnwick");
    restart();
    EXPECT_EQ(writtenTo("pal@friends.example"), 1u);
    EXPECT_EQ(settingsKey().getNumberFromRegistry("migrated"), 2);
}

}  // namespace
}  // namespace tw::test
