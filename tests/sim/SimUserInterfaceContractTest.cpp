// Runs the user-interface contract against the scripted interface.
#include "UserInterfaceContractTest.h"

#include "sim/SimUserInterface.h"

namespace tw::contract {
namespace {
/// The scripted interface with the event loop it runs on.
struct SimInterfaceWorld {
    sim::SimEventLoop loop{OleDate::fromCivil({2026, 12, 8, 9, 0, 0})};
    sim::SimUserInterface ui{loop};
};

std::shared_ptr<platform::UserInterface> makeSimInterface() {
    auto world = std::make_shared<SimInterfaceWorld>();
    return std::shared_ptr<platform::UserInterface>(world, &world->ui);
}
}  // namespace

INSTANTIATE_TEST_SUITE_P(Sim, UserInterfaceContractTest,
                         ::testing::Values(UserInterfaceFactory{"SimUserInterface", makeSimInterface}),
                         [](const ::testing::TestParamInfo<UserInterfaceFactory>& factory) { return factory.param.name; });

}  // namespace tw::contract
