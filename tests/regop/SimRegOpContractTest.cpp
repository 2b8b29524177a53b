// Runs the RegOp contract over the in-memory registry.
#include "RegOpContractTest.h"

#include "sim/SimRegistry.h"
#include "sim/SimShell.h"

namespace tw::contract {

namespace {

std::unique_ptr<platform::Shell> simShellWithTemp() {
    auto shell = std::make_unique<sim::SimShell>();
    shell->environment["TEMP"] = "C:\\WINDOWS\\Temp";
    return shell;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Sim, RegOpContractTest,
                         ::testing::Values(RegOpFactory{"SimRegistry", [] { return std::make_unique<sim::SimRegistry>(); },
                                                        simShellWithTemp}),
                         [](const ::testing::TestParamInfo<RegOpFactory>& factory) { return factory.param.name; });

}  // namespace tw::contract
