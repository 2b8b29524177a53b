// The stats command: its figures, rates and weekly chart.
#include <gtest/gtest.h>

#include "host/CommandLine.h"
#include "host/StatsCommand.h"

namespace tw::host {
namespace {

int64_t day(int y, int m, int d) { return static_cast<int64_t>(OleDate::fromCivil({y, m, d}).serial()); }

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(StatsCommand, PrintsTheCountersTheRatesOverTwelveWeeksAndAChartOldestWeekFirst) {
    EXPECT_EQ(parseCommandLine({"stats"}).command, Command::stats);

    settings::Settings record;
    record.processed = 9000;
    record.caught = 2500;
    auto& w = record.weekly;
    w.checked.add(day(2026, 12, 7), 1500);
    w.checked.add(day(2026, 9, 14), 500);  // the thirteenth week back: outside the rates
    w.caught.add(day(2026, 12, 7), 380);
    w.caught.add(day(2026, 11, 30), 400);
    w.missedSpam.add(day(2026, 12, 7), 20);
    w.falsePositives.add(day(2026, 11, 30), 3);
    w.legitimateReports.add(day(2026, 12, 7), 1);

    const std::string report = statisticsReport(record, OleDate::fromCivil({2026, 12, 10, 15, 0, 0}));
    EXPECT_TRUE(has(report, "Messages processed: 9000\nSpam caught: 2500\n"));
    EXPECT_TRUE(has(report, "checked: 1500, caught: 780"));
    EXPECT_TRUE(has(report, "false positives (approved out of the junk folder): 3\n"));
    EXPECT_TRUE(has(report, "spam missed (blocked or reported from other folders): 20\n"));
    EXPECT_TRUE(has(report, "reported as legitimate: 1\n"));
    EXPECT_TRUE(has(report, "false positives per thousand checked: 2.0\n"));
    EXPECT_TRUE(has(report, "share of spam missed: 2.5%\n"));

    // Twelve weeks, the current one last; the largest count fills the bar, a small one still shows.
    EXPECT_FALSE(has(report, "2026-09-14"));
    const auto oldest = report.find("2026-09-21  caught |"), newest = report.find("2026-12-07  caught |");
    ASSERT_NE(oldest, std::string::npos);
    ASSERT_NE(newest, std::string::npos);
    EXPECT_LT(oldest, newest);
    EXPECT_TRUE(has(report, "2026-11-30  caught |" + std::string(40, '#') + " 400\n"));
    EXPECT_TRUE(has(report, "            false+ |# 3\n"));
    EXPECT_TRUE(has(report, "            missed |## 20\n"));
    EXPECT_TRUE(has(report, "2026-12-07  caught |" + std::string(38, '#') + " 380\n"));
}

TEST(StatsCommand, NothingCountedGivesNoRatesRatherThanADivisionByZero) {
    const std::string report = statisticsReport(settings::Settings{}, OleDate::fromCivil({2026, 12, 10}));
    EXPECT_TRUE(has(report, "false positives per thousand checked: none checked\n"));
    EXPECT_TRUE(has(report, "share of spam missed: no spam seen\n"));
}

}  // namespace
}  // namespace tw::host
