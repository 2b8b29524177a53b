// The weekly mistake counters the approve, block and report commands keep, and the statistics window's Reset.
#include <gtest/gtest.h>

#include "addin/OrvennaOutAddIn.h"
#include "senders/ApproveBlockFixture.h"
#include "settings/WeeklyStats.h"

namespace tw::test {
namespace {

class MistakeCount : public ApproveBlockFixture {
protected:
    std::string stored(const char* name) { return settingsKey().read(name).toText(); }
    int64_t thisWeek() { return settings::weekStartOf(h.loop.now()); }
};

// The harness's clock stands on Tuesday 8 December 2026, in the week starting Monday the 7th.
TEST_F(MistakeCount, ApprovalsOutOfTheJunkFolderAndBlocksElsewhereAreCountedAndStoredAtOnce) {
    noDialog();
    auto wrongly = h.client.deliverMessage(message("friend@good.example", "me@home.example", "hello"), junk());
    auto alsoWrongly = h.client.deliverMessage(message("pal@good.example", "me@home.example", "hi"), junk());
    explorer()->switchTo(junk());
    select({wrongly, alsoWrongly});
    click("Approve Sender");
    EXPECT_EQ(settings().weekly.falsePositives.countFor(thisWeek()), 2);
    EXPECT_EQ(stored("weeklyFalsePositives"), "2026-12-07:2");

    // Approving in the Inbox and blocking in the junk folder agree with the filter: no mistake.
    auto fine = deliver("mate@good.example", "lunch");
    explorer()->switchTo(h.client.inbox());
    select({fine});
    click("Approve Sender");
    auto caught = h.client.deliverMessage(message("spam@bad.example", "me@home.example", "offer"), junk());
    explorer()->switchTo(junk());
    select({caught});
    click("Block Sender");
    EXPECT_EQ(settings().weekly.falsePositives.countFor(thisWeek()), 2);
    EXPECT_EQ(stored("weeklyMissedSpam"), "");

    auto missed = deliver("spammer@bad.example", "cheap");
    explorer()->switchTo(h.client.inbox());
    select({missed});
    click("Block Sender");
    EXPECT_EQ(stored("weeklyMissedSpam"), "2026-12-07:1");
    EXPECT_EQ(settings().weekly.legitimateReports.total(thisWeek()), 0);
}

TEST_F(MistakeCount, SpamReportsFromTheInboxAreMissedSpamAndLegitimateReportsCountOnTheirOwn) {
    settings().ShowReportSpamConfirmation = false;
    auto missed = deliver("spammer@bad.example", "cheap");
    explorer()->switchTo(h.client.inbox());
    select({missed});
    h.addin().reportCommand(1);
    EXPECT_EQ(settings().weekly.missedSpam.countFor(thisWeek()), 1);

    auto good = h.client.deliverMessage(message("friend@good.example", "me@home.example", "hello"), junk());
    explorer()->switchTo(junk());
    select({good});
    h.addin().reportCommand(2);
    EXPECT_EQ(stored("weeklyLegitimateReports"), "2026-12-07:1");
    // A spam report from the junk folder only confirms the filter.
    auto spam = h.client.deliverMessage(message("x@bad.example", "me@home.example", "offer"), junk());
    select({spam});
    h.addin().reportCommand(1);
    EXPECT_EQ(settings().weekly.missedSpam.countFor(thisWeek()), 1);
}

TEST_F(MistakeCount, ResetInTheStatisticsWindowClearsTheWeeksInTheRecordAndTheRegistry) {
    noDialog();
    auto missed = deliver("spammer@bad.example", "cheap");
    select({missed});
    click("Block Sender");
    ASSERT_EQ(stored("weeklyMissedSpam"), "2026-12-07:1");
    settings().weekly.caught.add(thisWeek(), 5);
    h.ui.onModal("frmStats", [](platform::FormView& view) {
        view.controls()->click("cmdReset");
        view.controls()->click("cmdClose");
    });
    click("mViewStats");
    EXPECT_EQ(settings().weekly.missedSpam.total(thisWeek()), 0);
    EXPECT_EQ(settings().weekly.caught.total(thisWeek()), 0);
    for (const auto& name : settings::weeklyValueNames()) EXPECT_EQ(stored(name.c_str()), "") << name;
    EXPECT_EQ(stored("processed"), "0");
}

}  // namespace
}  // namespace tw::test
