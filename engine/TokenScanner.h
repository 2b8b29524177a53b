// Word and address scanning over raw text, handing out lower-cased words without allocating.
#pragma once

#include <cstdint>
#include <string_view>

#include "Hash.h"
#include "TextUtil.h"

namespace tarn::engine {

inline bool isWordStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80 || c == '$';
}

inline bool isWordChar(unsigned char c) {
    return isWordStart(c) || c == '_' || c == '\'' || c == '-' || c == '.' || c == '@' || c == '%' || c == ',';
}

inline bool isTrailingJoiner(char c) { return c == '.' || c == '-' || c == '\'' || c == ',' || c == '@' || c == '_'; }

constexpr size_t kMaxWordLength = 32;

/// Calls `emit(std::string_view word)` for every word of `text`, lower-cased, 2..32 bytes long;
/// longer runs are reported through `emitLong(first byte, length)`.
template <typename Emit, typename EmitLong>
void scanWords(std::string_view text, Emit&& emit, EmitLong&& emitLong) {
    char buffer[kMaxWordLength];
    const size_t n = text.size();
    const char* p = text.data();
    size_t i = 0;
    while (i < n) {
        if (!isWordStart(static_cast<unsigned char>(p[i]))) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < n && isWordChar(static_cast<unsigned char>(p[i]))) ++i;
        size_t end = i;
        while (end > start && isTrailingJoiner(p[end - 1])) --end;
        size_t length = end - start;
        if (length < 2) continue;
        if (length > kMaxWordLength) {
            emitLong(lowerAscii(p[start]), length);
            continue;
        }
        for (size_t k = 0; k < length; ++k) buffer[k] = lowerAscii(p[start + k]);
        emit(std::string_view(buffer, length));
    }
}

}  // namespace tarn::engine
