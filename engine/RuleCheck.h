// One look at the release service for newer rule files: fetch and verify everything, then install it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Ed25519.h"

namespace tarn::engine {

/// Fetches `url` into `buffer` as the fetch library does: at most `size` bytes, a NUL after a shorter
/// body, 0 for success, the library's own code (below 100) or the HTTP status otherwise.
using RuleFetch = std::function<int32_t(const std::string& url, char* buffer, int32_t size)>;

/// The fetch library's code for a request that ran out of time.
constexpr int32_t kFetchTimedOut = 4;

struct RuleCheckPlaces {
    std::string baseUrl;        ///< the service, without a trailing "/"
    std::string installFolder;  ///< where the shipped rule files are
    std::string rulesFolder;    ///< the data folder's "rules": the updated copies
};

struct RuleCheckOutcome {
    bool failed = false;
    std::vector<std::string> installed;  ///< "tw1 <stamp>" for each file replaced
    std::string status;                  ///< what the "rule_update_status" option reads
};

/// Fetches the manifest and its signature, and when `key` signed it and it names newer rule files,
/// fetches those, checks each one's size, SHA-256 and header, and only when all are sound moves them
/// into `rulesFolder`. Any fault leaves the rules in force as they were. `stopping` is asked before
/// every request, so that a closing engine waits for one request at most.
RuleCheckOutcome checkForNewerRules(const RuleCheckPlaces& places, const crypto::Ed25519PublicKey& key,
                                    const RuleFetch& fetch, const std::function<bool()>& stopping);

/// The later stamp of the shipped and the updated copy of rule file `name` ("tw1"), or "" when neither
/// has a readable header.
std::string ruleStampInUse(const std::string& installFolder, const std::string& rulesFolder, const std::string& name);

}  // namespace tarn::engine
