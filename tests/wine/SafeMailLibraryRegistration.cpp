// The safe mail library is installed for the whole Wine test run, as the add-in's installer installs
// it beside the add-in: registered before the first test, unregistered after the last.
#include <gtest/gtest.h>

#include <windows.h>

#include "wine/SafeMailInstall.h"

namespace tw::winetest {
namespace {

class InstalledLibrary final : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(installSafeMailLibrary(true), S_OK) << "registering tarnredemption.dll"; }
    void TearDown() override { EXPECT_EQ(installSafeMailLibrary(false), S_OK); }
};

[[maybe_unused]] ::testing::Environment* const kInstalled = ::testing::AddGlobalTestEnvironment(new InstalledLibrary);

}  // namespace
}  // namespace tw::winetest
