// Many messages arriving at once raise no ItemAdd: the Inbox queue and the start-up scan still check them.
#include "core/Text.h"
#include "scan/NewMailFixture.h"

namespace tw::test {
namespace {

class BatchArrival : public NewMailFixture {
protected:
    /// Twenty messages in one go; every fourth is spam.
    std::vector<std::shared_ptr<sim::SimItem>> deliverBatch(int count = 20) {
        std::vector<std::string> raws;
        for (int i = 0; i < count; ++i)
            raws.push_back(message(sender(i), "me@home.example", (isSpam(i) ? "Spam offer " : "Note ") + std::to_string(i)));
        return h.client.deliverBatch(raws);
    }
    static bool isSpam(int i) { return i % 4 == 0; }
    static std::string sender(int i) { return "batch" + std::to_string(i) + "@x.example"; }

    /// A queue that has run, found nothing more and switched itself off, as it is most of the time.
    void settleQueue() {
        deliver("first@x.example", "Before the batch");
        runQueue();
        ASSERT_FALSE(queue().Enabled());
    }

    /// Each message scored once and spam moved; what the queue checked is also recorded (the
    /// start-up scan records nothing: it walks the unread mail each time).
    void expectAllChecked(const std::vector<std::shared_ptr<sim::SimItem>>& batch, Mode mode, bool recorded = true) {
        for (int i = 0; i < static_cast<int>(batch.size()); ++i) {
            const auto& item = batch[static_cast<size_t>(i)];
            EXPECT_EQ(timesScored(sender(i)), 1) << item->Subject();
            EXPECT_EQ(inJunk(item), isSpam(i)) << item->Subject();
            if (isSpam(i) || mode == Mode::marker || !recorded) continue;
            EXPECT_TRUE(queue().processedCache().contains(text::lower(item->EntryID()))) << item->Subject();
        }
        if (mode == Mode::marker && recorded) {
            for (const auto& item : batch) EXPECT_TRUE(marked(item)) << item->Subject();
        }
        EXPECT_FALSE(h.logHas("Error #")) << h.logText();
    }
};

TEST_F(BatchArrival, TheClientRaisesItemAddOnlyForSmallBatches) {
    int added = 0;
    auto subscription = h.client.inbox()->Items()->ItemAdd().connect([&](auto) { ++added; });
    std::vector<std::string> raws(sim::SimMailClient::kItemAddBatchLimit, message("a@x.example", "me@x.example", "Hi"));
    h.client.deliverBatch(raws);
    EXPECT_EQ(added, sim::SimMailClient::kItemAddBatchLimit);

    raws.push_back(raws.back());
    h.client.deliverBatch(raws);
    EXPECT_EQ(added, sim::SimMailClient::kItemAddBatchLimit) << "a larger batch arrives silently";
    EXPECT_EQ(h.client.inbox()->Items()->Count(), 2 * sim::SimMailClient::kItemAddBatchLimit + 1);

    h.client.setItemAddBatchLimit(100);
    h.client.deliverBatch(raws);
    EXPECT_EQ(added, 2 * sim::SimMailClient::kItemAddBatchLimit + 1);

    EXPECT_THROW(h.client.deliverBatch({raws[0], ""}), Error);
    EXPECT_EQ(h.client.inbox()->Items()->Count(), 3 * sim::SimMailClient::kItemAddBatchLimit + 2) << "nothing of it arrived";
}

TEST_F(BatchArrival, AMarkerQueueThatSwitchedItselfOffChecksASilentBatch) {
    engine.setScoreFor("Spam", 99);
    start(Mode::marker);
    settleQueue();
    auto batch = deliverBatch();
    runQueue();
    expectAllChecked(batch, Mode::marker);
    EXPECT_TRUE(h.logHas("new messages arrived without an item-added event"));
}

TEST_F(BatchArrival, ACacheQueueThatSwitchedItselfOffChecksASilentBatch) {
    engine.setScoreFor("Spam", 99);
    start(Mode::cache);
    settleQueue();
    auto batch = deliverBatch();
    runQueue();
    expectAllChecked(batch, Mode::cache);
}

TEST_F(BatchArrival, AQueueNeverEnabledSinceStartUpChecksASilentBatch) {
    engine.setScoreFor("Spam", 99);
    start(Mode::cache);
    auto batch = deliverBatch();
    runQueue();
    expectAllChecked(batch, Mode::cache);
}

TEST_F(BatchArrival, MailThatWasThereAtStartUpIsLeftToTheStartUpScan) {
    deliverBatch();
    start(Mode::marker);
    runQueue();
    EXPECT_EQ(timesScored(sender(1)), 0) << "the queue's watch looks only for what arrives later";
    EXPECT_FALSE(queue().Enabled());
}

TEST_F(BatchArrival, TheStartUpScanChecksABatchThatArrivedBeforeConnection) {
    engine.setScoreFor("Spam", 99);
    auto batch = deliverBatch();
    settingsKey().writeFlag(true, "scanInboxOnStartup");
    start(Mode::marker);
    expectAllChecked(batch, Mode::marker, false);
}

TEST_F(BatchArrival, NothingIsCheckedWhileFilteringIsOff) {
    start(Mode::cache);
    settleQueue();
    settings().filteringState = settings::filteringDisabled;
    deliverBatch();
    runQueue();
    EXPECT_EQ(timesScored(sender(1)), 0);
    EXPECT_FALSE(queue().Enabled());
}

}  // namespace
}  // namespace tw::test
