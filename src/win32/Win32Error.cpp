// Turns a failed Win32 call into the Error every port raises, with the system's own message.
#include "win32/Win32Error.h"

#include <windows.h>

#include "core/Error.h"
#include "win32/TextEncoding.h"

namespace tw::win32 {

std::string systemMessage(uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) return "error " + std::to_string(code);
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    // A message that cannot be converted must not hide the error it describes.
    try {
        return toUtf8(text);
    } catch (const Error&) {
        return "error " + std::to_string(code);
    }
}

void raiseWin32Error(uint32_t code, const std::string& source, const std::string& what) {
    // Some calls fail without setting a code; number 0 would read as "no error" to the caller.
    if (code == ERROR_SUCCESS) throw Error(static_cast<long>(E_FAIL), source, what + ": unspecified failure");
    throw Error(static_cast<long>(code), source, what + ": " + systemMessage(code));
}

void raiseLastError(const std::string& source, const std::string& what) {
    raiseWin32Error(GetLastError(), source, what);
}

}  // namespace tw::win32
