// Turns a failed Win32 call into the Error every port raises, with the system's own message.
#pragma once

#include <cstdint>
#include <string>

namespace tw::win32 {

/// The system's message for a Win32 error code, without the trailing line break.
std::string systemMessage(uint32_t code);

/// Raises Error(code, source, "<what>: <system message>").
[[noreturn]] void raiseWin32Error(uint32_t code, const std::string& source, const std::string& what);
/// The same with the calling thread's last error.
[[noreturn]] void raiseLastError(const std::string& source, const std::string& what);

}  // namespace tw::win32
