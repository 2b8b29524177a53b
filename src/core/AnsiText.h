// The seam between the UTF-8 text the add-in works in and the system's ANSI code page that plain
// text files of older Windows tools use. Identity until the Windows adapter installs its converters.
#pragma once

#include <string>
#include <string_view>

namespace tw::ansi {

using Converter = std::string (*)(std::string_view);

/// UTF-8 to the bytes of the ANSI code page.
std::string fromUtf8(std::string_view utf8);
/// Bytes of the ANSI code page to UTF-8.
std::string toUtf8(std::string_view ansi);

/// Called once by the Windows composition root, before anything reads or writes a text file; a
/// null converter restores the identity. On Linux nothing installs anything: files are UTF-8.
void installConverters(Converter fromUtf8, Converter toUtf8);

}  // namespace tw::ansi
