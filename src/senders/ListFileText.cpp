// Encoding detection for list files that another program or an editor wrote.
#include "senders/ListFileText.h"

#include <algorithm>
#include <cstdint>

#include "core/AnsiText.h"
#include "core/Utf8.h"

namespace tw::senders {

namespace {


std::string fromUtf16(std::string_view bytes, bool bigEndian) {
    auto unit = [&](size_t i) -> uint32_t {
        auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        return (static_cast<uint32_t>(hi) << 8) | lo;
    };
    std::string out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < bytes.size()) {
            uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        // A lone surrogate becomes the replacement character, which no entry accepts.
        if (cp >= 0xD800 && cp < 0xE000) cp = 0xFFFD;
        utf8::append(out, cp);
    }
    return out;
}

/// 'L' or 'B' when the zero bytes sit where UTF-16 puts them for ASCII text; 0 otherwise.
char utf16WithoutMark(std::string_view bytes) {
    size_t pairs = std::min<size_t>(bytes.size() / 2, 4096);
    if (pairs < 2) return 0;
    size_t zeroEven = 0, zeroOdd = 0;
    for (size_t i = 0; i < pairs; ++i) {
        zeroEven += bytes[2 * i] == '\0';
        zeroOdd += bytes[2 * i + 1] == '\0';
    }
    if (zeroOdd * 2 >= pairs && zeroEven * 10 < pairs) return 'L';
    if (zeroEven * 2 >= pairs && zeroOdd * 10 < pairs) return 'B';
    return 0;
}

bool isUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t more = 0;
        if (c >= 0xC2 && c <= 0xDF) more = 1;
        else if (c >= 0xE0 && c <= 0xEF) more = 2;
        else if (c >= 0xF0 && c <= 0xF4) more = 3;
        else if (c >= 0x80) return false;
        if (i + more >= text.size()) return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

std::string latin1Lines(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string_view line(text.data() + start, end - start);
        if (isUtf8(line)) {
            out += line;
        } else {
            for (char c : line) utf8::append(out, static_cast<unsigned char>(c));
        }
        start = end;
    }
    return out;
}

}  // namespace

bool isPlainAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c != '\0' && static_cast<unsigned char>(c) < 0x80; });
}

std::string decodeListFileBytes(std::string_view bytes) {
    if (isPlainAscii(bytes)) return std::string(bytes);
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return fromUtf16(bytes.substr(2), false);
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return fromUtf16(bytes.substr(2), true);
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return latin1Lines(std::string(bytes.substr(3)));
    if (char order = utf16WithoutMark(bytes)) return fromUtf16(bytes, order == 'B');
    return latin1Lines(ansi::toUtf8(bytes));
}

bool isListEntry(std::string_view entry) {
    if (entry.empty()) return false;
    bool seenAt = false;
    for (size_t i = 0; i < entry.size(); ++i) {
        const auto u = static_cast<unsigned char>(entry[i]);
        switch (u) {
            case '<': case '>': case '"': case '(': case ')': case ',': case ';': case ':': case '/': case '\\':
            case 0x7F:
                return false;
            case '@':
                if (seenAt) return false;
                seenAt = true;
                break;
            case 0xEF: {
                // The replacement character stands for text that could not be decoded; a byte-order
                // mark is no text.
                const std::string_view three = entry.substr(i, 3);
                if (three == "\xEF\xBF\xBD" || three == "\xEF\xBB\xBF") return false;
                break;
            }
            default:
                if (u <= 0x20) return false;
        }
    }
    return true;
}

}  // namespace tw::senders
