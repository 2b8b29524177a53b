// Runs the registry contract against the in-memory registry.
#include "RegistryContractTest.h"

#include "sim/SimRegistry.h"

namespace tw::contract {

INSTANTIATE_TEST_SUITE_P(Sim, RegistryContractTest,
                         ::testing::Values(RegistryFactory{"SimRegistry", [] { return std::make_unique<sim::SimRegistry>(); }}),
                         [](const ::testing::TestParamInfo<RegistryFactory>& factory) { return factory.param.name; });

}  // namespace tw::contract
