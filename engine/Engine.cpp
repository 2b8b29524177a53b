// Ties the parts together under one lock; the stores load at the first use and save in batches.
#include "Engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "Bounce.h"
#include "FileIo.h"
#include "GeoIpCountries.h"
#include "MimeMessage.h"
#include "ReportQueue.h"
#include "ScoreScale.h"
#include "TextUtil.h"

namespace tarn::engine {

namespace {

constexpr int64_t kMinWordEntries = 1000;
constexpr int64_t kMaxWordEntries = 10'000'000;
constexpr int32_t kAddressWriteBuffer = 20;
constexpr int32_t kMaxWeightUnits = 20;

// What the engine knows besides the words, as the spam probability each fact suggests.
constexpr double kPSenderWrittenTo = 0.03;
constexpr double kPSenderSeenInApprovedMail = 0.15;
constexpr double kPAddressedToMe = 0.4;
constexpr double kPNotAddressedToMe = 0.65;
constexpr double kPSentToItself = 0.8;

constexpr const char* kIpListNames[] = {"blocked_ip_list", "approved_ip_list", "ignored_ip_list"};

std::string senderFromHeaders(std::string_view headers) {
    auto fields = parseHeaderFields(headers);
    std::string_view from = findHeader(fields, "From");
    size_t open = from.find('<'), close = from.find('>', open == std::string_view::npos ? 0 : open);
    if (open != std::string_view::npos && close != std::string_view::npos) return std::string(from.substr(open + 1, close - open - 1));
    return std::string(trim(from.substr(0, from.find(' '))));
}

}  // namespace

Engine::Engine(std::string clientName, std::string directory)
    : clientName_(std::move(clientName)), directory_(std::move(directory)) {
    // Runs on the updater's thread once new rule files are in place; the next score reads them.
    ruleUpdater_.setReloadHook([this] { reloadRules(); });
}

Engine::~Engine() {
    try {
        flush();
    } catch (...) {
        // A destructor must not throw; what could not be written is lost.
    }
}

std::string Engine::dataFolder() const {
    std::string folder(trim(options_.text("offsetdir")));
    return folder.empty() ? directory_ : folder;
}
std::string Engine::wordStorePath() const { return joinPath(dataFolder(), "tarnwords.db"); }
std::string Engine::addressStorePath() const { return joinPath(dataFolder(), "tarnaddresses.db"); }
std::string Engine::outboxFolder() const { return joinPath(dataFolder(), "outbox"); }

void Engine::ensureLoaded() {
    std::string folder = dataFolder();
    if (loaded_ && folder == loadedFolder_) return;
    if (loaded_) flush();  // the old folder keeps what was learnt there
    words_.clear();
    addresses_ = AddressStore{};
    storeRecovery_.clear();
    wordsHeld_ = addressesHeld_ = false;
    if (!folder.empty()) {
        const StoreLoad words = words_.load(wordStorePath());
        const StoreLoad addresses = addresses_.load(addressStorePath());
        noteStoreLoad("words", wordStorePath(), words);
        noteStoreLoad("addresses", addressStorePath(), addresses);
        wordsHeld_ = words.onlyCopyStuckAt(wordStorePath());
        addressesHeld_ = addresses.onlyCopyStuckAt(addressStorePath());
    }
    loaded_ = true;
    loadedFolder_ = folder;
    unsavedTrainings_ = 0;
    unsavedAddressChanges_ = 0;
}

void Engine::noteStoreLoad(const char* store, const std::string& path, const StoreLoad& load) {
    // One line per event, fields split by tabs, which no Windows path holds:
    //   recovered <store> <path>             the store was read from its backup
    //   keptaside <store> <damaged> <now>    a damaged file was moved; <now> is empty when it could not be
    auto line = [this](std::initializer_list<std::string> fields) {
        bool first = true;
        for (const std::string& field : fields) {
            if (!first) storeRecovery_ += '\t';
            storeRecovery_ += field;
            first = false;
        }
        storeRecovery_ += '\n';
    };
    if (load.source == StoreLoad::Source::backup) line({"recovered", store, path});
    for (const auto& [damaged, aside] : load.keptAside) line({"keptaside", store, damaged, aside});
}

bool Engine::flush() {
    std::lock_guard lock(mutex_);
    if (!loaded_) return true;
    saveWordsIfDue(true);
    saveAddressesIfDue(true);
    return unsavedTrainings_ == 0 && unsavedAddressChanges_ == 0;
}

void Engine::saveWordsIfDue(bool force) {
    if (unsavedTrainings_ == 0) return;
    int64_t buffer = std::clamp<int64_t>(options_.number("training_write_buffer", 100), 1, 100000);
    size_t maxEntries = static_cast<size_t>(
        std::clamp<int64_t>(options_.number("max_word_entries", 50000), kMinWordEntries, kMaxWordEntries));
    // Between writes the table may grow past its bound, but never without limit.
    if (words_.size() > maxEntries * 2) words_.prune(maxEntries);
    if (!force && unsavedTrainings_ < buffer) return;
    words_.prune(maxEntries);
    if (loadedFolder_.empty()) {
        unsavedTrainings_ = 0;
        return;
    }
    if (wordsHeld_) return;
    ensureDirectory(loadedFolder_);
    if (words_.save(joinPath(loadedFolder_, "tarnwords.db"))) unsavedTrainings_ = 0;
}

void Engine::saveAddressesIfDue(bool force) {
    if (unsavedAddressChanges_ == 0 || (!force && unsavedAddressChanges_ < kAddressWriteBuffer)) return;
    if (loadedFolder_.empty()) {
        unsavedAddressChanges_ = 0;
        return;
    }
    if (addressesHeld_) return;
    ensureDirectory(loadedFolder_);
    if (addresses_.save(joinPath(loadedFolder_, "tarnaddresses.db"))) unsavedAddressChanges_ = 0;
}

int32_t Engine::setOption(const std::string& name, const std::string& value) {
    std::lock_guard lock(mutex_);
    std::string key = toLowerAscii(trim(name));
    if (key.empty() || key == kStoreRecoveryOption || key == kIpListErrorsOption || key == kRulesStatusOption ||
        key == kRuleUpdateStatusOption)
        return kBadArgument;
    options_.set(key, value);
    readIpList(key);
    ruleUpdater_.configure(ruleUpdateSettings(options_, directory_, dataFolder(), clientName_), false);
    return kOk;
}

void Engine::readIpList(const std::string& name) {
    IpList* lists[] = {&blockedIps_, &approvedIps_, &ignoredIps_};
    for (size_t i = 0; i < 3; ++i) {
        if (name != kIpListNames[i]) continue;
        std::vector<std::string> malformed;
        *lists[i] = IpList::parse(options_.text(name), &malformed);
        ipListErrors_[i].clear();
        for (const auto& entry : malformed) ipListErrors_[i] += name + '\t' + entry + '\n';
    }
}

std::optional<Engine::RelayMatch> Engine::relayVerdict(std::string_view headers) const {
    if (blockedIps_.empty() && approvedIps_.empty()) return std::nullopt;
    auto relay = senderRelay(headers, ignoredIps_);
    if (!relay) return std::nullopt;
    // Approval wins: it is how a user lets one known sender through a range blocked as a whole.
    if (approvedIps_.contains(*relay)) return RelayMatch{0, *relay, kIpListNames[1]};
    if (blockedIps_.contains(*relay)) return RelayMatch{100, *relay, kIpListNames[0]};
    return std::nullopt;
}

int32_t Engine::initialize() {
    std::lock_guard lock(mutex_);
    ensureLoaded();
    ruleUpdater_.configure(ruleUpdateSettings(options_, directory_, dataFolder(), clientName_), true);
    return kOk;
}

int32_t Engine::getOption(const std::string& name, std::string& value) {
    std::lock_guard lock(mutex_);
    std::string key = toLowerAscii(trim(name));
    if (key == "wordtraining_totalspam" || key == "wordtraining_totalham" || key == "wordtraining_entries") {
        ensureLoaded();
        const TrainingTotals& totals = words_.totals();
        value = key == "wordtraining_totalspam" ? std::to_string(totals.spamMessages)
                : key == "wordtraining_totalham" ? std::to_string(totals.hamMessages)
                                                 : std::to_string(words_.size());
        return kOk;
    }
    if (key == kRuleUpdateStatusOption) {
        value = ruleUpdater_.status();
        return kOk;
    }
    if (key == kIpListErrorsOption) {
        value = ipListErrors_[0] + ipListErrors_[1] + ipListErrors_[2];
        return kOk;
    }
    if (key == kStoreRecoveryOption) {
        ensureLoaded();
        value = storeRecovery_;
        return kOk;
    }
    if (key == kRulesStatusOption) {
        rulesInForce();
        value = options_.flag("enable_rules") ? rules_.status() : std::string();
        return kOk;
    }
    if (!options_.has(key)) return kUnknownOption;
    value = options_.text(key);
    return kOk;
}

bool Engine::wordsInUse() const {
    if (!options_.flag("enable_word_training")) return false;
    int64_t minimum = options_.number("min_training", 100);
    const TrainingTotals& totals = words_.totals();
    return totals.spamMessages >= minimum && totals.hamMessages >= minimum && totals.spamMessages > 0 &&
           totals.hamMessages > 0;
}

std::vector<ExtraEvidence> Engine::outsideEvidence(std::string_view headers, std::string_view sender,
                                                   int32_t flags) const {
    std::vector<ExtraEvidence> evidence;
    std::string address = AddressStore::normalize(sender);
    if (address.empty()) address = AddressStore::normalize(senderFromHeaders(headers));
    if (!address.empty()) {
        AddressCounts known = addresses_.lookup(address);
        if (known.to > 0) evidence.push_back({kPSenderWrittenTo});
        else if (known.from > 0) evidence.push_back({kPSenderSeenInApprovedMail});
    }
    if (flags & kToMe) evidence.push_back({kPAddressedToMe});
    if (flags & kNotToMe) evidence.push_back({kPNotAddressedToMe});
    if (flags & kSentToItself) evidence.push_back({kPSentToItself});
    return evidence;
}

int32_t Engine::score(std::string_view headers, std::string_view body, std::string_view sender, int32_t flags,
                      int32_t& score) {
    std::lock_guard lock(mutex_);
    ensureLoaded();
    lastTokens_.clear();
    lastBlockListHits_.clear();
    lastRelay_ = relayVerdict(headers);
    if (lastRelay_) {
        score = lastRelay_->score;
        return kOk;
    }
    bool useWords = wordsInUse();
    const RuleSet* rules = rulesInForce();
    if (useWords || rules) {
        tokenizer_.tokenize(headers, body, features_);
        lastHeaders_.assign(headers);
        lastBody_.assign(body);
    } else {
        features_.header.clear();
        features_.body.clear();
    }
    std::vector<ExtraEvidence> evidence = outsideEvidence(headers, sender, flags);
    score = scoreOf(classifier_.classify(words_, features_, useWords, evidence, &lastTokens_, rules));
    // A listed relay is one more strong clue beside the words, asked only while the words leave doubt.
    lastBlockListHits_ = blockLists_.check(headers, options_, ignoredIps_, score);
    if (!lastBlockListHits_.empty()) {
        for (const ExtraEvidence& listed : DnsBlockLists::evidence(lastBlockListHits_)) evidence.push_back(listed);
        score = scoreOf(classifier_.classify(words_, features_, useWords, evidence, &lastTokens_, rules));
    }
    return kOk;
}

int32_t Engine::addMessage(std::string_view headers, std::string_view body, int32_t offset) {
    std::lock_guard lock(mutex_);
    if (offset == 0) return kBadArgument;
    ensureLoaded();
    if (!options_.flag("enable_word_training")) return kOk;
    uint32_t weight = 1;
    if (options_.flag("full_training_weight")) {
        // The add-in's weights are 100 for automatic decisions and 200 for the user's own.
        int64_t size = offset < 0 ? -static_cast<int64_t>(offset) : offset;
        weight = static_cast<uint32_t>(std::clamp<int64_t>((size + 50) / 100, 1, kMaxWeightUnits));
    }
    tokenizer_.tokenize(headers, body, features_);
    trainingFeatures_ = features_.header;
    trainingFeatures_.insert(trainingFeatures_.end(), features_.body.begin(), features_.body.end());
    words_.train(trainingFeatures_, offset > 0, weight);
    ++unsavedTrainings_;
    saveWordsIfDue(false);
    return kOk;
}

std::string Engine::explainLastScore() {
    std::lock_guard lock(mutex_);
    char probability[16];
    auto line = [&probability](double p) {
        std::snprintf(probability, sizeof probability, "%.3f", p);
        return probability;
    };
    std::string text;
    if (lastRelay_) {
        const double p = lastRelay_->score / 100.0;
        text = std::string("relay\t") + formatIpAddress(lastRelay_->relay) + '\t' + line(p) + '\t' + lastRelay_->list + '\n';
        return text;
    }
    text = DnsBlockLists::clues(lastBlockListHits_);
    if (lastTokens_.size() == 0) return text;
    std::vector<uint64_t> keys;
    for (size_t i = 0; i < lastTokens_.size(); ++i) keys.push_back(lastTokens_[i].key);
    const std::vector<std::string> names = tokenizer_.nameFeatures(lastHeaders_, lastBody_, keys);
    for (size_t i = 0; i < lastTokens_.size(); ++i) {
        const TokenClue& clue = lastTokens_[i];
        const char* source = clue.shipped ? "\tshipped rules\t" : "\tuser store\t";
        text += "token\t" + names[i] + '\t' + line(clue.probability) + source +
                std::to_string(clue.counts.spam) + '\t' + std::to_string(clue.counts.ham) + '\n';
    }
    return text;
}

MessageInfo Engine::describe(std::string_view headers, std::string_view body) {
    std::lock_guard lock(mutex_);
    std::string geoFolder = options_.text("geoip_folder");
    return describeMessage(headers, body, &sharedGeoIpCountries(geoFolder.empty() ? directory_ : geoFolder));
}

int32_t Engine::bounce(std::string_view recipient, std::string_view headers) {
    std::lock_guard lock(mutex_);
    return static_cast<int32_t>(bounceToOutbox(outboxFolder(), recipient, headers));
}

int32_t Engine::addReportSender(int32_t action, std::string_view address, std::string_view headers,
                                std::string_view body) {
    std::lock_guard lock(mutex_);
    if (trim(address).empty()) return kBadArgument;
    std::string folder = dataFolder();
    if (folder.empty() || !ensureDirectory(folder)) return kIoFailed;
    ReportQueue queue(joinPath(folder, "reports.queue"));
    return queue.add({action, std::string(trim(address)), std::string(headers), std::string(body)}) ? kOk : kIoFailed;
}

int32_t Engine::reportSenders() {
    std::lock_guard lock(mutex_);
    std::string folder = dataFolder();
    if (folder.empty()) return 0;
    ReportQueue queue(joinPath(folder, "reports.queue"));
    return queue.sendTo(outboxFolder());
}

int32_t Engine::changeAddress(std::string_view address, bool toAddress, int32_t number, bool add) {
    std::lock_guard lock(mutex_);
    ensureLoaded();
    if (!addresses_.change(address, toAddress, number, add)) return kBadArgument;
    ++unsavedAddressChanges_;
    saveAddressesIfDue(false);
    return kOk;
}

int32_t Engine::getSpamAddrFrom(std::string_view address, int32_t& result) {
    std::lock_guard lock(mutex_);
    ensureLoaded();
    uint32_t from = addresses_.lookup(address).from;
    result = static_cast<int32_t>(std::min<uint32_t>(from, INT32_MAX));
    return kOk;
}

int32_t Engine::readOldAddrSettings(const std::string& fileName) {
    std::lock_guard lock(mutex_);
    ensureLoaded();
    auto text = readWholeFile(fileName);
    if (!text) return kIoFailed;
    int32_t imported = addresses_.importList(*text);
    if (imported > 0) {
        unsavedAddressChanges_ += imported;
        saveAddressesIfDue(true);
    }
    return imported;
}

}  // namespace tarn::engine
