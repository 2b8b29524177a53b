// What the engine tells about one message: its character sets and the countries it passed through.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::engine {

class GeoIpCountries;

struct MessageInfo {
    std::vector<std::string> charsets;
    std::vector<std::string> countries;
};

/// Public IPv4 addresses named in one Received header, in order.
std::vector<uint32_t> receivedAddresses(std::string_view received);
/// The country top-level domains of the host names in one Received header ("uk" counts as "gb").
std::vector<std::string> receivedHostCountries(std::string_view received);

/// Countries come from the relays' addresses when a database knows them, else from their host names.
MessageInfo describeMessage(std::string_view headers, std::string_view body, const GeoIpCountries* database);

}  // namespace tarn::engine
