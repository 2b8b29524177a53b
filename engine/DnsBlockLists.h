// DNS block lists: which of a message's relays the lists in "rbl_list" name, asked in parallel within a deadline.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Classifier.h"
#include "DnsResolver.h"
#include "EngineOptions.h"
#include "IpAddress.h"
#include "IpList.h"

namespace tarn::engine {

struct BlockListHit {
    IpAddress address;
    std::string zone;
};

/// The spam probability one listed relay adds to the classifier's evidence.
constexpr double kPListedRelay = 0.99;

/// The relays worth asking about, newest first, at most `limit`: each Received header's sending host
/// that is public (never loopback, private, link-local, shared or multicast) and not in `ignored`.
std::vector<IpAddress> blockListRelays(std::string_view headers, const IpList& ignored, size_t limit);

class DnsBlockLists {
public:
    using Clock = std::chrono::steady_clock;
    /// `clock` tells the lifetimes of cached answers and of a zone set aside; the deadline is always real time.
    explicit DnsBlockLists(std::function<Clock::time_point()> clock = [] { return Clock::now(); });

    /// The block-list hits of the relays that count: every listed relay, or with "rbl_multihit" the relays
    /// two zones agree on. Nothing when "enable_rbl_check" is off, "rbl_list" empty or `contentScore` outside
    /// "rbl_threshold". Waits at most "rbl_timeout" seconds in all.
    std::vector<BlockListHit> check(std::string_view headers, const EngineOptions& options, const IpList& ignored,
                                    int32_t contentScore);

    /// One piece of evidence per relay among `hits`.
    static std::vector<ExtraEvidence> evidence(const std::vector<BlockListHit>& hits);
    /// The explanation lines of `hits`: "rbl", the address, the probability, the zone.
    static std::string clues(const std::vector<BlockListHit>& hits);

private:
    struct Cached {
        bool listed;
        Clock::time_point until;
    };
    DnsResolver& resolver(const std::string& servers);
    void remember(const std::string& name, const DnsReply& reply, Clock::time_point now);

    std::function<Clock::time_point()> clock_;
    std::unique_ptr<DnsResolver> resolver_;
    std::string servers_;
    std::map<std::string, Cached> cache_;  ///< by question name, which holds the address and the zone
    std::map<std::string, Clock::time_point> zoneAsideUntil_;
};

}  // namespace tarn::engine
