// The safe mail library is installed for the whole Wine test run, as the add-in's installer installs
// it beside the add-in: registered before the first test, unregistered after the last.
#include <gtest/gtest.h>

#include <windows.h>

#include "wine/SafeMailLibraryCalls.h"

namespace tw::winetest::safemail {
namespace {

class InstalledLibrary final : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(call("DllRegisterServer"), S_OK) << "registering tarnredemption.dll"; }
    void TearDown() override { EXPECT_EQ(call("DllUnregisterServer"), S_OK); }

private:
    static HRESULT call(const char* entry) {
        HMODULE module = LoadLibraryW(libraryPath().c_str());
        if (!module) return HRESULT_FROM_WIN32(GetLastError());
        using Entry = HRESULT(STDAPICALLTYPE*)();
        auto function = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, entry)));
        const HRESULT hr = function ? function() : E_NOINTERFACE;
        FreeLibrary(module);
        return hr;
    }
};

[[maybe_unused]] ::testing::Environment* const kInstalled = ::testing::AddGlobalTestEnvironment(new InstalledLibrary);

}  // namespace
}  // namespace tw::winetest::safemail
