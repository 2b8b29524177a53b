// Strict address reading: anything that is not a whole address is refused, so host names never pass for one.
#include "IpAddress.h"

#include <vector>

namespace tarn::engine {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<uint32_t> parseDottedQuad(std::string_view text) {
    uint32_t value = 0;
    for (int part = 0; part < 4; ++part) {
        size_t digits = 0;
        uint32_t octet = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && digits < 4)
            octet = octet * 10 + static_cast<uint32_t>(text[digits++] - '0');
        if (digits == 0 || digits > 3 || octet > 255) return std::nullopt;
        value = (value << 8) | octet;
        text.remove_prefix(digits);
        if (part < 3) {
            if (text.empty() || text.front() != '.') return std::nullopt;
            text.remove_prefix(1);
        }
    }
    if (!text.empty()) return std::nullopt;
    return value;
}

/// Reads colon-separated groups; a dotted quad may close the last side. Returns false on anything else.
bool parseGroups(std::string_view text, bool lastSide, std::vector<uint16_t>& groups) {
    if (text.empty()) return true;
    for (;;) {
        size_t colon = text.find(':');
        std::string_view group = text.substr(0, colon);
        if (colon == std::string_view::npos && lastSide && group.find('.') != std::string_view::npos) {
            auto quad = parseDottedQuad(group);
            if (!quad) return false;
            groups.push_back(static_cast<uint16_t>(*quad >> 16));
            groups.push_back(static_cast<uint16_t>(*quad & 0xFFFF));
            return true;
        }
        if (group.empty() || group.size() > 4) return false;
        uint16_t value = 0;
        for (char c : group) {
            int digit = hexValue(c);
            if (digit < 0) return false;
            value = static_cast<uint16_t>((value << 4) | digit);
        }
        groups.push_back(value);
        if (colon == std::string_view::npos) return true;
        text.remove_prefix(colon + 1);
    }
}

std::optional<IpAddress> parseIpv6(std::string_view text) {
    size_t gap = text.find("::");
    std::vector<uint16_t> head, tail;
    if (gap == std::string_view::npos) {
        if (!parseGroups(text, true, head) || head.size() != 8) return std::nullopt;
    } else {
        if (text.find("::", gap + 1) != std::string_view::npos) return std::nullopt;
        if (!parseGroups(text.substr(0, gap), false, head) || !parseGroups(text.substr(gap + 2), true, tail) ||
            head.size() + tail.size() > 7)
            return std::nullopt;
    }
    IpAddress address;
    address.v6 = true;
    for (size_t i = 0; i < head.size(); ++i) {
        address.bytes[2 * i] = static_cast<uint8_t>(head[i] >> 8);
        address.bytes[2 * i + 1] = static_cast<uint8_t>(head[i]);
    }
    for (size_t i = 0; i < tail.size(); ++i) {
        size_t at = 8 - tail.size() + i;
        address.bytes[2 * at] = static_cast<uint8_t>(tail[i] >> 8);
        address.bytes[2 * at + 1] = static_cast<uint8_t>(tail[i]);
    }
    bool mapped = address.bytes[10] == 0xFF && address.bytes[11] == 0xFF;
    for (int i = 0; i < 10 && mapped; ++i) mapped = address.bytes[i] == 0;
    if (mapped) {
        return ipv4Address((uint32_t{address.bytes[12]} << 24) | (uint32_t{address.bytes[13]} << 16) |
                           (uint32_t{address.bytes[14]} << 8) | address.bytes[15]);
    }
    return address;
}

}  // namespace

IpAddress ipv4Address(uint32_t value) {
    IpAddress address;
    for (int i = 0; i < 4; ++i) address.bytes[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
    return address;
}

uint32_t ipv4Value(const IpAddress& address) {
    return (uint32_t{address.bytes[0]} << 24) | (uint32_t{address.bytes[1]} << 16) | (uint32_t{address.bytes[2]} << 8) |
           address.bytes[3];
}

std::optional<IpAddress> parseIpAddress(std::string_view text) {
    if (text.find(':') != std::string_view::npos) return parseIpv6(text);
    auto quad = parseDottedQuad(text);
    if (!quad) return std::nullopt;
    return ipv4Address(*quad);
}

bool isInternalAddress(const IpAddress& address) {
    const auto& b = address.bytes;
    if (!address.v6) {
        return b[0] == 10 || b[0] == 127 || (b[0] == 172 && (b[1] & 0xF0) == 16) || (b[0] == 192 && b[1] == 168);
    }
    bool loopback = b[15] == 1;
    for (int i = 0; i < 15 && loopback; ++i) loopback = b[i] == 0;
    return loopback || (b[0] & 0xFE) == 0xFC || (b[0] == 0xFE && (b[1] & 0xC0) == 0x80);
}

std::string formatIpAddress(const IpAddress& address) {
    const auto& b = address.bytes;
    if (!address.v6)
        return std::to_string(b[0]) + '.' + std::to_string(b[1]) + '.' + std::to_string(b[2]) + '.' + std::to_string(b[3]);
    uint16_t groups[8];
    for (int i = 0; i < 8; ++i) groups[i] = static_cast<uint16_t>(b[2 * i] << 8 | b[2 * i + 1]);
    int bestStart = -1, bestLength = 1;
    for (int i = 0; i < 8;) {
        int j = i;
        while (j < 8 && groups[j] == 0) ++j;
        if (j - i > bestLength) bestStart = i, bestLength = j - i;
        i = j == i ? i + 1 : j;
    }
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 8; ++i) {
        if (i == bestStart) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (!text.empty() && text.back() != ':') text += ':';
        bool started = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            int digit = (groups[i] >> shift) & 15;
            if (digit || started || shift == 0) text += kHex[digit], started = true;
        }
    }
    return text;
}

}  // namespace tarn::engine
