// The mail client's Application class, under which the running client lists itself for other programs.
#pragma once

#include <windows.h>

namespace tw::win32 {

inline constexpr CLSID CLSID_ClientApplication = {0x0006F03A, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace tw::win32
