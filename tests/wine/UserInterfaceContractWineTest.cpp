// Runs the user-interface contract against the Windows adapter on Wine's screen.
#include "sim/UserInterfaceContractTest.h"
#include "win32/Win32UserInterface.h"

namespace tw::contract {

INSTANTIATE_TEST_SUITE_P(Win32, UserInterfaceContractTest,
                         ::testing::Values(UserInterfaceFactory{"Win32UserInterface",
                                                                [] { return std::make_shared<win32::Win32UserInterface>(); }}),
                         [](const ::testing::TestParamInfo<UserInterfaceFactory>& factory) { return factory.param.name; });

}  // namespace tw::contract
