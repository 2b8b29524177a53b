// Keeps the rule files up to date from the release service, on a thread of its own so that no score waits for it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "Ed25519.h"
#include "ReleaseKey.h"
#include "RuleCheck.h"

namespace tarn::engine {

class EngineOptions;
class FetchLibrary;

/// The read-only option telling how the last check of this session went (see engine/README.md).
constexpr const char* kRuleUpdateStatusOption = "rule_update_status";

/// The public half of the key that signs every release's manifest, shared with twupdate.
using crypto::kReleaseKey;

struct RuleUpdateSettings {
    int64_t intervalSeconds = 0;  ///< "ruleupdate": at most one check this many seconds apart; 0 or less: none
    std::string baseUrl;          ///< "rule_update_url", or the product's service
    std::string installFolder;    ///< the shipped rule files and the fetch library
    std::string dataFolder;       ///< its "rules" folder holds the updated files and the last check's time
    std::string proxy, proxyCredentials, clientName;
    bool operator==(const RuleUpdateSettings&) const = default;
};

/// The settings the engine's options give.
RuleUpdateSettings ruleUpdateSettings(const EngineOptions& options, const std::string& installFolder,
                                      const std::string& dataFolder, const std::string& clientName);

class RuleUpdater {
public:
    /// What a test replaces: how requests are made (null: through the fetch library in the install
    /// folder), the key that must have signed, the clock (seconds since 1970), and whether checks run
    /// on the updater's own thread or only when checkIfDue is called.
    struct Seams {
        std::function<RuleFetch(const RuleUpdateSettings&)> connect;
        crypto::Ed25519PublicKey key = kReleaseKey;
        std::function<int64_t()> now;
        bool backgroundThread = true;
    };

    RuleUpdater();
    explicit RuleUpdater(Seams seams);
    /// Waits for a request in flight (bounded by its time-out), never for a whole update.
    ~RuleUpdater();
    RuleUpdater(const RuleUpdater&) = delete;
    RuleUpdater& operator=(const RuleUpdater&) = delete;

    /// Called on the updater's thread after new rule files were moved into place.
    void setReloadHook(std::function<void()> hook);
    /// Takes the engine's settings. Nothing is checked before the engine is initialized; from then on
    /// the thread runs while checks are on and looks again whenever the settings change.
    void configure(const RuleUpdateSettings& settings, bool initializing);
    /// What the "rule_update_status" option reads: "" before the first check of this session.
    std::string status() const;
    /// One check on the caller's thread when it is due; false when it was not.
    bool checkIfDue();

private:
    void run();
    int64_t secondsUntilDue(const RuleUpdateSettings& settings) const;
    RuleFetch connect(const RuleUpdateSettings& settings);

    Seams seams_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    RuleUpdateSettings settings_;
    bool armed_ = false, stop_ = false, poked_ = false;
    std::string status_;
    int64_t lastAttempt_ = 0;
    std::function<void()> reload_;
    std::unique_ptr<FetchLibrary> library_;  // only the updater's thread touches it
    std::thread thread_;
};

}  // namespace tarn::engine
