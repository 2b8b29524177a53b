// One scoring engine: its options, word store, address store, outbox and report queue.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AddressStore.h"
#include "Classifier.h"
#include "DnsBlockLists.h"
#include "EngineOptions.h"
#include "IpList.h"
#include "MessageInfo.h"
#include "RuleSet.h"
#include "RuleUpdate.h"
#include "Tokenizer.h"
#include "WordStore.h"
#include "tarnengine_api.h"

namespace tarn::engine {

// Status codes of the C interface.
constexpr int32_t kOk = 0;
constexpr int32_t kTruncated = 2;
constexpr int32_t kBadHandle = -1;
constexpr int32_t kBadArgument = -2;
constexpr int32_t kIoFailed = -3;
constexpr int32_t kUnknownOption = -4;
constexpr int32_t kInternalError = -99;

/// The read-only option that tells which store files the last load recovered or kept aside as damaged.
constexpr const char* kStoreRecoveryOption = TW_STORE_RECOVERY_OPTION;
/// The read-only option naming the entries of "blocked_ip_list", "approved_ip_list" and "ignored_ip_list"
/// that could not be read and so match nothing: one line per entry, ended by "\n", the list's name TAB
/// the entry as given (trimmed). Empty when every entry was read.
constexpr const char* kIpListErrorsOption = "ip_list_errors";
/// The read-only option telling which rule files are in use and which could not be read (see RuleSet::status).
constexpr const char* kRulesStatusOption = "rules_status";

// Score flags the add-in passes: what it knows about the message's recipients.
constexpr int32_t kToMe = 1;
constexpr int32_t kNotToMe = 2;
constexpr int32_t kSentToItself = 4;

class Engine {
public:
    Engine(std::string clientName, std::string directory);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    int32_t setOption(const std::string& name, const std::string& value);
    int32_t initialize();
    int32_t getOption(const std::string& name, std::string& value);

    int32_t score(std::string_view headers, std::string_view body, std::string_view sender, int32_t flags,
                  int32_t& score);
    int32_t addMessage(std::string_view headers, std::string_view body, int32_t offset);
    /// The clues behind the last score of this engine, one line each (see TW_explainLastScore).
    std::string explainLastScore();
    MessageInfo describe(std::string_view headers, std::string_view body);

    int32_t bounce(std::string_view recipient, std::string_view headers);
    int32_t addReportSender(int32_t action, std::string_view address, std::string_view headers, std::string_view body);
    int32_t reportSenders();

    int32_t changeAddress(std::string_view address, bool toAddress, int32_t number, bool add);
    int32_t getSpamAddrFrom(std::string_view address, int32_t& result);
    int32_t readOldAddrSettings(const std::string& fileName);

    /// Writes whatever training is still only in memory.
    bool flush();

    /// Reads the rule files again (at the next score when "enable_rules" is off): the installed ones in the
    /// engine's folder (or "rules_folder"), each replaced by an intact copy in the data folder's "rules"
    /// subfolder whose stamp is later. For whatever puts newer rules in place.
    int32_t reloadRules();

private:
    std::string dataFolder() const;
    std::string wordStorePath() const;
    std::string addressStorePath() const;
    std::string outboxFolder() const;
    std::string installedRulesFolder() const;
    std::string updatedRulesFolder() const;
    /// The rules to score with: null when "enable_rules" is off or no word rule could be read.
    const RuleSet* rulesInForce();
    void ensureLoaded();
    void noteStoreLoad(const char* store, const std::string& path, const StoreLoad& load);
    bool wordsInUse() const;
    std::vector<ExtraEvidence> outsideEvidence(std::string_view headers, std::string_view sender, int32_t flags) const;
    void saveWordsIfDue(bool force);
    void saveAddressesIfDue(bool force);
    void readIpList(const std::string& name);
    struct RelayMatch {
        int32_t score;
        IpAddress relay;
        const char* list;
    };
    std::optional<RelayMatch> relayVerdict(std::string_view headers) const;

    std::recursive_mutex mutex_;
    std::string clientName_;
    std::string directory_;
    EngineOptions options_;
    Tokenizer tokenizer_;
    Classifier classifier_;
    WordStore words_;
    AddressStore addresses_;
    bool loaded_ = false;
    std::string loadedFolder_;
    /// What the last load of the stores found damaged or recovered, as the "store_recovery" option reads.
    std::string storeRecovery_;
    int32_t unsavedTrainings_ = 0;
    int32_t unsavedAddressChanges_ = 0;
    // A damaged store file that could not be moved aside, with no intact backup, is never saved over:
    // the session learns in memory only, and the file stays for the user to rescue.
    bool wordsHeld_ = false;
    bool addressesHeld_ = false;
    // Read once when set, so scoring only matches.
    IpList blockedIps_, approvedIps_, ignoredIps_;
    std::string ipListErrors_[3];
    MessageFeatures features_;
    std::vector<uint64_t> trainingFeatures_;
    // The last score's clues. Its message is kept so that the words are named only when asked for.
    StrongestTokens lastTokens_;
    std::optional<RelayMatch> lastRelay_;
    DnsBlockLists blockLists_;
    std::vector<BlockListHit> lastBlockListHits_;
    std::string lastHeaders_, lastBody_;
    RuleSet rules_;
    bool rulesLoaded_ = false;
    std::string rulesLoadedFrom_;  // the two folders read, so that a change of either reads them again
    // Last, so that its thread stops before anything else of the engine goes.
    RuleUpdater ruleUpdater_;
};

}  // namespace tarn::engine
