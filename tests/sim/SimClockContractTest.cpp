// Runs the clock contract against the sim's virtual clock.
#include "ClockContractTest.h"

#include "sim/SimEventLoop.h"

namespace tw::contract {
namespace {
class SimClockWorld final : public ClockWorld {
public:
    platform::Clock& clock() override { return loop; }
    void setUserFormats(const std::string& shortDate, const std::string& time) override {
        DateLocale locale = loop.userDateFormats();
        locale.shortDate = shortDate;
        locale.time = time;
        loop.setUserDateFormats(locale);
    }
    sim::SimEventLoop loop{OleDate::fromCivil({2026, 12, 8, 9, 0, 0})};
};
}  // namespace

INSTANTIATE_TEST_SUITE_P(Sim, ClockContractTest,
                         ::testing::Values(ClockWorldFactory{"SimEventLoop", [] { return std::make_unique<SimClockWorld>(); }}),
                         [](const ::testing::TestParamInfo<ClockWorldFactory>& factory) { return factory.param.name; });

}  // namespace tw::contract
