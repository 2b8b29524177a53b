// Text conversion at the Windows boundary: UTF-8 inside, UTF-16 or the ANSI code page outside.
#pragma once

#include <string>
#include <string_view>

namespace tw::win32 {

/// UTF-8 to the wide strings of the W functions. Invalid sequences become U+FFFD.
std::wstring toWide(std::string_view utf8);
/// Wide text back to UTF-8. Unpaired surrogates become U+FFFD.
std::string toUtf8(std::wstring_view wide);

/// UTF-8 to the ANSI code page the outside libraries and the A functions use; characters the code
/// page lacks become its default character.
std::string utf8ToAnsi(std::string_view utf8);
std::string ansiToUtf8(std::string_view ansi);

}  // namespace tw::win32
