// Runs the registry and RegOp contracts against the real registry of a Wine prefix.
#include "regop/RegOpContractTest.h"
#include "sim/RegistryContractTest.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"

namespace tw::contract {

INSTANTIATE_TEST_SUITE_P(Win32, RegistryContractTest,
                         ::testing::Values(RegistryFactory{"Win32Registry", [] { return std::make_unique<win32::Win32Registry>(); }}),
                         [](const ::testing::TestParamInfo<RegistryFactory>& factory) { return factory.param.name; });

INSTANTIATE_TEST_SUITE_P(Win32, RegOpContractTest,
                         ::testing::Values(RegOpFactory{"Win32Registry", [] { return std::make_unique<win32::Win32Registry>(); },
                                                        [] { return std::make_unique<win32::Win32Shell>(); }}),
                         [](const ::testing::TestParamInfo<RegOpFactory>& factory) { return factory.param.name; });

}  // namespace tw::contract
