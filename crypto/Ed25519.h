// Ed25519 signatures (RFC 8032): a key pair from a 32-byte seed, signing and verifying.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tarn::crypto {

/// The secret: 32 random bytes. Whoever holds it can sign; it never leaves the release machine.
using Ed25519Seed = std::array<uint8_t, 32>;
using Ed25519PublicKey = std::array<uint8_t, 32>;
using Ed25519Signature = std::array<uint8_t, 64>;

Ed25519PublicKey ed25519PublicKey(const Ed25519Seed& seed);
Ed25519Signature ed25519Sign(const Ed25519Seed& seed, std::string_view message);
/// True only for a signature made with the secret of `key` over exactly `message`. Refuses keys that
/// are not points of the curve and signatures whose scalar is not reduced.
bool ed25519Verify(const Ed25519PublicKey& key, std::string_view message, const Ed25519Signature& signature);

}  // namespace tarn::crypto
