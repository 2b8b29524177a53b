// Conversions between the UTF-8 texts used inside and the UTF-16LE bytes Windows stores.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw::sim {

/// Invalid UTF-8 becomes U+FFFD; no terminator is added.
std::u16string utf8ToUtf16(std::string_view text);
/// Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);

std::vector<uint8_t> utf16ToBytes(std::u16string_view text);
/// The caller checks that the byte count is even; a last odd byte is ignored.
std::u16string bytesToUtf16(const std::vector<uint8_t>& bytes);

}  // namespace tw::sim
