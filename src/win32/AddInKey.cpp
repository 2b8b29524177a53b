// The mail client's add-in key: what makes the client load the add-in at start-up.
#include "win32/AddInKey.h"

namespace tw::win32 {

using platform::Hive;
using platform::RegValue;

const char* const kAddInKeyPath = "Software\\Microsoft\\Office\\Outlook\\Addins\\OrvennaOutlookAddIn.Connect";

namespace {
constexpr uint32_t kLoadAtStartup = 3;
}

void registerAddInKey(platform::Registry& registry) {
    registry.createKey(Hive::CurrentUser, kAddInKeyPath);
    registry.setValue(Hive::CurrentUser, kAddInKeyPath, "FriendlyName", RegValue::ofString("Belcastra Tarnwick Add-In"));
    registry.setValue(Hive::CurrentUser, kAddInKeyPath, "Description",
                      RegValue::ofString("Belcastra Tarnwick Outlook Add-In"));
    registry.setValue(Hive::CurrentUser, kAddInKeyPath, "LoadBehavior", RegValue::ofDword(kLoadAtStartup));
}

void unregisterAddInKey(platform::Registry& registry) {
    if (registry.keyExists(Hive::CurrentUser, kAddInKeyPath)) registry.deleteTree(Hive::CurrentUser, kAddInKeyPath);
    // Registering made the levels above when the client had never made them; empty, they go too.
    for (const char* parent : {"Software\\Microsoft\\Office\\Outlook\\Addins", "Software\\Microsoft\\Office\\Outlook",
                               "Software\\Microsoft\\Office"}) {
        if (!registry.keyExists(Hive::CurrentUser, parent)) continue;
        if (!registry.subkeyNames(Hive::CurrentUser, parent).empty() ||
            !registry.valueNames(Hive::CurrentUser, parent).empty())
            break;
        registry.deleteKey(Hive::CurrentUser, parent);
    }
}

}  // namespace tw::win32
