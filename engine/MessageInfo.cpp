// Received headers name the relays a message passed; private and reserved addresses say nothing of a country.
#include "MessageInfo.h"

#include <cctype>

#include "GeoIpCountries.h"
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

}  // namespace

std::vector<uint32_t> receivedAddresses(std::string_view received) {
    std::vector<uint32_t> addresses;
    size_t i = 0;
    while (i < received.size()) {
        if (!isDigit(received[i]) || (i > 0 && (isDigit(received[i - 1]) || received[i - 1] == '.'))) {
            ++i;
            continue;
        }
        uint32_t value = 0;
        int parts = 0;
        size_t j = i;
        bool valid = true;
        while (parts < 4) {
            size_t digitsStart = j;
            uint32_t part = 0;
            while (j < received.size() && isDigit(received[j]) && j - digitsStart < 4) part = part * 10 + static_cast<uint32_t>(received[j++] - '0');
            size_t digits = j - digitsStart;
            if (digits == 0 || digits > 3 || part > 255) {
                valid = false;
                break;
            }
            value = (value << 8) | part;
            ++parts;
            if (parts < 4) {
                if (j >= received.size() || received[j] != '.') {
                    valid = false;
                    break;
                }
                ++j;
            }
        }
        if (valid && (j >= received.size() || (!isDigit(received[j]) && received[j] != '.' ))) {
            if (isPublic(value)) addresses.push_back(value);
        }
        i = j > i ? j : i + 1;
    }
    return addresses;
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
