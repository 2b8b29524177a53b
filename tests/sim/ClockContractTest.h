// The clock port's contract: the user's regional date formats, which the queue writes its filter
// dates in; one suite that the sim clock and the Windows adapter both pass.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "platform/Clock.h"

namespace tw::contract {

/// A clock whose user's formats a test can set (the Windows one through the Control Panel's
/// settings, put back when the world ends).
class ClockWorld {
public:
    virtual ~ClockWorld() = default;
    virtual platform::Clock& clock() = 0;
    virtual void setUserFormats(const std::string& shortDate, const std::string& time) = 0;
};

struct ClockWorldFactory {
    std::string name;
    std::function<std::unique_ptr<ClockWorld>()> make;
};
inline void PrintTo(const ClockWorldFactory& factory, std::ostream* os) { *os << factory.name; }

class ClockContractTest : public ::testing::TestWithParam<ClockWorldFactory> {
protected:
    void SetUp() override { world = GetParam().make(); }
    std::unique_ptr<ClockWorld> world;
};

TEST_P(ClockContractTest, UserFormatsAreTheOnesSetAndReadBackWhatTheyWrite) {
    world->setUserFormats("dd.MM.yyyy", "HH:mm:ss");
    DateLocale locale = world->clock().userDateFormats();
    EXPECT_EQ(locale.shortDate, "dd.MM.yyyy");
    EXPECT_EQ(locale.time, "HH:mm:ss");
    const OleDate when = OleDate::fromCivil({2026, 12, 10, 3, 58, 0});
    EXPECT_EQ(when.toLocaleText(locale), "10.12.2026 03:58");
    EXPECT_EQ(OleDate::parseLocaleText(when.toLocaleText(locale), locale), when);

    world->setUserFormats("M/d/yyyy", "h:mm:ss tt");
    locale = world->clock().userDateFormats();
    EXPECT_EQ(locale.shortDate, "M/d/yyyy");
    EXPECT_EQ(locale.am, "AM");
    EXPECT_EQ(when.toLocaleText(locale), "12/10/2026 3:58 AM");
}

}  // namespace tw::contract
