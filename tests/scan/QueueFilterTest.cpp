// The Inbox queue's filter under the client's rules: dates in the user's format, no reliance on a
// condition over a property a message lacks.
#include "scan/NewMailFixture.h"

namespace tw::test {
namespace {

class QueueFilter : public NewMailFixture {
protected:
    void markChecked(const std::shared_ptr<sim::SimItem>& item) {
        item->UserProperties()->Add(scan::MsgQueue::kMarkerName, outlook::olDateTime, true)->setValue(h.loop.now());
        item->Save();
    }
};

TEST_F(QueueFilter, ChecksTheUnmarkedMessageAndSkipsTheMarkedOneUnderADayMonthYearLocale) {
    h.loop.setUserDateFormats({"dd.MM.yyyy", "HH:mm:ss", "", "", false});
    auto unmarked = deliver("fresh@x.example", "Not yet checked");
    auto checked = deliver("old@x.example", "Checked before");
    markChecked(checked);
    start();
    queue().setEnabled(true);
    runQueue(10000);
    EXPECT_TRUE(marked(unmarked)) << h.logText();
    EXPECT_EQ(timesScored("fresh@x.example"), 1);
    EXPECT_EQ(timesScored("old@x.example"), 0) << "a message with the marker was checked again";
    EXPECT_FALSE(h.logHas("ProcessMail")) << "the pass failed";
    EXPECT_TRUE(h.logHas("no candidate messages"));
}

TEST_F(QueueFilter, TheFirstMessageThatTeachesTheFolderTheMarkerIsStillChecked) {
    auto first = deliver("first@x.example", "First in the folder");
    auto second = deliver("second@x.example", "Second");
    start();
    queue().setEnabled(true);
    runQueue(10000);
    EXPECT_EQ(timesScored("first@x.example"), 1);
    EXPECT_EQ(timesScored("second@x.example"), 1);
    EXPECT_TRUE(marked(first));
    // The folder knows the marker now, so a filter may name it.
    EXPECT_EQ(h.client.inbox()->Items()->Restrict("[tarnwickd] <> ''")->Count(), 2);
}

}  // namespace
}  // namespace tw::test
