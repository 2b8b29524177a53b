// The module (the add-in library, or the program) that holds this code: where window classes
// are registered and resources and the library's own folder are found.
#pragma once

#include <windows.h>

namespace tw::win32 {

/// Null only when the system cannot say, which does not happen for loaded code.
HMODULE moduleOfThisCode();

}  // namespace tw::win32
