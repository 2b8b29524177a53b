// Sealing and checking rule files.
#include "RuleFile.h"

#include <cstdint>

#include "FileIo.h"

namespace tarn::engine {

namespace {

constexpr std::string_view kTrailerMagic = "TWSM";
constexpr size_t kTrailerSize = 12;

void putLittleEndian(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

uint32_t getLittleEndian(std::string_view bytes) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<size_t>(i)]);
    return value;
}

}  // namespace

std::string sealRuleFile(std::string_view name, std::string_view stamp, std::string_view body) {
    std::string bytes = writeRuleHeader(name, stamp);
    bytes.append(body);
    const uint32_t sum = crc32(bytes);
    bytes.append(kTrailerMagic);
    putLittleEndian(bytes, static_cast<uint32_t>(body.size()));
    putLittleEndian(bytes, sum);
    return bytes;
}

std::optional<OpenedRuleFile> openRuleFile(std::string_view bytes, std::string& fault) {
    const auto header = readRuleHeader(bytes);
    if (!header) {
        fault = "no header";
        return std::nullopt;
    }
    fault = "damaged";
    if (bytes.size() < header->bodyOffset + kTrailerSize) return std::nullopt;
    const std::string_view trailer = bytes.substr(bytes.size() - kTrailerSize);
    const size_t bodySize = bytes.size() - kTrailerSize - header->bodyOffset;
    if (trailer.substr(0, 4) != kTrailerMagic || getLittleEndian(trailer.substr(4)) != bodySize) return std::nullopt;
    if (getLittleEndian(trailer.substr(8)) != crc32(bytes.substr(0, bytes.size() - kTrailerSize))) return std::nullopt;
    fault.clear();
    return OpenedRuleFile{*header, bytes.substr(header->bodyOffset, bodySize)};
}

}  // namespace tarn::engine
