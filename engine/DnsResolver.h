// The engine's view of DNS: ask many A questions at once and have every answer, or none, by a deadline.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DnsMessage.h"

namespace tarn::engine {

struct DnsExchange {
    std::string name;               ///< asked for its A records
    std::optional<DnsReply> reply;  ///< empty when no answer came by the deadline
};

class DnsResolver {
public:
    virtual ~DnsResolver() = default;
    /// Asks every question at once and returns by `deadline` at the latest; a question left
    /// unanswered then keeps an empty reply.
    virtual void resolve(std::vector<DnsExchange>& exchanges, std::chrono::steady_clock::time_point deadline) = 0;
};

/// The system's name servers, or those of `servers` ("127.0.0.1:5353,192.0.2.53", port 53 when not
/// given); an unreadable list leaves the resolver answering nothing.
std::unique_ptr<DnsResolver> makeDnsResolver(const std::string& servers);

}  // namespace tarn::engine
