// SHA-256 and SHA-512 (FIPS 180-4), streaming and in one call, with the hex form the release files use.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::crypto {

using Sha256Digest = std::array<uint8_t, 32>;
using Sha512Digest = std::array<uint8_t, 64>;

class Sha256 {
public:
    Sha256();
    void update(const void* data, size_t size);
    void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
    /// The digest of everything passed; the object is spent afterwards.
    Sha256Digest finish();

private:
    void block(const uint8_t* p);
    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> buffer_{};
    size_t buffered_ = 0;
    uint64_t total_ = 0;
};

class Sha512 {
public:
    Sha512();
    void update(const void* data, size_t size);
    void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
    Sha512Digest finish();

private:
    void block(const uint8_t* p);
    std::array<uint64_t, 8> state_;
    std::array<uint8_t, 128> buffer_{};
    size_t buffered_ = 0;
    uint64_t total_ = 0;  // bytes; messages beyond 2^61 bytes are not hashed here
};

Sha256Digest sha256(std::string_view bytes);
Sha512Digest sha512(std::string_view bytes);

/// Lower-case hex of the bytes.
std::string toHex(const uint8_t* bytes, size_t size);
template <size_t N>
std::string toHex(const std::array<uint8_t, N>& bytes) {
    return toHex(bytes.data(), N);
}
/// The bytes of exactly 2*N hex digits (either case), or nothing.
template <size_t N>
std::optional<std::array<uint8_t, N>> fromHex(std::string_view hex);
bool fromHexInto(std::string_view hex, uint8_t* out, size_t size);

template <size_t N>
std::optional<std::array<uint8_t, N>> fromHex(std::string_view hex) {
    std::array<uint8_t, N> out{};
    if (!fromHexInto(hex, out.data(), N)) return std::nullopt;
    return out;
}

}  // namespace tarn::crypto
