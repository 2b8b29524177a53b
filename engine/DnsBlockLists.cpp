// Block-list lookups cost the user's window their wait, so answers are cached and a silent zone is set aside.
#include "DnsBlockLists.h"

#include <algorithm>
#include <cstdio>

#include "MessageInfo.h"
#include "MimeMessage.h"
#include "TextUtil.h"

namespace tarn::engine {

namespace {

using namespace std::chrono_literals;

constexpr size_t kMaxZones = 10;
constexpr int64_t kMaxAddresses = 10;
constexpr size_t kMaxCachedAnswers = 4096;
// An answer is trusted for its own lifetime up to an hour: lists remove addresses, and a user who
// asks for a message again expects the current word.
constexpr uint32_t kMaxTtlSeconds = 3600;
// A "not listed" without the zone's SOA is kept a quarter of an hour.
constexpr uint32_t kDefaultNegativeTtlSeconds = 900;
// A zone that answered nothing in time is not asked for ten minutes: each message would otherwise wait.
constexpr auto kZoneAside = 10min;
constexpr auto kDefaultTimeout = 5000ms;
constexpr auto kMaxTimeout = 30000ms;

bool worthAsking(const IpAddress& address) {
    if (isInternalAddress(address)) return false;
    const auto& b = address.bytes;
    if (!address.v6) {
        return b[0] != 0 && b[0] < 224 && !(b[0] == 169 && b[1] == 254) && !(b[0] == 100 && (b[1] & 0xC0) == 64);
    }
    bool unspecified = true;
    for (uint8_t byte : b) unspecified = unspecified && byte == 0;
    return !unspecified && b[0] != 0xFF;
}

std::vector<std::string> zonesOf(std::string_view list) {
    std::vector<std::string> zones;
    size_t start = 0;
    while (start <= list.size() && zones.size() < kMaxZones) {
        size_t comma = std::min(list.find(',', start), list.size());
        std::string_view zone = trim(list.substr(start, comma - start));
        while (!zone.empty() && zone.front() == '.') zone.remove_prefix(1);
        while (!zone.empty() && zone.back() == '.') zone.remove_suffix(1);
        if (!zone.empty()) addUnique(zones, toLowerAscii(zone));
        start = comma + 1;
    }
    return zones;
}

/// Seconds with an optional fraction ("5", "0.5"), read without the locale's decimal point.
std::chrono::milliseconds timeoutOf(std::string_view text) {
    text = trim(text);
    auto digit = [&text](size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
    int64_t ms = 0, scale = 100;
    size_t i = 0;
    bool any = false;
    for (; digit(i) && ms < 1'000'000'000; ++i, any = true) ms = ms * 10 + (text[i] - '0');
    ms *= 1000;
    if (i < text.size() && text[i] == '.')
        for (++i; digit(i); ++i, any = true, scale /= 10) ms += (text[i] - '0') * scale;
    if (!any || i != text.size() || ms <= 0) return kDefaultTimeout;
    return std::min(std::chrono::milliseconds(ms), kMaxTimeout);
}

/// "low:high" with 0 <= low <= high <= 100; anything else is the default 1:99.
std::pair<int32_t, int32_t> thresholdOf(std::string_view text) {
    int low = 0, high = 0;
    char rest = 0;
    std::string value(trim(text));
    if (std::sscanf(value.c_str(), "%d:%d%c", &low, &high, &rest) != 2 || low < 0 || high > 100 || low > high) return {1, 99};
    return {low, high};
}

bool listedAnswer(const DnsReply& reply) {
    // 127.0.0.x names a listing; other answers (127.255.255.x refusals, stray addresses) do not.
    return std::any_of(reply.addresses.begin(), reply.addresses.end(), [](uint32_t a) { return (a >> 8) == 0x7F0000; });
}

}  // namespace

std::vector<IpAddress> blockListRelays(std::string_view headers, const IpList& ignored, size_t limit) {
    std::vector<IpAddress> relays;
    for (const auto& field : parseHeaderFields(headers)) {
        if (relays.size() >= limit) break;
        if (!equalsNoCase(field.name, "Received")) continue;
        auto relay = receivedRelay(field.value);
        if (!relay || !worthAsking(*relay) || ignored.contains(*relay)) continue;
        if (std::find(relays.begin(), relays.end(), *relay) == relays.end()) relays.push_back(*relay);
    }
    return relays;
}

DnsBlockLists::DnsBlockLists(std::function<Clock::time_point()> clock) : clock_(std::move(clock)) {}

DnsResolver& DnsBlockLists::resolver(const std::string& servers) {
    if (!resolver_ || servers != servers_) {
        // Other servers may answer otherwise: what the old ones said is forgotten.
        resolver_ = makeDnsResolver(servers);
        servers_ = servers;
        cache_.clear();
        zoneAsideUntil_.clear();
    }
    return *resolver_;
}

void DnsBlockLists::remember(const std::string& name, const DnsReply& reply, Clock::time_point now) {
    if (reply.kind == DnsReply::Kind::failed) return;
    const bool listed = reply.kind == DnsReply::Kind::addresses && listedAnswer(reply);
    uint32_t ttl = reply.ttl.value_or(kDefaultNegativeTtlSeconds);
    if (reply.kind == DnsReply::Kind::addresses && !reply.ttl) ttl = 0;
    ttl = std::min(ttl, kMaxTtlSeconds);
    if (ttl == 0) return;
    if (cache_.size() >= kMaxCachedAnswers) {
        std::erase_if(cache_, [now](const auto& entry) { return entry.second.until <= now; });
        if (cache_.size() >= kMaxCachedAnswers) cache_.clear();
    }
    cache_[name] = {listed, now + std::chrono::seconds(ttl)};
}

std::vector<BlockListHit> DnsBlockLists::check(std::string_view headers, const EngineOptions& options,
                                               const IpList& ignored, int32_t contentScore) {
    if (!options.flag("enable_rbl_check")) return {};
    const std::vector<std::string> zones = zonesOf(options.text("rbl_list"));
    const int64_t maxAddresses = std::clamp<int64_t>(options.number("rbl_max_ips", 4), 0, kMaxAddresses);
    if (zones.empty() || maxAddresses == 0) return {};
    const auto [low, high] = thresholdOf(options.text("rbl_threshold"));
    if (contentScore < low || contentScore > high) return {};  // the words are sure enough already
    const std::vector<IpAddress> relays = blockListRelays(headers, ignored, static_cast<size_t>(maxAddresses));
    if (relays.empty()) return {};

    const Clock::time_point now = clock_();
    std::erase_if(zoneAsideUntil_, [now](const auto& entry) { return entry.second <= now; });
    // listed[relay][zone]
    std::vector<std::vector<bool>> listed(relays.size(), std::vector<bool>(zones.size(), false));
    std::vector<DnsExchange> exchanges;
    std::vector<std::pair<size_t, size_t>> asked;
    for (size_t r = 0; r < relays.size(); ++r) {
        for (size_t z = 0; z < zones.size(); ++z) {
            if (zoneAsideUntil_.count(zones[z])) continue;
            std::string name = blockListQueryName(relays[r], zones[z]);
            auto cached = cache_.find(name);
            if (cached != cache_.end() && cached->second.until > now) {
                listed[r][z] = cached->second.listed;
                continue;
            }
            exchanges.push_back({std::move(name), std::nullopt});
            asked.emplace_back(r, z);
        }
    }
    if (!exchanges.empty()) {
        const auto deadline = Clock::now() + timeoutOf(options.text("rbl_timeout"));
        resolver(std::string(trim(options.text("dns_servers")))).resolve(exchanges, deadline);
        std::vector<bool> zoneAnswered(zones.size(), false), zoneAsked(zones.size(), false);
        for (size_t i = 0; i < exchanges.size(); ++i) {
            const auto [r, z] = asked[i];
            zoneAsked[z] = true;
            if (!exchanges[i].reply) continue;
            zoneAnswered[z] = true;
            listed[r][z] = exchanges[i].reply->kind == DnsReply::Kind::addresses && listedAnswer(*exchanges[i].reply);
            remember(exchanges[i].name, *exchanges[i].reply, now);
        }
        for (size_t z = 0; z < zones.size(); ++z)
            if (zoneAsked[z] && !zoneAnswered[z]) zoneAsideUntil_[zones[z]] = now + kZoneAside;
    }

    const size_t needed = options.flag("rbl_multihit") ? 2 : 1;
    std::vector<BlockListHit> hits;
    for (size_t r = 0; r < relays.size(); ++r) {
        if (static_cast<size_t>(std::count(listed[r].begin(), listed[r].end(), true)) < needed) continue;
        for (size_t z = 0; z < zones.size(); ++z)
            if (listed[r][z]) hits.push_back({relays[r], zones[z]});
    }
    return hits;
}

std::vector<ExtraEvidence> DnsBlockLists::evidence(const std::vector<BlockListHit>& hits) {
    std::vector<ExtraEvidence> evidence;
    for (size_t i = 0; i < hits.size(); ++i)
        if (i == 0 || !(hits[i].address == hits[i - 1].address)) evidence.push_back({kPListedRelay});
    return evidence;
}

std::string DnsBlockLists::clues(const std::vector<BlockListHit>& hits) {
    std::string text;
    char probability[16];
    std::snprintf(probability, sizeof probability, "%.3f", kPListedRelay);
    for (const auto& hit : hits) text += "rbl\t" + formatIpAddress(hit.address) + '\t' + probability + '\t' + hit.zone + '\n';
    return text;
}

}  // namespace tarn::engine
