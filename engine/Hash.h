// A fast 64-bit hash for tokens, so the word store keys on numbers instead of strings.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace tarn::engine {

inline uint64_t mix64(uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
}

/// Hashes eight bytes at a time; the key space is stored on disk, so this must never change.
inline uint64_t hashBytes(std::string_view text, uint64_t seed = 0x9e3779b97f4a7c15ULL) {
    uint64_t h = seed ^ (text.size() * 0x100000001b3ULL);
    const char* p = text.data();
    size_t n = text.size();
    while (n >= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ mix64(word)) * 0x9fb21c651e98df25ULL;
        p += 8;
        n -= 8;
    }
    uint64_t tail = 0;
    for (size_t i = 0; i < n; ++i) tail |= static_cast<uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    h = (h ^ mix64(tail + n)) * 0x9fb21c651e98df25ULL;
    h = mix64(h);
    return h == 0 ? 1 : h;  // 0 marks an empty slot in the word store
}

/// A token's key under a prefix ("subject:", "url:"), hashed without building the joined string.
inline uint64_t hashToken(uint64_t prefixSeed, std::string_view token) { return hashBytes(token, prefixSeed); }

}  // namespace tarn::engine
