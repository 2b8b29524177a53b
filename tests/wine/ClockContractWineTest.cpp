// Runs the clock contract against the Windows adapter, with the user's formats set as the Control Panel does.
#include "UserLocaleOverride.h"
#include "sim/ClockContractTest.h"
#include "win32/Win32Clock.h"

namespace tw::contract {
namespace {
class Win32ClockWorld final : public ClockWorld {
public:
    platform::Clock& clock() override { return win32Clock; }
    void setUserFormats(const std::string& shortDate, const std::string& time) override {
        ASSERT_TRUE(locale.set(shortDate, time)) << "the system refused the formats";
    }
    test::UserLocaleOverride locale;
    win32::Win32Clock win32Clock;
};
}  // namespace

INSTANTIATE_TEST_SUITE_P(Win32, ClockContractTest,
                         ::testing::Values(ClockWorldFactory{"Win32Clock", [] { return std::make_unique<Win32ClockWorld>(); }}),
                         [](const ::testing::TestParamInfo<ClockWorldFactory>& factory) { return factory.param.name; });

}  // namespace tw::contract
