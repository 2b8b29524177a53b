// IPv4 and IPv6 addresses as Received headers and the user's IP lists write them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::engine {

struct IpAddress {
    bool v6 = false;
    /// Network order; an IPv4 address uses the first four bytes.
    std::array<uint8_t, 16> bytes{};

    bool operator==(const IpAddress&) const = default;
    int bits() const { return v6 ? 128 : 32; }
};

IpAddress ipv4Address(uint32_t value);
uint32_t ipv4Value(const IpAddress& address);

/// A dotted quad or an IPv6 address (with "::" and a dotted tail); an IPv4-mapped IPv6 address reads as IPv4.
std::optional<IpAddress> parseIpAddress(std::string_view text);

/// A dotted quad, or IPv6 in lower-case hex groups with the longest run of two or more zero groups as "::".
std::string formatIpAddress(const IpAddress& address);

/// Loopback, private and link-local addresses: hops inside the user's own network.
bool isInternalAddress(const IpAddress& address);

}  // namespace tarn::engine
