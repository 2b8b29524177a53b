// initializeEngineOptions and enableEngineTrainingSettings: the settings handed to the engine.
#include "addin/EngineOptions.h"

#include "addin/OrvennaOutAddIn.h"
#include "addin/StoreDamageNotice.h"
#include "core/StringTable.h"
#include "settings/NumberText.h"
#include "settings/SettingsLists.h"

namespace tw::addin {

namespace {

constexpr int kClientProductId = 141;

const char* yesNo(bool value) { return value ? "yes" : "no"; }

/// Runs one engine call; a failing call is skipped so the next one still runs.
template <typename Call>
void attempt(Call&& call) {
    try {
        call();
    } catch (...) {
    }
}

/// A training count the engine reports; one it cannot report counts as nothing trained.
int32_t trainedCount(engineapi::EngineLibrary& engine, int32_t handle, const char* name) {
    try {
        return settings::parseIntegerText(engine.TW_getOption(handle, name)).value_or(0);
    } catch (...) {
        return 0;
    }
}

}  // namespace

std::vector<EngineOption> startupEngineOptions(const settings::Settings& s, const EngineOptionFacts& facts) {
    std::vector<EngineOption> options = {
        {"netcheck", yesNo(s.reportspam != 0)},
        {"ruleupdate", s.EnableAutoUpdates ? "86400" : "0"},
        {"network_readonly", yesNo(s.skipTWUpdates)},
        {"prodcode", "1"},
        {"client_product", loadString(kClientProductId)},
        {"client_product_version", facts.addinVersion},
        {"use_cache", "no"},
        {"enable_fingerprint_cache", "no"},
        {"extended_rules2", "no"},
        {"enable_domain_cache", "no"},
        {"enable_spamcompiler", "no"},
        {"scan_attachments", yesNo(s.scan_attachments)},
        {"use_secure_http", yesNo(facts.useSecureHttp)},
        {"offsetdir", facts.dataFolder},
        {"proxy_host", s.useProxyServer ? s.proxyHostAndPort : std::string()},
    };
    if (!s.useProxyServer) options.emplace_back("proxy_userpwd", "");
    else if (!s.proxyServerUser.empty()) options.emplace_back("proxy_userpwd", s.proxyUserAndPassword);

    const std::pair<const char*, const KeyedSet*> lists[] = {
        {"blocked_country_list", &s.blockedCountries}, {"home_country_list", &s.home_country_list},
        {"blocked_ip_list", &s.blocked_ip_list},       {"ignored_ip_list", &s.ignored_ip_list},
        {"approved_ip_list", &s.approved_ip_list},     {"rbl_list", &s.rbl_list},
    };
    for (const auto& [name, list] : lists)
        if (list->Count() != 0 || !facts.freshEngine)
            options.emplace_back(name, settings::getCommaStringFromCollection(*list));

    const std::pair<const char*, const std::string*> texts[] = {
        {"rbl_threshold", &s.rbl_threshold},
        {"netcheck_threshold", &s.netcheck_threshold},
        {"auto_training_threshold", &s.auto_training_threshold},
    };
    for (const auto& [name, text] : texts)
        if (!text->empty()) options.emplace_back(name, *text);

    const std::pair<const char*, int32_t> numbers[] = {
        {"rbl_max_ips", s.rbl_max_ips}, {"rbl_timeout", s.rbl_timeout}, {"max_word_entries", s.max_word_entries}};
    for (const auto& [name, number] : numbers)
        if (number >= 0) options.emplace_back(name, std::to_string(number));

    options.emplace_back("enable_word_training", yesNo(s.enable_word_training));
    options.emplace_back("enable_rules", yesNo(s.enable_rules));
    options.emplace_back("full_training_weight", yesNo(s.trainingWeight != 0));
    options.emplace_back("rbl_multihit", yesNo(s.rbl_multi_hit));
    options.emplace_back("training_write_buffer", "100");
    return options;
}

bool readUseSecureHttp(const settings::SettingsKey& key) {
    settings::RegVariant value = key.read("usehttp");
    if (value.isBlank()) return false;
    auto number = value.toDouble();
    return !number || *number != 1;
}

void OrvennaOutAddIn::initializeEngineOptions(bool createNewEngine) {
    const settings::Settings& s = library_.settings;
    if (createNewEngine) {
        if (engineHandle_ != 0) {
            int32_t old = engineHandle_;
            engineHandle_ = 0;
            attempt([&] { engine_.TW_destructor(old); });
        }
        attempt([&] {
            std::string folder;
            attempt([&] { folder = platform_.shell.libraryFolder(); });
            engineHandle_ = engine_.TW_constructor("Outlook", folder);
        });
    }

    int32_t status = 0;
    // Handle 0 means there is no engine: the engine would take it for an object and fail hard.
    if (engineHandle_ != 0) {
        EngineOptionFacts facts;
        attempt([&] {
            platform::FileVersion v = platform_.shell.libraryVersion();
            facts.addinVersion =
                std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision);
        });
        facts.dataFolder = dataFolder_;
        facts.useSecureHttp = readUseSecureHttp(settingsKey());
        facts.freshEngine = createNewEngine;
        for (const auto& option : startupEngineOptions(s, facts))
            attempt([&] { engine_.TW_setOption(engineHandle_, option.first, option.second); });

        attempt([&] { status = engine_.TW_initialize(engineHandle_); });
        // The stores are loaded now; what was found damaged is said before anything else is decided.
        reportEngineStoreDamage(engine_, engineHandle_, log(), platform_.ui);

        if (s.enable_word_training) {
            attempt([&] {
                bool trainedEnough = trainedCount(engine_, engineHandle_, "wordtraining_totalspam") >= s.min_training &&
                                     trainedCount(engine_, engineHandle_, "wordtraining_totalham") >= s.min_training;
                // Until enough has been trained the engine must not use trained words yet.
                std::string value = trainedEnough && s.use_training ? std::to_string(s.min_training)
                                                                    : std::string(kMinTrainingNotReached);
                engine_.TW_setOption(engineHandle_, "min_training", value);
            });
        }
    }
    log().LogErrorMessage("tw_initialize got " + std::to_string(status));
}

void OrvennaOutAddIn::enableEngineTrainingSettings(bool enable) {
    try {
        if (engineHandle_ == 0) return;
        if (enable) {
            engine_.TW_setOption(engineHandle_, "netcheck", "no");
            engine_.TW_setOption(engineHandle_, "enable_rbl_check", "no");
        } else {
            engine_.TW_setOption(engineHandle_, "netcheck", yesNo(library_.settings.reportspam != 0));
            engine_.TW_setOption(engineHandle_, "enable_rbl_check", "yes");
        }
    } catch (...) {
        log().logError("enableEngineTrainingSettings");
    }
}

}  // namespace tw::addin
