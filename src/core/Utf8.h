// Writing Unicode code points as UTF-8, for the readers that take text in from other encodings.
#pragma once

#include <string>

namespace tw::utf8 {

/// Appends the code point's UTF-8 bytes; the caller passes only valid code points.
void append(std::string& out, char32_t codePoint);

}  // namespace tw::utf8
