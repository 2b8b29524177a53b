// The mail client's add-in key: what makes the client load the add-in at start-up.
#pragma once

#include "platform/Registry.h"

namespace tw::win32 {

/// "Software\Microsoft\Office\Outlook\Addins\OrvennaOutlookAddIn.Connect" under the current user.
extern const char* const kAddInKeyPath;

/// Writes the key with the display name, the description and load behaviour 3 (load at start-up).
void registerAddInKey(platform::Registry& registry);
/// Removes the key and anything below it, and the levels above it that are left empty; a key
/// already gone is not an error.
void unregisterAddInKey(platform::Registry& registry);

}  // namespace tw::win32
