// Decoders written to accept any bytes: mail in the wild is often not what its headers claim.
#include "TransferDecoding.h"

#include <algorithm>
#include <array>

#include "TextUtil.h"

namespace tarn::engine {

namespace {

constexpr std::array<int8_t, 256> makeBase64Table() {
    std::array<int8_t, 256> t{};
    for (auto& v : t) v = -1;
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i) t[static_cast<unsigned char>(alphabet[i])] = static_cast<int8_t>(i);
    return t;
}
constexpr auto kBase64 = makeBase64Table();

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string decodeBase64(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '=') break;
        int v = kBase64[static_cast<unsigned char>(c)];
        if (v < 0) continue;
        bits = (bits << 6) | static_cast<uint32_t>(v);
        if (++count == 4) {
            out.push_back(static_cast<char>((bits >> 16) & 0xFF));
            out.push_back(static_cast<char>((bits >> 8) & 0xFF));
            out.push_back(static_cast<char>(bits & 0xFF));
            bits = 0;
            count = 0;
        }
    }
    if (count == 2) out.push_back(static_cast<char>((bits >> 4) & 0xFF));
    if (count == 3) {
        out.push_back(static_cast<char>((bits >> 10) & 0xFF));
        out.push_back(static_cast<char>((bits >> 2) & 0xFF));
    }
    return out;
}

std::string encodeBase64(std::string_view bytes) {
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    int lineLength = 0;
    for (; i < bytes.size(); i += 3) {
        uint32_t b0 = static_cast<unsigned char>(bytes[i]);
        uint32_t b1 = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        uint32_t b2 = i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0;
        uint32_t n = (b0 << 16) | (b1 << 8) | b2;
        out.push_back(alphabet[(n >> 18) & 63]);
        out.push_back(alphabet[(n >> 12) & 63]);
        out.push_back(i + 1 < bytes.size() ? alphabet[(n >> 6) & 63] : '=');
        out.push_back(i + 2 < bytes.size() ? alphabet[n & 63] : '=');
        if ((lineLength += 4) >= 76) {
            out += "\r\n";
            lineLength = 0;
        }
    }
    if (lineLength) out += "\r\n";
    return out;
}

std::string decodeQuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '=') {
            out.push_back(c);
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\n') {
            i += 1;
        } else if (i + 2 < text.size() && text[i + 1] == '\r' && text[i + 2] == '\n') {
            i += 2;
        } else if (i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string decodeEncodedWords(std::string_view text, std::vector<std::string>* charsets) {
    std::string out;
    size_t pos = 0;
    bool lastWasEncoded = false;
    while (pos < text.size()) {
        size_t start = text.find("=?", pos);
        if (start == std::string_view::npos) {
            out.append(text.substr(pos));
            break;
        }
        // A word is =?charset?enc?payload?= with no blanks inside.
        size_t q1 = text.find('?', start + 2);
        size_t q2 = q1 == std::string_view::npos ? q1 : text.find('?', q1 + 1);
        size_t end = q2 == std::string_view::npos ? q2 : text.find("?=", q2 + 1);
        if (end == std::string_view::npos || q2 != q1 + 2) {
            out.append(text.substr(pos, start + 2 - pos));
            pos = start + 2;
            lastWasEncoded = false;
            continue;
        }
        std::string_view between = text.substr(pos, start - pos);
        // Blanks between two adjacent encoded words are not part of the text.
        if (!(lastWasEncoded && trim(between).empty())) out.append(between);
        std::string_view charset = text.substr(start + 2, q1 - start - 2);
        if (size_t star = charset.find('*'); star != std::string_view::npos) charset = charset.substr(0, star);
        char encoding = static_cast<char>(text[q1 + 1] | 0x20);
        std::string_view payload = text.substr(q2 + 1, end - q2 - 1);
        if (encoding == 'b') {
            out += decodeBase64(payload);
        } else {
            std::string underscoresAsBlanks(payload);
            std::replace(underscoresAsBlanks.begin(), underscoresAsBlanks.end(), '_', ' ');
            out += decodeQuotedPrintable(underscoresAsBlanks);
        }
        if (charsets && !charset.empty()) addUnique(*charsets, toLowerAscii(charset));
        pos = end + 2;
        lastWasEncoded = true;
    }
    return out;
}

bool looksLikeBase64(std::string_view text) {
    std::string_view head = text.substr(0, std::min<size_t>(text.size(), 2048));
    size_t letters = 0;
    for (char c : head) {
        if (c == '\r' || c == '\n' || c == '=') continue;
        if (kBase64[static_cast<unsigned char>(c)] < 0) return false;
        ++letters;
    }
    return letters >= 4;
}

}  // namespace tarn::engine
