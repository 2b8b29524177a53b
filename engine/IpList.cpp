// Entries are checked whole: a typo must not widen a range into one that blocks or approves mail by surprise.
#include "IpList.h"

#include <algorithm>

#include "TextUtil.h"

namespace tarn::engine {

namespace {

void clearHostBits(IpAddress& address, int prefix) {
    for (int bit = prefix; bit < address.bits(); ++bit)
        address.bytes[bit / 8] = static_cast<uint8_t>(address.bytes[bit / 8] & ~(0x80 >> (bit % 8)));
}

bool samePrefix(const IpAddress& a, const IpAddress& b, int prefix) {
    int whole = prefix / 8;
    for (int i = 0; i < whole; ++i)
        if (a.bytes[i] != b.bytes[i]) return false;
    if (prefix % 8 == 0) return true;
    uint8_t mask = static_cast<uint8_t>(0xFF00 >> (prefix % 8));
    return (a.bytes[whole] & mask) == (b.bytes[whole] & mask);
}

/// "10.*", "192.0.*.*", "192.0.2.*": whole leading octets, then only wildcards.
std::optional<IpRange> parseWildcard(std::string_view entry) {
    int stars = 0;
    while (entry.size() >= 2 && entry.substr(entry.size() - 2) == ".*") {
        entry.remove_suffix(2);
        ++stars;
    }
    int octets = entry.empty() ? 0 : 1 + static_cast<int>(std::count(entry.begin(), entry.end(), '.'));
    if (stars == 0 || octets == 0 || octets + stars > 4) return std::nullopt;
    std::string quad(entry);
    for (int i = octets; i < 4; ++i) quad += ".0";
    auto address = parseIpAddress(quad);
    if (!address) return std::nullopt;
    return IpRange{*address, 8 * octets};
}

}  // namespace

std::optional<IpRange> parseIpRange(std::string_view entry) {
    if (entry.find('*') != std::string_view::npos) return parseWildcard(entry);
    size_t slash = entry.find('/');
    auto address = parseIpAddress(entry.substr(0, slash));
    if (!address) return std::nullopt;
    int prefix = address->bits();
    if (slash != std::string_view::npos) {
        std::string_view digits = entry.substr(slash + 1);
        if (digits.empty() || digits.size() > 3) return std::nullopt;
        prefix = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return std::nullopt;
            prefix = prefix * 10 + (c - '0');
        }
        // An IPv4-mapped range was written in IPv6 bits.
        if (!address->v6 && entry.find(':') != std::string_view::npos) {
            if (prefix < 96) return std::nullopt;
            prefix -= 96;
        }
        if (prefix > address->bits()) return std::nullopt;
    }
    clearHostBits(*address, prefix);
    return IpRange{*address, prefix};
}

IpList IpList::parse(std::string_view text, std::vector<std::string>* malformed) {
    IpList list;
    while (!text.empty()) {
        size_t comma = text.find(',');
        std::string_view entry = trim(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        if (entry.empty()) continue;
        if (auto range = parseIpRange(entry)) list.ranges_.push_back(*range);
        else if (malformed) malformed->emplace_back(entry);
    }
    return list;
}

bool IpList::contains(const IpAddress& address) const {
    for (const auto& range : ranges_)
        if (range.base.v6 == address.v6 && samePrefix(range.base, address, range.prefix)) return true;
    return false;
}

}  // namespace tarn::engine
