// Checking and storing the options dialog's entries.
#include "options/OptionsCommit.h"

#include "core/Text.h"
#include "scan/MsgQueue.h"
#include "settings/NumberText.h"
#include "settings/SettingsLists.h"
#include "settings/SettingsWriters.h"

namespace tw::options {

namespace {
constexpr int kThresholdId = 1160, kIntervalNumericId = 1161, kIntervalMinimumId = 1162, kProxyServerId = 1163,
              kProxyPortId = 1164, kMinTrainingId = 1165, kRblTimeoutId = 1166, kMaxWordEntriesId = 1167,
              kAutoTrainingId = 1168, kNetcheckId = 1169, kRblThresholdId = 1170;

std::optional<int32_t> whole(const std::string& text) { return settings::parseIntegerText(text); }

bool ticked(const OptionsEntries& e, const std::string& key) {
    auto it = e.images.find(key);
    return it != e.images.end() && it->second == kImageTicked;
}
bool cleared(const OptionsEntries& e, const std::string& key) {
    auto it = e.images.find(key);
    return it != e.images.end() && it->second == kImageCleared;
}

/// A threshold of 1 to 100: any lower sends every unlisted message to the junk folder.
std::optional<double> strengthThreshold(const std::string& text) {
    auto value = settings::parseDecimalText(text);
    if (!value || *value < 1 || *value > 100) return std::nullopt;
    return value;
}

std::string range(const std::string& low, const std::string& high) {
    return std::to_string(*whole(low)) + ":" + std::to_string(*whole(high));
}

/// The engine call is skipped when there is no engine or the call fails; the stored settings
/// reach it again when the options are re-applied.
void tellEngine(OptionsHost& host, const std::string& name, const std::string& value) {
    const int32_t handle = host.getEnginePointer();
    if (handle == 0) return;
    try {
        host.engine().TW_setOption(handle, name, value);
    } catch (...) {
        host.log().logError("cmdOK_Click");
    }
}

void writeGeneral(OptionsHost& host, const OptionsEntries& e) {
    auto& s = host.settings();
    const settings::SettingsKey key = host.settingsKey();
    settings::SettingsWriters writers(key, s);

    if (cleared(e, "Netcheck")) {
        writers.writeReportSpam(0);
        tellEngine(host, "netcheck", "no");
    } else if (ticked(e, "Netcheck") && s.reportspam == 0) {
        writers.writeReportSpam(1);
        tellEngine(host, "netcheck", "yes");
    }

    if (e.junkPath) writers.writeJunkFolder(*e.junkPath);

    writers.writeEnableTarnwick(ticked(e, "EnableAntiSpam"));
    if (writers.writeMarkSpamAsRead(ticked(e, "MarkSpamAsRead"))) s.MarkSpamAsRead = ticked(e, "MarkSpamAsRead");
    writers.writeShowSenderDialog(ticked(e, "BlockApproveConfirmation") ? 0 : 1);
    if (writers.writeEnableConnectErr(ticked(e, "ConnectErrorNotify")))
        s.EnableConnectErr = ticked(e, "ConnectErrorNotify");

    const bool ruleUpdate = ticked(e, "RuleUpdate");
    if (writers.writeEnableAutoUpdates(ruleUpdate) && ruleUpdate != s.EnableAutoUpdates) {
        s.EnableAutoUpdates = ruleUpdate;
        tellEngine(host, "ruleupdate", ruleUpdate ? "86400" : "0");
    }

    const bool custom = ticked(e, "CustomFilterThreshold");
    if (writers.writeEnableSpamFilterStrength(custom)) s.EnableSpamFilterStrength = custom;
    if (writers.writeUpgradeNotification(ticked(e, "NotificationUpgrades")))
        s.upgradeNotification = ticked(e, "NotificationUpgrades");
    if (custom) writers.writeThreshold(*strengthThreshold(e.threshold), true);
}

void writeScanning(OptionsHost& host, const OptionsEntries& e) {
    auto& s = host.settings();
    const settings::SettingsKey key = host.settingsKey();
    settings::SettingsWriters writers(key, s);
    if (writers.writeBounceSpam(ticked(e, "BounceBlocked"))) s.bounceSpam = ticked(e, "BounceBlocked");
    if (writers.writeScanInboxOnStartup(ticked(e, "ScanInbox"))) s.scanInboxOnStartup = ticked(e, "ScanInbox");

    const bool autoscan = ticked(e, "ScanFolders");
    const int32_t interval = *whole(e.scanInterval);
    if (key.writeFlag(autoscan, "enable_autoscan")) s.enable_autoscan = autoscan;
    if (key.writeNumber("autoscan_interval", interval)) s.autoscan_interval = interval;
    if (key.writeFlag(e.autoScanStatus, "enable_autoscan_status")) s.enable_autoscan_status = e.autoScanStatus;
    if (key.writeFlag(e.countryTld, "blocked_countries_tld")) s.blocked_countries_tld = e.countryTld;
    // The running auto-scan follows at once rather than at the next start.
    if (auto* scan = host.autoScan()) {
        scan->setScanInterval(s.autoscan_interval);
        scan->setEnabled(s.enable_autoscan);
    }

    const bool proxy = ticked(e, "ProxySupport");
    writers.writeProxySettings(proxy, proxy ? text::trim(e.proxyServer) : s.proxyServer,
                               proxy ? text::trim(e.proxyPort) : s.proxyServerPort);

    if (key.writeList(e.blockedCountries, "blockedCountries")) s.blockedCountries = e.blockedCountries;
    if (key.writeList(e.homeCountries, "home_country_list")) s.home_country_list = e.homeCountries;
    if (key.writeList(e.rblList, "rbl_list")) s.rbl_list = e.rblList;
}

void writeExpert(OptionsHost& host, const OptionsEntries& e) {
    auto& s = host.settings();
    const settings::SettingsKey key = host.settingsKey();
    auto number = [&](const char* name, const std::string& text, int32_t& field) {
        if (auto value = whole(text); value && key.writeNumber(name, *value)) field = *value;
    };
    auto flag = [&](const char* name, bool value, bool& field) {
        if (key.writeFlag(value, name)) field = value;
    };
    auto textValue = [&](const char* name, const std::string& value, std::string& field) {
        if (key.writeString(name, value)) field = value;
    };
    number("min_training", e.minTraining, s.min_training);
    number("rbl_timeout", e.rblTimeout, s.rbl_timeout);
    number("rbl_max_ips", e.rblMaxIps, s.rbl_max_ips);
    number("max_word_entries", e.maxWordEntries, s.max_word_entries);
    if (e.rblMultiHit != s.rbl_multi_hit) tellEngine(host, "rbl_multihit", e.rblMultiHit ? "1" : "0");
    flag("rbl_multi_hit", e.rblMultiHit, s.rbl_multi_hit);
    flag("enable_rules", ticked(e, "EnableRules"), s.enable_rules);
    flag("enable_word_training", ticked(e, "WordTraining"), s.enable_word_training);
    flag("useuserprops", ticked(e, "OutlookUserProperty"), s.useuserprops);
    if (auto queue = host.inboxQueue()) queue->changeUseUserProperties(s.useuserprops);
    textValue("auto_training_threshold", range(e.autoTrainingLow, e.autoTrainingHigh), s.auto_training_threshold);
    textValue("netcheck_threshold", range(e.netcheckLow, e.netcheckHigh), s.netcheck_threshold);
    textValue("rbl_threshold", range(e.rblLow, e.rblHigh), s.rbl_threshold);
    if (auto weight = whole(e.trainingWeight); weight && *weight != s.trainingWeight) {
        number("trainingWeight", e.trainingWeight, s.trainingWeight);
        tellEngine(host, "full_training_weight", std::to_string(*weight));
    }
}

}  // namespace

int checkOptionsEntries(const OptionsEntries& e) {
    if (ticked(e, "CustomFilterThreshold") && !strengthThreshold(e.threshold)) return kThresholdId;
    auto interval = whole(e.scanInterval);
    if (!interval) return kIntervalNumericId;
    if (*interval < 1) return kIntervalMinimumId;
    if (ticked(e, "ProxySupport")) {
        if (text::trim(e.proxyServer).empty()) return kProxyServerId;
        if (!whole(e.proxyPort)) return kProxyPortId;
    }
    auto atLeast = [](const std::string& text, int32_t minimum) {
        auto value = whole(text);
        return value && *value >= minimum;
    };
    if (!atLeast(e.minTraining, 1)) return kMinTrainingId;
    if (!atLeast(e.rblTimeout, 0)) return kRblTimeoutId;
    if (!atLeast(e.maxWordEntries, 1)) return kMaxWordEntriesId;
    if (!whole(e.autoTrainingLow) || !whole(e.autoTrainingHigh)) return kAutoTrainingId;
    if (!whole(e.netcheckLow) || !whole(e.netcheckHigh)) return kNetcheckId;
    if (!whole(e.rblLow) || !whole(e.rblHigh)) return kRblThresholdId;
    return 0;
}

int commitOptions(OptionsHost& host, const OptionsEntries& entries) {
    if (int refused = checkOptionsEntries(entries)) return refused;
    writeGeneral(host, entries);
    writeScanning(host, entries);
    writeExpert(host, entries);
    tellEngine(host, "savepreferences", "1");
    host.refreshEngineOptions();
    return 0;
}

}  // namespace tw::options
