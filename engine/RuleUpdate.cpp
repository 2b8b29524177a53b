// When a check is due, and the thread that makes it; what a check does is in RuleCheck.cpp.
#include "RuleUpdate.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "EngineOptions.h"
#include "FileIo.h"
#include "RuleFetch.h"
#include "TextUtil.h"

namespace tarn::engine {

namespace {

constexpr const char* kServiceHost = "service.tarnwick.example";
// Longest sleep between looks at the clock, so a changed clock or a resumed machine is noticed.
constexpr int64_t kLongestSleepSeconds = 600;

std::string lastCheckPath(const RuleUpdateSettings& settings) {
    return joinPath(joinPath(settings.dataFolder, "rules"), "lastcheck.txt");
}

int64_t systemNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

RuleUpdateSettings ruleUpdateSettings(const EngineOptions& options, const std::string& installFolder,
                                      const std::string& dataFolder, const std::string& clientName) {
    RuleUpdateSettings s;
    // The add-in sets "network_readonly" from the user's choice to skip updates.
    s.intervalSeconds = options.flag("network_readonly") ? 0 : options.number("ruleupdate", 0);
    std::string url(trim(options.text("rule_update_url")));
    if (url.empty()) url = std::string(options.flag("use_secure_http") ? "https" : "http") + "://" + kServiceHost;
    while (!url.empty() && url.back() == '/') url.pop_back();
    s.baseUrl = url;
    s.installFolder = installFolder;
    s.dataFolder = dataFolder;
    s.proxy = trim(options.text("proxy_host"));
    s.proxyCredentials = options.text("proxy_userpwd");
    s.clientName = clientName;
    return s;
}

RuleUpdater::RuleUpdater() : RuleUpdater(Seams{}) {}

RuleUpdater::RuleUpdater(Seams seams) : seams_(std::move(seams)) {
    if (!seams_.now) seams_.now = systemNow;
}

RuleUpdater::~RuleUpdater() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void RuleUpdater::setReloadHook(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    reload_ = std::move(hook);
}

void RuleUpdater::configure(const RuleUpdateSettings& settings, bool initializing) {
    std::lock_guard lock(mutex_);
    if (!armed_ && !initializing) {
        settings_ = settings;
        return;
    }
    const bool changed = !armed_ || !(settings == settings_);
    armed_ = true;
    settings_ = settings;
    if (!changed || settings.intervalSeconds <= 0 || !seams_.backgroundThread || stop_) return;
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { run(); });
        return;
    }
    poked_ = true;
    wake_.notify_all();
}

std::string RuleUpdater::status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

int64_t RuleUpdater::secondsUntilDue(const RuleUpdateSettings& settings) const {
    const auto text = readWholeFile(lastCheckPath(settings));
    int64_t last = text ? std::atoll(std::string(trim(*text)).c_str()) : 0;
    {
        // Also remembered here: a data folder that cannot be written must not turn the interval into none.
        std::lock_guard lock(mutex_);
        last = std::max(last, lastAttempt_);
    }
    const int64_t now = seams_.now();
    // A last check in the future means the clock was put back: it must not hold checks off for that long.
    if (last <= 0 || now < last) return 0;
    return std::max<int64_t>(0, last + settings.intervalSeconds - now);
}

RuleFetch RuleUpdater::connect(const RuleUpdateSettings& settings) {
    if (seams_.connect) return seams_.connect(settings);
    if (!library_) library_ = FetchLibrary::load(settings.installFolder);
    if (!library_) return nullptr;
    return library_->getter(settings.proxy, settings.proxyCredentials, settings.clientName);
}

bool RuleUpdater::checkIfDue() {
    RuleUpdateSettings settings;
    {
        std::lock_guard lock(mutex_);
        if (!armed_ || stop_) return false;
        settings = settings_;
    }
    if (settings.intervalSeconds <= 0 || settings.dataFolder.empty() || secondsUntilDue(settings) > 0) return false;
    // The attempt counts, not only a success: a service that fails is asked again after the interval,
    // not at every start.
    const std::string rulesFolder = joinPath(settings.dataFolder, "rules");
    ensureDirectory(rulesFolder);
    const int64_t now = seams_.now();
    {
        std::lock_guard lock(mutex_);
        lastAttempt_ = now;
    }
    replaceFileAtomically(lastCheckPath(settings), std::to_string(now) + "\n");
    RuleCheckOutcome outcome;
    if (RuleFetch fetch = connect(settings)) {
        outcome = checkForNewerRules({settings.baseUrl, settings.installFolder, rulesFolder}, seams_.key, fetch,
                                     [this] {
                                         std::lock_guard lock(mutex_);
                                         return stop_;
                                     });
    } else {
        outcome = {true, {}, "failed library"};
    }
    std::function<void()> reload;
    {
        std::lock_guard lock(mutex_);
        status_ = outcome.status;
        reload = reload_;
    }
    if (!outcome.installed.empty() && reload) reload();
    return true;
}

void RuleUpdater::run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        lock.unlock();
        try {
            checkIfDue();
        } catch (...) {
            // Out of memory for a file, most likely: the rules in force stay, and the next look tries again.
            std::lock_guard failed(mutex_);
            status_ = "failed internal";
        }
        lock.lock();
        if (stop_) break;
        const RuleUpdateSettings settings = settings_;
        int64_t wait = kLongestSleepSeconds;
        if (settings.intervalSeconds > 0 && !settings.dataFolder.empty()) {
            lock.unlock();
            wait = std::clamp<int64_t>(secondsUntilDue(settings), 1, kLongestSleepSeconds);
            lock.lock();
        }
        wake_.wait_for(lock, std::chrono::seconds(wait), [this] { return stop_ || poked_; });
        poked_ = false;
    }
}

}  // namespace tarn::engine
