// The "Windows Registry Editor Version 5.00" text format: reading it into edits, writing values back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace tw::sim::regfile {

inline constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

/// One edit a registry file asks for, in file order.
struct Edit {
    enum class Kind { CreateKey, DeleteTree, SetValue, DeleteValue };
    Kind kind = Kind::CreateKey;
    platform::Hive hive = platform::Hive::CurrentUser;
    std::vector<std::string> keyPath;  // levels below the hive
    std::string valueName;
    platform::RegValue value;
};

/// Reads a whole file (UTF-8 with or without BOM, or UTF-16LE with BOM; CRLF or LF).
/// Raises Error naming `origin` and the line number of the first thing that is wrong.
std::vector<Edit> parse(std::string_view text, const std::string& origin);

std::string hiveName(platform::Hive hive);

/// The lines of one value entry ("name"=data, "@=" for the default value), joined by CRLF,
/// without a final line break. Long hex data continues on indented lines ending in "\".
std::string formatValue(const std::string& name, const platform::RegValue& value);

/// The bytes Windows stores for a typed value, and back. Texts are UTF-16LE with a terminating
/// NUL; a multi-string ends with one more NUL.
std::vector<uint8_t> valueBytes(const platform::RegValue& value);
platform::RegValue valueFromBytes(platform::ValueType type, const std::vector<uint8_t>& bytes);

}  // namespace tw::sim::regfile
