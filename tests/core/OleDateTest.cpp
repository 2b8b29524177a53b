// The mail client's date-time: serial numbers, text forms and calendar boundaries.
#include <gtest/gtest.h>

#include "core/OleDate.h"

namespace tw {
namespace {

TEST(OleDate, SerialNumbersMatchTheCalendar) {
    EXPECT_EQ(OleDate::fromCivil({1899, 12, 30, 0, 0, 0}).serial(), 0.0);
    EXPECT_EQ(OleDate::fromCivil({1900, 1, 1, 0, 0, 0}).serial(), 2.0);
    EXPECT_EQ(OleDate::fromCivil({2000, 1, 1, 12, 0, 0}).serial(), 36526.5);
    CivilTime t = OleDate(36526.75).toCivil();
    EXPECT_EQ(t.year, 2000);
    EXPECT_EQ(t.hour, 18);
    EXPECT_EQ(OleDate::fromUnixSeconds(0).serial(), 25569.0);
}

TEST(OleDate, RegistryTextReadsWithPointOrComma) {
    OleDate d(46364.6875);
    EXPECT_EQ(d.toRegistryText(), "46364.6875");
    EXPECT_EQ(OleDate(46364).toRegistryText(), "46364");
    EXPECT_EQ(OleDate::parseRegistryText("46364.6875")->serial(), 46364.6875);
    EXPECT_EQ(OleDate::parseRegistryText("46364,6875")->serial(), 46364.6875);
    EXPECT_EQ(OleDate::parseRegistryText(" 12 ")->serial(), 12.0);
    EXPECT_FALSE(OleDate::parseRegistryText(""));
    EXPECT_FALSE(OleDate::parseRegistryText("yesterday"));
    EXPECT_FALSE(OleDate::parseRegistryText("1.2.3"));
    // A round trip keeps the time to the second.
    OleDate now = OleDate::fromCivil({2026, 12, 8, 16, 5, 9});
    EXPECT_EQ(OleDate::parseRegistryText(now.toRegistryText())->toIsoText(), "2026-12-08 16:05:09");
}

TEST(OleDate, FilterTextHasTheClientsForm) {
    EXPECT_EQ(OleDate::fromCivil({2026, 12, 8, 16, 5, 59}).toFilterText(), "Dec 08 2026 16:05");
    EXPECT_EQ(OleDate::fromCivil({2003, 1, 31, 0, 0, 0}).toFilterText(), "Jan 31 2003 00:00");
}

TEST(OleDate, ElapsedTimeCountsCalendarBoundaries) {
    OleDate beforeMidnight = OleDate::fromCivil({2026, 12, 8, 23, 59, 59});
    OleDate midnight = OleDate::fromCivil({2026, 12, 9, 0, 0, 0});
    EXPECT_EQ(daysBetween(beforeMidnight, midnight), 1);
    EXPECT_EQ(minutesBetween(beforeMidnight, midnight), 1);
    EXPECT_EQ(secondsBetween(beforeMidnight, midnight), 1);
    EXPECT_EQ(daysBetween(midnight, beforeMidnight), -1);

    OleDate a = OleDate::fromCivil({2026, 12, 8, 10, 0, 1});
    OleDate b = OleDate::fromCivil({2026, 12, 8, 10, 0, 59});
    EXPECT_EQ(minutesBetween(a, b), 0);
    EXPECT_EQ(secondsBetween(a, b), 58);
    EXPECT_EQ(daysBetween(a, a.plusDays(7)), 7);
    EXPECT_EQ(secondsBetween(a, a.plusSeconds(2)), 2);
}

}  // namespace
}  // namespace tw
