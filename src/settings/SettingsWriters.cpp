// The per-setting writers over the settings key.
#include "settings/SettingsWriters.h"

#include "core/Text.h"
#include "settings/ProxyStrings.h"
#include "settings/WeeklyStats.h"

namespace tw::settings {

bool SettingsWriters::writeJunkFolder(const std::string& path) {
    std::string trimmed = text::trim(path);
    if (trimmed.empty()) return false;
    if (!key_.writeString("junkfolder", trimmed)) return false;
    record_.junkfolder = trimmed;
    record_.junkfolderName = text::afterLastBackslash(trimmed);
    return true;
}

bool SettingsWriters::writeReportSpam(int32_t mode) {
    if (!key_.writeNumber("reportspam", mode)) return false;
    record_.reportspam = mode;
    return true;
}

bool SettingsWriters::writeShowSenderDialog(int32_t value) {
    if (!key_.writeNumber("showsenderdialog", value)) return false;
    record_.showsenderdialog = value;
    return true;
}

bool SettingsWriters::writeThreshold(double value, bool second) {
    if (!key_.writeDouble(value, second ? "threshold2" : "threshold")) return false;
    (second ? record_.threshold2 : record_.threshold) = value;
    return true;
}

bool SettingsWriters::writeEnableTarnwick(bool enabled) {
    record_.filteringState = enabled ? filteringEnabled : filteringDisabled;
    return key_.writeFlag(enabled, "EnableTarnwick");
}

bool SettingsWriters::writeShowReportSpamConfirmation(bool show) {
    record_.ShowReportSpamConfirmation = show;
    return key_.writeFlag(show, "ShowReportSpamConfirmation");
}

bool SettingsWriters::writeToolbarPosition(bool inspector, int32_t position, int32_t left, int32_t top, int32_t rowIndex) {
    const std::string suffix = inspector ? "Insp" : "";
    bool ok = key_.writeNumber("toolbarposition" + suffix, position);
    ok = key_.writeNumber("toolbarleft" + suffix, left) && ok;
    ok = key_.writeNumber("toolbartop" + suffix, top) && ok;
    ok = key_.writeNumber("toolbarrowindex" + suffix, rowIndex) && ok;
    return ok;
}

bool SettingsWriters::writeToolbarInspShow(bool show) { return key_.writeFlag(show, "ToolbarInspShow"); }
bool SettingsWriters::writeToolbarExplShow(bool show) { return key_.writeFlag(show, "ToolbarExplShow"); }
bool SettingsWriters::writeMarkSpamAsRead(bool mark) { return key_.writeFlag(mark, "MarkSpamAsRead"); }
bool SettingsWriters::writeEnableConnectErr(bool enable) { return key_.writeFlag(enable, "EnableConnectErr"); }
bool SettingsWriters::writeEnableAutoUpdates(bool enable) { return key_.writeFlag(enable, "EnableAutoUpdates"); }
bool SettingsWriters::writeEnableSpamFilterStrength(bool enable) {
    return key_.writeFlag(enable, "EnableSpamFilterStrength");
}
bool SettingsWriters::writeUpgradeNotification(bool enable) { return key_.writeFlag(enable, "upgradeNotification"); }
bool SettingsWriters::writeBounceSpam(bool bounce) { return key_.writeFlag(bounce, "bounceSpam"); }
bool SettingsWriters::writeScanInboxOnStartup(bool scan) { return key_.writeFlag(scan, "scanInboxOnStartup"); }

bool SettingsWriters::writeLastUpgradeNotification(const std::string& release) {
    return key_.writeString("lastUpgradeNotification", release);
}

bool SettingsWriters::writeCounters(int32_t processed, int32_t caught) {
    bool ok = key_.writeNumber("processed", processed);
    return key_.writeNumber("caught", caught) && ok;
}

bool SettingsWriters::writeWeeklyStats() { return storeWeeklyStats(key_, record_.weekly); }

bool SettingsWriters::writeProxySettings(bool useProxyServer, const std::string& server, const std::string& port) {
    bool ok = key_.writeFlag(useProxyServer, "useProxyServer");
    ok = key_.writeString("proxyServer", server) && ok;
    ok = key_.writeString("proxyServerPort", port) && ok;
    record_.useProxyServer = useProxyServer;
    record_.proxyServer = server;
    record_.proxyServerPort = port;
    buildProxyStrings(record_);
    return ok;
}

bool SettingsWriters::writeExclusive(bool exclusive, const std::function<void(bool)>& tellSenders) {
    if (!key_.writeFlag(exclusive, "exclusive")) return false;
    record_.exclusive = exclusive;
    if (tellSenders) tellSenders(exclusive);
    return true;
}

}  // namespace tw::settings
