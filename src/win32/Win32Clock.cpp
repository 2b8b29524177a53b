// Clock port over the system's local time.
#include "win32/Win32Clock.h"

#include <windows.h>

namespace tw::win32 {

OleDate Win32Clock::now() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    return OleDate::fromCivil({local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond});
}

}  // namespace tw::win32
