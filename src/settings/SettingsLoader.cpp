// loadUserSettings: every value of the settings key, in its fixed order.
#include "settings/SettingsLoader.h"

#include <functional>

#include "core/StringTable.h"
#include "core/Text.h"
#include "settings/ProxyStrings.h"
#include "settings/SettingsLists.h"
#include "settings/SettingsWriters.h"

namespace tw::settings {

namespace {

constexpr int kJunkFolderNameId = 456;
constexpr double kDefaultThreshold = 90;

/// Runs one step with its errors ignored, so one bad value never stops the rest.
void ignoringErrors(const std::function<void()>& step) {
    try {
        step();
    } catch (...) {
    }
}

bool isOneOf(int32_t value, std::initializer_list<int32_t> allowed) {
    for (int32_t a : allowed)
        if (value == a) return true;
    return false;
}

class Loader {
public:
    Loader(const SettingsKey& key, Settings& record) : key_(key), record_(record), writers_(key, record) {}

    void flag(const char* name, bool& field, bool fallback) {
        ignoringErrors([&] {
            RegVariant v = key_.read(name);
            if (v.isBlank()) field = fallback;
            else if (auto number = v.toDouble()) field = *number != 0;
        });
    }

    void number(const char* name, int32_t& field, int32_t fallback) {
        ignoringErrors([&] {
            RegVariant v = key_.read(name);
            if (v.isBlank()) field = fallback;
            else if (auto n = v.toInteger()) field = *n;
        });
    }

    /// A number that must be one of `allowed`; anything else (text included) is repaired to the
    /// fallback, and written back through `repair` when there is one.
    void checkedNumber(const char* name, int32_t& field, int32_t fallback, std::initializer_list<int32_t> allowed,
                       const std::function<void(int32_t)>& repair) {
        ignoringErrors([&] {
            RegVariant v = key_.read(name);
            if (v.isBlank()) {
                field = fallback;
                return;
            }
            auto n = v.toInteger();
            if (n && isOneOf(*n, allowed)) {
                field = *n;
                return;
            }
            field = fallback;
            if (repair) repair(fallback);
        });
    }

    void threshold(const char* name, double& field, bool second) {
        ignoringErrors([&] {
            auto value = key_.read(name).toDouble();
            if (value && *value >= 0 && *value <= 100) {
                field = *value;
                return;
            }
            // Absent, empty, unreadable or out of range: the default, stored at once.
            field = kDefaultThreshold;
            writers_.writeThreshold(kDefaultThreshold, second);
        });
    }

    void text(const char* name, std::string& field, const std::string& fallback, bool trimmed) {
        ignoringErrors([&] {
            RegVariant v = key_.read(name);
            if (v.isBlank()) field = fallback;
            else field = trimmed ? text::trim(v.toText()) : v.toText();
        });
    }

    void list(const char* name, KeyedSet& field) {
        ignoringErrors([&] {
            RegVariant v = key_.read(name);
            if (!v.isBlank()) ExtractEntries(v.toText(), field, ",");
        });
    }

    const SettingsKey& key_;
    Settings& record_;
    SettingsWriters writers_;
};

bool inboxIsInMailboxStore(outlook::NameSpace* nameSpace) {
    if (!nameSpace) return false;
    try {
        return text::icontains(nameSpace->GetDefaultFolder(outlook::olFolderInbox)->Parent()->Name(), "Mailbox");
    } catch (...) {
        return false;
    }
}

}  // namespace

const std::vector<std::string>& builtInBlockLists() {
    static const std::vector<std::string> zones = {
        "zen.spamhaus.org",  "bl.spamcop.net",   "b.barracudacentral.org", "dnsbl.sorbs.net",
        "cbl.abuseat.org",   "psbl.surriel.com", "dnsbl-1.uceprotect.net", "bl.mailspike.net",
    };
    return zones;
}

bool loadUserSettings(const SettingsKey& key, Settings& s, diag::CErrorHandler* log, outlook::NameSpace* nameSpace) {
    Loader load(key, s);
    s.loaded = false;
    try {
        std::string junk = text::trim(key.read("junkfolder").toText());
        if (junk.empty()) {
            junk = "\\Personal Folders\\" + loadString(kJunkFolderNameId);
            load.writers_.writeJunkFolder(junk);
        }
        s.junkfolder = junk;
        s.junkfolderName = text::afterLastBackslash(junk);
    } catch (...) {
        if (log) log->logError("loadUserSettings");
        return false;
    }

    load.checkedNumber("reportspam", s.reportspam, 1, {0, 1, 2, 4}, [&](int32_t v) { load.writers_.writeReportSpam(v); });
    const bool mailboxStore = inboxIsInMailboxStore(nameSpace);
    load.flag("useuserprops", s.useuserprops, !mailboxStore);
    load.checkedNumber("showsenderdialog", s.showsenderdialog, 0, {0, 1},
                       [&](int32_t v) { load.writers_.writeShowSenderDialog(v); });
    load.flag("showApproveOptions", s.showApproveOptions, true);
    load.number("toolbarposition", s.toolbarposition, 1);
    load.number("toolbarleft", s.toolbarleft, 0);
    load.number("toolbartop", s.toolbartop, 0);
    load.number("toolbarrowindex", s.toolbarrowindex, -1);
    load.flag("ToolbarExplShow", s.ToolbarExplShow, true);
    load.flag("ToolbarInspShow", s.ToolbarInspShow, true);
    load.number("toolbarpositionInsp", s.toolbarpositionInsp, 1);
    load.number("toolbarleftInsp", s.toolbarleftInsp, 0);
    load.number("toolbartopInsp", s.toolbartopInsp, 0);
    load.number("toolbarrowindexInsp", s.toolbarrowindexInsp, -1);
    load.flag("MarkSpamAsRead", s.MarkSpamAsRead, false);
    load.flag("EnableConnectErr", s.EnableConnectErr, true);
    load.flag("EnableAutoUpdates", s.EnableAutoUpdates, true);
    load.flag("EnableSpamFilterStrength", s.EnableSpamFilterStrength, false);
    load.flag("EnablePingChecks", s.EnablePingChecks, true);
    load.number("trainingWeight", s.trainingWeight, 0);
    load.flag("ShowReportSpamConfirmation", s.ShowReportSpamConfirmation, true);
    bool enabled = s.filteringState != filteringDisabled;
    load.flag("EnableTarnwick", enabled, true);
    s.filteringState = enabled ? filteringEnabled : filteringDisabled;
    load.flag("skipTWUpdates", s.skipTWUpdates, false);
    load.threshold("threshold", s.threshold, false);
    load.flag("bounceSpam", s.bounceSpam, false);
    load.flag("reportBlocked", s.reportBlocked, false);
    load.threshold("threshold2", s.threshold2, true);
    ignoringErrors([&] {
        auto value = key.read("treduce").toDouble();
        s.treduce = (value && *value >= 0 && *value <= 100) ? *value : 1.0;
    });
    load.number("processed", s.processed, 0);
    load.number("caught", s.caught, 0);
    ignoringErrors([&] { s.weekly = loadWeeklyStats(key); });
    load.number("nospamengine", s.nospamengine, 0);

    // The log level goes to the log at once, so everything after this logs at the user's level.
    load.checkedNumber("debugginglevel", s.debugginglevel, 1, {0, 1, 2}, {});
    if (log) log->setEnabled(s.debugginglevel);

    ignoringErrors([&] {
        RegVariant v = key.read("upgradeNotification");
        auto number = v.toDouble();
        s.upgradeNotification = v.isBlank() || !number || *number != 0;
    });
    ignoringErrors([&] {
        RegVariant v = key.read("lastUpgradeNotification");
        auto number = v.toDouble();
        // A release name is text and always counts; only a number must be above 0.
        bool keep = !v.isBlank() && (!number || *number > 0);
        s.lastUpgradeNotification = keep ? v.toText() : std::string();
    });
    load.flag("useProxyServer", s.useProxyServer, false);
    load.text("proxyServer", s.proxyServer, "", true);
    load.text("proxyServerUser", s.proxyServerUser, "", true);
    load.text("proxyServerPassword", s.proxyServerPassword, "", true);
    load.text("proxyServerPort", s.proxyServerPort, "", true);
    ignoringErrors([&] { buildProxyStrings(s); });
    load.number("migrated", s.migrated, 0);
    load.flag("hasConnected", s.hasConnected, false);
    load.flag("scanInboxOnStartup", s.scanInboxOnStartup, mailboxStore);
    load.flag("removeNewMailIcon", s.removeNewMailIcon, true);
    load.number("min_training", s.min_training, 100);
    load.number("rbl_timeout", s.rbl_timeout, 5);
    load.number("rbl_max_ips", s.rbl_max_ips, 4);
    load.text("rbl_threshold", s.rbl_threshold, "1:99", false);
    load.text("netcheck_threshold", s.netcheck_threshold, "1:99", false);
    load.text("auto_training_threshold", s.auto_training_threshold, "1:99", false);
    load.number("max_word_entries", s.max_word_entries, 50000);
    load.flag("rbl_multi_hit", s.rbl_multi_hit, false);
    load.flag("use_training", s.use_training, true);
    load.flag("enable_word_training", s.enable_word_training, true);
    load.flag("enable_rules", s.enable_rules, true);

    load.list("blockedCountries", s.blockedCountries);
    load.list("home_country_list", s.home_country_list);
    load.list("blocked_ip_list", s.blocked_ip_list);
    load.list("approved_ip_list", s.approved_ip_list);
    load.list("ignored_ip_list", s.ignored_ip_list);
    load.list("rbl_list", s.rbl_list);
    ignoringErrors([&] {
        RegVariant v = key.read("allblacklists");
        if (!v.isBlank()) ExtractEntries(v.toText(), s.allblacklists, ",");
        else
            for (const std::string& zone : builtInBlockLists()) s.allblacklists.insert(zone);
    });

    load.flag("enable_autoscan", s.enable_autoscan, true);
    load.flag("enable_autoscan_status", s.enable_autoscan_status, true);
    load.number("autoscan_interval", s.autoscan_interval, 5);
    load.number("autoscan_status_left", s.autoscan_status_left, 5);
    load.number("autoscan_status_top", s.autoscan_status_top, 100);
    load.flag("blocked_countries_tld", s.blocked_countries_tld, true);
    load.flag("scan_attachments", s.scan_attachments, true);

    s.loaded = true;
    return true;
}

bool readExclusive(const SettingsKey& key) {
    RegVariant v = key.read("exclusive");
    if (v.isBlank()) return false;
    auto number = v.toDouble();
    return !number || *number != 0;
}

}  // namespace tw::settings
