// Week boundaries, the twelve weeks kept and the stored form of the weekly counters.
#include <gtest/gtest.h>

#include "settings/RegistryAccess.h"
#include "settings/Settings.h"
#include "settings/SettingsLoader.h"
#include "settings/WeeklyStats.h"
#include "sim/SimRegistry.h"

namespace tw::settings {
namespace {

int64_t day(int y, int m, int d) { return static_cast<int64_t>(OleDate::fromCivil({y, m, d}).serial()); }

TEST(WeeklyStats, AWeekRunsFromMondayMidnightToSundayNight) {
    EXPECT_EQ(weekStartOf(OleDate::fromCivil({2026, 12, 7, 0, 0, 0})), day(2026, 12, 7));
    EXPECT_EQ(weekStartOf(OleDate::fromCivil({2026, 12, 13, 23, 59, 59})), day(2026, 12, 7));
    EXPECT_EQ(weekStartOf(OleDate::fromCivil({2026, 12, 14, 0, 0, 0})), day(2026, 12, 14));
    // Across a year's end.
    EXPECT_EQ(weekStartOf(OleDate::fromCivil({2027, 1, 1, 12, 0, 0})), day(2026, 12, 28));

    Settings record;
    sim::SimRegistry registry;
    SettingsKey key(registry);
    recordMistakes(key, record, Mistake::missedSpam, 1, OleDate::fromCivil({2026, 12, 13, 23, 59, 0}));
    recordMistakes(key, record, Mistake::missedSpam, 2, OleDate::fromCivil({2026, 12, 14, 0, 1, 0}));
    EXPECT_EQ(key.read("weeklyMissedSpam").toText(), "2026-12-07:1,2026-12-14:2");
}

TEST(WeeklyStats, TwelveWeeksAreKeptAndTheOldestDropped) {
    WeeklyCounts counts;
    const int64_t first = day(2026, 9, 7);
    for (int week = 0; week < 14; ++week) counts.add(first + 7 * week, week + 1);
    ASSERT_EQ(counts.weeks().size(), 12u);
    EXPECT_EQ(counts.weeks().front().start, first + 14);
    EXPECT_EQ(counts.countFor(first + 7), 0);
    EXPECT_EQ(counts.total(first + 7 * 13), 3 + 4 + 5 + 6 + 7 + 8 + 9 + 10 + 11 + 12 + 13 + 14);
    // A week far behind the newest never comes back in.
    counts.add(first, 9);
    EXPECT_EQ(counts.weeks().size(), 12u);
    EXPECT_EQ(counts.countFor(first), 0);
}

TEST(WeeklyStats, TheStoredFormRoundTripsAndDamagedRowsAreSkipped) {
    sim::SimRegistry registry;
    SettingsKey key(registry);
    key.writeString("weeklyCaught", "2026-11-30:40,2026-12-07:12");
    key.writeString("weeklyFalsePositives", "2026-12-07:x,garbage,2026-02-31:4,2026-12-07:-3, 2026-12-09:2");
    key.writeNumber("weeklyMissedSpam", 7);
    Settings record;
    loadUserSettings(key, record, nullptr, nullptr);
    EXPECT_EQ(record.weekly.caught.toText(), "2026-11-30:40,2026-12-07:12");
    // A date inside a week counts for the Monday starting it.
    EXPECT_EQ(record.weekly.falsePositives.toText(), "2026-12-07:2");
    EXPECT_TRUE(record.weekly.missedSpam.weeks().empty());

    record.weekly.checked.add(day(2026, 12, 7), 300);
    ASSERT_TRUE(storeWeeklyStats(key, record.weekly));
    Settings again;
    loadUserSettings(key, again, nullptr, nullptr);
    EXPECT_EQ(again.weekly.checked.countFor(day(2026, 12, 7)), 300);
    EXPECT_EQ(again.weekly.caught.countFor(day(2026, 11, 30)), 40);
}

}  // namespace
}  // namespace tw::settings
