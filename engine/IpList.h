// One of the user's IP lists: single addresses, CIDR ranges and trailing IPv4 wildcards, read once when set.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "IpAddress.h"

namespace tarn::engine {

struct IpRange {
    IpAddress base;  ///< host bits cleared
    int prefix = 0;
};

/// "192.0.2.7", "192.0.2.0/24", "2001:db8::/32", "192.0.2.*" or "10.*"; nothing else.
std::optional<IpRange> parseIpRange(std::string_view entry);

class IpList {
public:
    /// Reads the add-in's comma list; entries it cannot read are skipped and added to `malformed`.
    static IpList parse(std::string_view text, std::vector<std::string>* malformed);

    /// Only ranges of the address's own family match: no IPv6 range holds an IPv4 address.
    bool contains(const IpAddress& address) const;
    bool empty() const { return ranges_.empty(); }

private:
    std::vector<IpRange> ranges_;
};

}  // namespace tarn::engine
