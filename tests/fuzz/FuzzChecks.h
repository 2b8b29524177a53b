// What the fuzz targets check besides "no crash": a failed check aborts, which the fuzzer reports
// as a crash with the input that caused it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <unistd.h>

namespace tw::fuzz {

inline void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

/// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or code points past U+10FFFF.
inline bool isUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<uint8_t>(s[i]);
        size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || i + length > s.size()) return false;
        uint32_t code = length == 1 ? c : length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 0x07);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(s[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

/// A folder of this fuzzing process's own under the temporary folder, made empty at the first call;
/// each input cleans up after itself there.
inline const std::filesystem::path& scratchFolder(const char* target) {
    static const std::filesystem::path folder = [target] {
        auto path = std::filesystem::temp_directory_path() / (std::string(target) + "-" + std::to_string(::getpid()));
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

}  // namespace tw::fuzz
