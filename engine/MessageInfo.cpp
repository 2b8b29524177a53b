// Received headers name the relays a message passed; private and reserved addresses say nothing of a country.
#include "MessageInfo.h"

#include <algorithm>
#include <cctype>

#include "GeoIpCountries.h"
#include "IpList.h"
#include "MimeMessage.h"
#include "TextUtil.h"
#include "TransferDecoding.h"

namespace tarn::engine {

namespace {

constexpr size_t kMaxBodyForCharsets = 4 * 1024 * 1024;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isPublic(uint32_t a) {
    uint32_t first = a >> 24, second = (a >> 16) & 0xFF;
    if (first == 0 || first == 10 || first == 127 || first >= 224) return false;
    if (first == 169 && second == 254) return false;
    if (first == 172 && second >= 16 && second <= 31) return false;
    if (first == 192 && second == 168) return false;
    if (first == 100 && second >= 64 && second <= 127) return false;
    return true;
}

bool isHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) || c == '-' || c == '.';
}

bool isAddressChar(char c) { return isHostChar(c) || c == ':' || c == '_'; }

struct FoundAddress {
    IpAddress address;
    size_t start;  ///< where the address itself begins, past any "IPv6:" tag
};

/// Addresses standing as whole words: a host name that holds digits is not read as one.
std::vector<FoundAddress> addressesIn(std::string_view text) {
    std::vector<FoundAddress> found;
    size_t i = 0;
    while (i < text.size()) {
        if (!isAddressChar(text[i])) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < text.size() && isAddressChar(text[i])) ++i;
        std::string_view word = text.substr(start, i - start);
        if (startsWithNoCase(word, "ipv6:")) {
            word.remove_prefix(5);
            start += 5;
        }
        while (!word.empty() && word.back() == '.') word.remove_suffix(1);
        if (auto address = parseIpAddress(word)) found.push_back({*address, start});
    }
    return found;
}

}  // namespace

std::vector<uint32_t> receivedAddresses(std::string_view received) {
    std::vector<uint32_t> addresses;
    for (const auto& found : addressesIn(received))
        if (!found.address.v6 && isPublic(ipv4Value(found.address))) addresses.push_back(ipv4Value(found.address));
    return addresses;
}

std::optional<IpAddress> receivedRelay(std::string_view received) {
    std::string_view text = trim(received);
    if (text.size() < 5 || !startsWithNoCase(text, "from") || !isBlank(text[4])) return std::nullopt;
    // The from part ends where the receiving server names itself.
    size_t end = std::min(text.size(), text.find(';'));
    for (size_t i = 4; i + 3 < end; ++i) {
        if (isBlank(text[i]) && startsWithNoCase(text.substr(i + 1), "by") && isBlank(text[i + 3])) {
            end = i;
            break;
        }
    }
    std::string_view clause = text.substr(0, end);
    std::optional<IpAddress> best;
    int bestRank = 0, depth = 0;
    size_t scanned = 0;
    for (const auto& found : addressesIn(clause)) {
        for (; scanned < found.start; ++scanned) {
            if (clause[scanned] == '(') ++depth;
            else if (clause[scanned] == ')' && depth > 0) --depth;
        }
        size_t before = found.start;
        if (before >= 5 && equalsNoCase(clause.substr(before - 5, 5), "ipv6:")) before -= 5;
        bool bracketed = before > 0 && clause[before - 1] == '[';
        if (bracketed) --before;
        std::string_view tag = before >= 5 ? clause.substr(before - 5, 5) : std::string_view();
        if (!tag.empty() && (equalsNoCase(tag.substr(0, 4), "helo") || equalsNoCase(tag.substr(0, 4), "ehlo")) &&
            (tag[4] == '=' || isBlank(tag[4])))
            continue;  // the name the sending host gave itself proves nothing
        int rank = bracketed ? 3 : depth > 0 ? 2 : 1;
        if (rank > bestRank) {
            best = found.address;
            bestRank = rank;
        }
    }
    return best;
}

std::optional<IpAddress> senderRelay(std::string_view headers, const IpList& ignored) {
    for (const auto& field : parseHeaderFields(headers)) {
        if (!equalsNoCase(field.name, "Received")) continue;
        auto relay = receivedRelay(field.value);
        if (relay && !isInternalAddress(*relay) && !ignored.contains(*relay)) return relay;
    }
    return std::nullopt;
}

std::vector<std::string> receivedHostCountries(std::string_view received) {
    std::vector<std::string> countries;
    size_t i = 0;
    while (i < received.size()) {
        if (!isHostChar(received[i])) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < received.size() && isHostChar(received[i])) ++i;
        std::string_view host = received.substr(start, i - start);
        while (!host.empty() && host.back() == '.') host.remove_suffix(1);
        size_t dot = host.rfind('.');
        if (dot == std::string_view::npos || dot == 0 || host.size() - dot != 3) continue;
        std::string tld = toLowerAscii(host.substr(dot + 1));
        if (!std::isalpha(static_cast<unsigned char>(tld[0])) || !std::isalpha(static_cast<unsigned char>(tld[1])))
            continue;
        if (tld == "uk") tld = "gb";
        if (tld == "eu" || tld == "su") continue;
        addUnique(countries, tld);
    }
    return countries;
}

MessageInfo describeMessage(std::string_view headers, std::string_view body, const GeoIpCountries* database) {
    MessageInfo info;
    auto fields = parseHeaderFields(headers);
    for (const auto& field : fields) {
        if (equalsNoCase(field.name, "Subject") || equalsNoCase(field.name, "From") || equalsNoCase(field.name, "To"))
            decodeEncodedWords(field.value, &info.charsets);
        if (!equalsNoCase(field.name, "Received")) continue;
        bool found = false;
        if (database && database->isOpen()) {
            for (uint32_t address : receivedAddresses(field.value)) {
                std::string code = database->lookup(address);
                if (!code.empty()) {
                    addUnique(info.countries, code);
                    found = true;
                }
            }
        }
        if (!found)
            for (auto& code : receivedHostCountries(field.value)) addUnique(info.countries, std::move(code));
    }
    DecodedBody decoded = decodeBody(fields, body.substr(0, kMaxBodyForCharsets), 0);
    for (auto& charset : decoded.charsets) addUnique(info.charsets, std::move(charset));
    return info;
}

}  // namespace tarn::engine
