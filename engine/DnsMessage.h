// DNS wire format for block-list lookups: the A question the engine sends and what it reads from an answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "IpAddress.h"

namespace tarn::engine {

/// The name a block list is asked for an address: reversed octets for IPv4, reversed nibbles for IPv6,
/// then the zone ("7.113.0.203.bl.example.org").
std::string blockListQueryName(const IpAddress& address, std::string_view zone);

/// A recursive A/IN question for `name` with message id `id`; empty when the name cannot be encoded
/// (a label over 63 bytes, an empty label, a name over 253 bytes).
std::vector<uint8_t> dnsQuery(std::string_view name, uint16_t id);

uint16_t dnsMessageId(const std::vector<uint8_t>& message);

struct DnsReply {
    enum class Kind {
        addresses,  ///< the name exists: its A records (possibly none), `ttl` the smallest of their lifetimes
        noName,     ///< the name does not exist; `ttl` the negative lifetime from the SOA, when one came
        failed,     ///< a server failure, a refusal, a cut-off or unreadable answer: says nothing
    };
    Kind kind = Kind::failed;
    std::vector<uint32_t> addresses;
    std::optional<uint32_t> ttl;
};

/// Reads an answer to the A question for `name`. An answer to another question, one that is not an
/// answer, truncated, or that runs past its end reads as failed.
DnsReply readDnsReply(const uint8_t* data, size_t size, std::string_view name);

}  // namespace tarn::engine
