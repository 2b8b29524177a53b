// The table of stored settings behind the host program's "set" and "show settings".
#include "settings/SettingsCatalog.h"

#include <climits>
#include <optional>

#include "core/Text.h"
#include "settings/NumberText.h"
#include "settings/ServiceAddresses.h"
#include "settings/SettingsLoader.h"
#include "settings/SettingsLists.h"

namespace tw::settings {

namespace {

using Prepared = std::variant<SettingWrite, std::string>;
using Current = std::function<std::string(const Settings&, const SettingsKey&)>;
using Prepare = std::function<Prepared(const std::string& name, const std::string& value, const Countries&)>;

struct Entry {
    std::string name;
    Current current;
    Prepare prepare;
};

std::optional<bool> parseFlag(const std::string& value) {
    std::string v = text::lower(text::trim(value));
    if (v == "1" || v == "true" || v == "yes") return true;
    if (v == "0" || v == "false" || v == "no") return false;
    return std::nullopt;
}

Entry flag(std::string name, std::function<bool(const Settings&)> get,
           std::function<bool(SettingsWriters&, bool)> store = {}) {
    return {std::move(name),
            [get](const Settings& s, const SettingsKey&) { return std::string(get(s) ? "1" : "0"); },
            [store](const std::string& n, const std::string& value, const Countries&) -> Prepared {
                auto v = parseFlag(value);
                if (!v) return n + " takes 1 or 0 (true or false), not \"" + value + "\"";
                bool on = *v;
                return SettingWrite{n, on ? "1" : "0", [store, n, on](SettingsWriters& w) {
                                        return store ? store(w, on) : w.key().writeFlag(on, n);
                                    }};
            }};
}

/// A whole number; `allowed` lists the only values accepted, otherwise [minimum, INT32_MAX].
Entry whole(std::string name, std::function<int32_t(const Settings&)> get, int32_t minimum = INT32_MIN,
            std::vector<int32_t> allowed = {}, std::function<bool(SettingsWriters&, int32_t)> store = {}) {
    return {std::move(name), [get](const Settings& s, const SettingsKey&) { return std::to_string(get(s)); },
            [minimum, allowed, store](const std::string& n, const std::string& value, const Countries&) -> Prepared {
                auto v = parseIntegerText(value);
                if (!v) return n + " takes a whole number, not \"" + value + "\"";
                if (!allowed.empty()) {
                    bool ok = false;
                    std::vector<std::string> texts;
                    for (int32_t a : allowed) {
                        ok = ok || a == *v;
                        texts.push_back(std::to_string(a));
                    }
                    if (!ok) return n + " takes one of " + text::join(texts, ", ") + ", not " + std::to_string(*v);
                } else if (*v < minimum) {
                    return n + " must be at least " + std::to_string(minimum) + ", not " + std::to_string(*v);
                }
                int32_t number = *v;
                return SettingWrite{n, std::to_string(number), [store, n, number](SettingsWriters& w) {
                                        return store ? store(w, number) : w.key().writeNumber(n, number);
                                    }};
            }};
}

/// A number from 0 to 100 kept as text with a decimal point.
Entry percentage(std::string name, std::function<double(const Settings&)> get,
                 std::function<bool(SettingsWriters&, double)> store) {
    return {std::move(name), [get](const Settings& s, const SettingsKey&) { return decimalText(get(s)); },
            [store](const std::string& n, const std::string& value, const Countries&) -> Prepared {
                auto v = parseDecimalText(value);
                if (!v) return n + " takes a number, not \"" + value + "\"";
                if (*v < 0 || *v > 100) return n + " must be from 0 to 100, not " + decimalText(*v);
                double number = *v;
                return SettingWrite{n, decimalText(number), [store, number](SettingsWriters& w) { return store(w, number); }};
            }};
}

/// Text; `check` gives the reason a value is refused, or nothing.
Entry textEntry(std::string name, Current current, std::function<std::string(const std::string&)> check = {},
                std::function<bool(SettingsWriters&, const std::string&)> store = {}) {
    return {std::move(name), std::move(current),
            [check, store](const std::string& n, const std::string& value, const Countries&) -> Prepared {
                std::string v = text::trim(value);
                if (check) {
                    std::string reason = check(v);
                    if (!reason.empty()) return n + " " + reason;
                }
                return SettingWrite{n, v, [store, n, v](SettingsWriters& w) {
                                        return store ? store(w, v) : w.key().writeString(n, v);
                                    }};
            }};
}

Current fromRecord(std::function<std::string(const Settings&)> get) {
    return [get](const Settings& s, const SettingsKey&) { return get(s); };
}

Current fromKey(std::string name) {
    return [name](const Settings&, const SettingsKey& key) { return key.read(name).toText(); };
}

std::string engineRangeCheck(const std::string& v) {
    auto parts = text::split(v, ":");
    if (parts.size() == 2 && parseIntegerText(parts[0]) && parseIntegerText(parts[1])) return {};
    return "takes two whole numbers joined by \":\" (for example 1:99), not \"" + v + "\"";
}

std::string portCheck(const std::string& v) {
    if (v.empty()) return {};
    auto port = parseIntegerText(v);
    if (port && *port >= 1 && *port <= 65535) return {};
    return "takes a port number from 1 to 65535, not \"" + v + "\"";
}

Entry list(std::string name, std::function<const KeyedSet&(const Settings&)> get, bool countries) {
    return {std::move(name),
            [get](const Settings& s, const SettingsKey&) { return getCommaStringFromCollection(get(s)); },
            [countries](const std::string& n, const std::string& value, const Countries& table) -> Prepared {
                KeyedSet entries;
                for (const std::string& part : text::split(value, ",")) {
                    std::string entry = text::trim(part);
                    if (entry.empty()) continue;
                    if (countries) {
                        const std::string& typed = entry;
                        std::string code = table.GetNameFromCode(typed).empty() ? table.GetCodeFromName(typed)
                                                                                : text::lower(typed);
                        if (code.empty()) return n + ": \"" + entry + "\" is neither a country code nor a country name";
                        entry = code;
                    }
                    entries.insert(text::lower(entry));
                }
                std::string joined = getCommaStringFromCollection(entries);
                return SettingWrite{n, joined, [n, joined](SettingsWriters& w) { return w.key().writeString(n, joined); }};
            }};
}

const std::vector<Entry>& catalog() {
    using S = const Settings&;
    using W = SettingsWriters&;
    static const std::vector<Entry> entries = {
        textEntry("junkfolder", fromRecord([](S s) { return s.junkfolder; }),
                  [](const std::string& v) { return v.empty() ? std::string("cannot be empty") : std::string(); },
                  [](W w, const std::string& v) { return w.writeJunkFolder(v); }),
        whole("reportspam", [](S s) { return s.reportspam; }, 0, {0, 1, 2, 4},
              [](W w, int32_t v) { return w.writeReportSpam(v); }),
        flag("useuserprops", [](S s) { return s.useuserprops; }),
        whole("showsenderdialog", [](S s) { return s.showsenderdialog; }, 0, {0, 1},
              [](W w, int32_t v) { return w.writeShowSenderDialog(v); }),
        flag("showApproveOptions", [](S s) { return s.showApproveOptions; }),
        whole("toolbarposition", [](S s) { return s.toolbarposition; }),
        whole("toolbarleft", [](S s) { return s.toolbarleft; }),
        whole("toolbartop", [](S s) { return s.toolbartop; }),
        whole("toolbarrowindex", [](S s) { return s.toolbarrowindex; }),
        flag("ToolbarExplShow", [](S s) { return s.ToolbarExplShow; }, [](W w, bool v) { return w.writeToolbarExplShow(v); }),
        flag("ToolbarInspShow", [](S s) { return s.ToolbarInspShow; }, [](W w, bool v) { return w.writeToolbarInspShow(v); }),
        whole("toolbarpositionInsp", [](S s) { return s.toolbarpositionInsp; }),
        whole("toolbarleftInsp", [](S s) { return s.toolbarleftInsp; }),
        whole("toolbartopInsp", [](S s) { return s.toolbartopInsp; }),
        whole("toolbarrowindexInsp", [](S s) { return s.toolbarrowindexInsp; }),
        flag("MarkSpamAsRead", [](S s) { return s.MarkSpamAsRead; }, [](W w, bool v) { return w.writeMarkSpamAsRead(v); }),
        flag("EnableConnectErr", [](S s) { return s.EnableConnectErr; },
             [](W w, bool v) { return w.writeEnableConnectErr(v); }),
        flag("EnableAutoUpdates", [](S s) { return s.EnableAutoUpdates; },
             [](W w, bool v) { return w.writeEnableAutoUpdates(v); }),
        flag("EnableSpamFilterStrength", [](S s) { return s.EnableSpamFilterStrength; },
             [](W w, bool v) { return w.writeEnableSpamFilterStrength(v); }),
        flag("EnablePingChecks", [](S s) { return s.EnablePingChecks; }),
        whole("trainingWeight", [](S s) { return s.trainingWeight; }),
        flag("ShowReportSpamConfirmation", [](S s) { return s.ShowReportSpamConfirmation; },
             [](W w, bool v) { return w.writeShowReportSpamConfirmation(v); }),
        flag("EnableTarnwick", [](S s) { return s.filteringState != filteringDisabled; },
             [](W w, bool v) { return w.writeEnableTarnwick(v); }),
        flag("skipTWUpdates", [](S s) { return s.skipTWUpdates; }),
        percentage("threshold", [](S s) { return s.threshold; }, [](W w, double v) { return w.writeThreshold(v, false); }),
        flag("bounceSpam", [](S s) { return s.bounceSpam; }, [](W w, bool v) { return w.writeBounceSpam(v); }),
        flag("reportBlocked", [](S s) { return s.reportBlocked; }),
        percentage("threshold2", [](S s) { return s.threshold2; }, [](W w, double v) { return w.writeThreshold(v, true); }),
        percentage("treduce", [](S s) { return s.treduce; }, [](W w, double v) { return w.key().writeDouble(v, "treduce"); }),
        whole("processed", [](S s) { return s.processed; }, 0),
        whole("caught", [](S s) { return s.caught; }, 0),
        whole("nospamengine", [](S s) { return s.nospamengine; }, 0, {0, 1, 2}),
        whole("debugginglevel", [](S s) { return s.debugginglevel; }, 0, {0, 1, 2}),
        flag("upgradeNotification", [](S s) { return s.upgradeNotification; },
             [](W w, bool v) { return w.writeUpgradeNotification(v); }),
        textEntry("lastUpgradeNotification", fromRecord([](S s) { return s.lastUpgradeNotification; }), {},
                  [](W w, const std::string& v) { return w.writeLastUpgradeNotification(v); }),
        flag("useProxyServer", [](S s) { return s.useProxyServer; }),
        textEntry("proxyServer", fromRecord([](S s) { return s.proxyServer; })),
        textEntry("proxyServerPort", fromRecord([](S s) { return s.proxyServerPort; }), portCheck),
        textEntry("proxyServerUser", fromRecord([](S s) { return s.proxyServerUser; })),
        textEntry("proxyServerPassword", fromRecord([](S s) { return s.proxyServerPassword; })),
        whole("migrated", [](S s) { return s.migrated; }),
        flag("hasConnected", [](S s) { return s.hasConnected; }),
        flag("scanInboxOnStartup", [](S s) { return s.scanInboxOnStartup; },
             [](W w, bool v) { return w.writeScanInboxOnStartup(v); }),
        flag("removeNewMailIcon", [](S s) { return s.removeNewMailIcon; }),
        whole("min_training", [](S s) { return s.min_training; }, 1),
        whole("rbl_timeout", [](S s) { return s.rbl_timeout; }, 0),
        whole("rbl_max_ips", [](S s) { return s.rbl_max_ips; }, 0),
        textEntry("rbl_threshold", fromRecord([](S s) { return s.rbl_threshold; }), engineRangeCheck),
        textEntry("netcheck_threshold", fromRecord([](S s) { return s.netcheck_threshold; }), engineRangeCheck),
        textEntry("auto_training_threshold", fromRecord([](S s) { return s.auto_training_threshold; }), engineRangeCheck),
        whole("max_word_entries", [](S s) { return s.max_word_entries; }, 1),
        flag("rbl_multi_hit", [](S s) { return s.rbl_multi_hit; }),
        flag("use_training", [](S s) { return s.use_training; }),
        flag("enable_word_training", [](S s) { return s.enable_word_training; }),
        flag("enable_rules", [](S s) { return s.enable_rules; }),
        list("blockedCountries", [](S s) -> const KeyedSet& { return s.blockedCountries; }, true),
        list("home_country_list", [](S s) -> const KeyedSet& { return s.home_country_list; }, true),
        list("blocked_ip_list", [](S s) -> const KeyedSet& { return s.blocked_ip_list; }, false),
        list("approved_ip_list", [](S s) -> const KeyedSet& { return s.approved_ip_list; }, false),
        list("ignored_ip_list", [](S s) -> const KeyedSet& { return s.ignored_ip_list; }, false),
        list("rbl_list", [](S s) -> const KeyedSet& { return s.rbl_list; }, false),
        list("allblacklists", [](S s) -> const KeyedSet& { return s.allblacklists; }, false),
        flag("enable_autoscan", [](S s) { return s.enable_autoscan; }),
        flag("enable_autoscan_status", [](S s) { return s.enable_autoscan_status; }),
        whole("autoscan_interval", [](S s) { return s.autoscan_interval; }, 1),
        whole("autoscan_status_left", [](S s) { return s.autoscan_status_left; }),
        whole("autoscan_status_top", [](S s) { return s.autoscan_status_top; }),
        flag("blocked_countries_tld", [](S s) { return s.blocked_countries_tld; }),
        flag("scan_attachments", [](S s) { return s.scan_attachments; }),
        // Kept under the same key and read where they are used.
        {"exclusive", [](S, const SettingsKey& key) { return std::string(readExclusive(key) ? "1" : "0"); },
         flag("exclusive", [](S) { return false; }, [](W w, bool v) { return w.writeExclusive(v); }).prepare},
        {"approve_completed", [](S, const SettingsKey& key) { return std::to_string(key.getNumberFromRegistry("approve_completed")); },
         whole("approve_completed", [](S) { return 0; }, 0).prepare},
        {"block_completed", [](S, const SettingsKey& key) { return std::to_string(key.getNumberFromRegistry("block_completed")); },
         whole("block_completed", [](S) { return 0; }, 0).prepare},
        // 1 once the learning scan at start-up has run; 0 has the next start run it (again).
        {"learningscan", [](S, const SettingsKey& key) { return std::to_string(key.getNumberFromRegistry("learningscan")); },
         whole("learningscan", [](S) { return 0; }, 0, {0, 1}).prepare},
        {"usehttp", fromKey("usehttp"), whole("usehttp", [](S) { return 0; }).prepare},
        textEntry("serviceHost", fromKey(std::string(kServiceHostValueName)), [](const std::string& v) {
            return v.empty() || isUsableServiceHost(v) ? std::string()
                                                       : "takes a host name with an optional port, not \"" + v + "\"";
        }),
    };
    return entries;
}

}  // namespace

Prepared prepareSettingWrite(const std::string& name, const std::string& value, const Countries& countries) {
    for (const Entry& entry : catalog())
        if (text::iequals(entry.name, name)) return entry.prepare(entry.name, value, countries);
    return "there is no setting named \"" + name + "\"";
}

std::vector<SettingInForce> settingsInForce(const Settings& record, const SettingsKey& key) {
    std::vector<SettingInForce> values;
    for (const Entry& entry : catalog()) values.push_back({entry.name, entry.current(record, key)});
    return values;
}

std::vector<std::string> knownSettingNames() {
    std::vector<std::string> names;
    for (const Entry& entry : catalog()) names.push_back(entry.name);
    return names;
}

}  // namespace tw::settings
