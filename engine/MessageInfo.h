// What the engine tells about one message: its character sets, the countries it passed through, its sender's relay.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "IpAddress.h"

namespace tarn::engine {

class GeoIpCountries;
class IpList;

struct MessageInfo {
    std::vector<std::string> charsets;
    std::vector<std::string> countries;
};

/// Public IPv4 addresses named in one Received header, in order.
std::vector<uint32_t> receivedAddresses(std::string_view received);
/// The address of the host one Received header says it took the message from: a bracketed address
/// before one in parentheses before a bare one, never the name the host gave for itself (HELO).
std::optional<IpAddress> receivedRelay(std::string_view received);
/// The relay that handed the message to the user's side, walking the Received headers from the newest:
/// internal hops and `ignored` relays (the user's own provider) are passed; the first other relay is the
/// sender's. Headers below it are not read, as the sender may have forged them.
std::optional<IpAddress> senderRelay(std::string_view headers, const IpList& ignored);
/// The country top-level domains of the host names in one Received header ("uk" counts as "gb").
std::vector<std::string> receivedHostCountries(std::string_view received);

/// Countries come from the relays' addresses when a database knows them, else from their host names.
MessageInfo describeMessage(std::string_view headers, std::string_view body, const GeoIpCountries* database);

}  // namespace tarn::engine
