// Dates written and read in the user's regional short date and time formats, as the client's filters take them.
#include <gtest/gtest.h>

#include "core/OleDate.h"

namespace tw::test {
namespace {

const DateLocale kUnitedStates{};
const DateLocale kGerman{"dd.MM.yyyy", "HH:mm:ss", "", "", false};
const DateLocale kBritishNumeric{"dd/MM/yyyy", "HH:mm:ss", "am", "pm", false};

TEST(OleDateLocale, WritesTheShortDateAndTimeWithoutSeconds) {
    const OleDate afternoon = OleDate::fromCivil({2026, 12, 8, 16, 5, 59});
    EXPECT_EQ(afternoon.toLocaleText(kUnitedStates), "12/8/2026 4:05 PM");
    EXPECT_EQ(afternoon.toLocaleText(kGerman), "08.12.2026 16:05");
    EXPECT_EQ(OleDate::fromCivil({2003, 1, 31, 0, 7, 0}).toLocaleText(kUnitedStates), "1/31/2003 12:07 AM");
    EXPECT_EQ(afternoon.toLocaleText({"yyyy-MM-dd", "H:mm", "", "", false}), "2026-12-08 16:05");
    EXPECT_EQ(afternoon.toLocaleText({"d MMM yy", "hh'h'mm tt", "a", "p", true}), "8 Dec 26 04h05 p");
}

TEST(OleDateLocale, ReadsWhatItWritesAndTheDateInTheLocalesOrder) {
    const OleDate when = OleDate::fromCivil({2026, 12, 10, 3, 58, 0});
    for (const DateLocale& locale : {kUnitedStates, kGerman, kBritishNumeric})
        EXPECT_EQ(OleDate::parseLocaleText(when.toLocaleText(locale), locale), when) << locale.shortDate;
    EXPECT_EQ(OleDate::parseLocaleText("10.12.2026 03:58", kGerman), when);
    EXPECT_EQ(OleDate::parseLocaleText("10.12.2026", kGerman), OleDate::fromCivil({2026, 12, 10}));
    EXPECT_EQ(OleDate::parseLocaleText("12/10/2026 3:58:00 AM", kUnitedStates), when);
    // The same digits mean another day where the day comes first.
    EXPECT_EQ(OleDate::parseLocaleText("12/10/2026 03:58", kBritishNumeric), OleDate::fromCivil({2026, 10, 12, 3, 58, 0}));
    EXPECT_EQ(OleDate::parseLocaleText("Dec 10 2026 03:58", kUnitedStates), when) << "English month names in an English locale";
}

TEST(OleDateLocale, RefusesAnyOtherForm) {
    for (const char* text : {"Dec 10 2026 03:58", "12/10/2026 03:58", "2026-12-10 03:58", "31.02.2026 10:00",
                             "10.12.2026 25:00", "10.12.20261", "10.12.2026 3:58 junk", "", "yesterday"})
        EXPECT_FALSE(OleDate::parseLocaleText(text, kGerman)) << text;
    EXPECT_FALSE(OleDate::parseLocaleText("13/10/2026", kUnitedStates));
    EXPECT_FALSE(OleDate::parseLocaleText("2/29/2027", kUnitedStates)) << "no leap day that year";
    EXPECT_TRUE(OleDate::parseLocaleText("2/29/2028", kUnitedStates));
}

}  // namespace
}  // namespace tw::test
