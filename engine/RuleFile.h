// A rule file as bytes: the header line, the body, and a trailer that tells a torn or damaged file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "RuleHeader.h"

namespace tarn::engine {

/// The header line, the body, then 12 bytes: "TWSM", the body's length and the CRC-32 of header and
/// body, both 32-bit little-endian. A file cut short or changed in any byte fails the check.
std::string sealRuleFile(std::string_view name, std::string_view stamp, std::string_view body);

struct OpenedRuleFile {
    RuleHeader header;
    std::string_view body;  ///< points into the bytes given to openRuleFile
};

/// The header and body of sealed bytes; nothing (with `fault` set to "damaged" or "no header") when
/// the header, the length or the checksum is wrong.
std::optional<OpenedRuleFile> openRuleFile(std::string_view bytes, std::string& fault);

}  // namespace tarn::engine
