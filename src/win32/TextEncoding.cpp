// Text conversion at the Windows boundary, over MultiByteToWideChar and WideCharToMultiByte.
#include "win32/TextEncoding.h"

#include <climits>

#include <windows.h>

#include "core/Error.h"
#include "win32/Win32Error.h"

namespace tw::win32 {
namespace {

constexpr const char* kSource = "TextEncoding";

int checkedLength(size_t size) {
    if (size > static_cast<size_t>(INT_MAX)) {
        throw Error(ERROR_ARITHMETIC_OVERFLOW, kSource, "Text too long to convert");
    }
    return static_cast<int>(size);
}

std::wstring toWideFrom(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    const int length = checkedLength(text.size());
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) raiseLastError(kSource, "Cannot convert text to UTF-16");
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    if (MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), needed) != needed) {
        raiseLastError(kSource, "Cannot convert text to UTF-16");
    }
    return wide;
}

std::string fromWideTo(UINT codePage, std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length = checkedLength(wide.size());
    const int needed = WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) raiseLastError(kSource, "Cannot convert text from UTF-16");
    std::string text(static_cast<size_t>(needed), '\0');
    if (WideCharToMultiByte(codePage, 0, wide.data(), length, text.data(), needed, nullptr, nullptr) != needed) {
        raiseLastError(kSource, "Cannot convert text from UTF-16");
    }
    return text;
}

}  // namespace

std::wstring toWide(std::string_view utf8) { return toWideFrom(CP_UTF8, utf8); }
std::string toUtf8(std::wstring_view wide) { return fromWideTo(CP_UTF8, wide); }
std::string utf8ToAnsi(std::string_view utf8) { return fromWideTo(CP_ACP, toWide(utf8)); }
std::string ansiToUtf8(std::string_view ansi) { return toUtf8(toWideFrom(CP_ACP, ansi)); }

}  // namespace tw::win32
