// One writer per setting: each stores its value under the settings key, some also update the record.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "settings/RegistryAccess.h"
#include "settings/Settings.h"

namespace tw::settings {

/// Writers report failure only through their result. The writers that update the record do so
/// only when the store succeeded, unless noted.
class SettingsWriters {
public:
    SettingsWriters(SettingsKey key, Settings& record) : key_(std::move(key)), record_(record) {}

    const SettingsKey& key() const { return key_; }
    Settings& record() { return record_; }

    /// Trimmed; an empty path is ignored (false). Updates the path and the folder's own name.
    bool writeJunkFolder(const std::string& path);
    bool writeReportSpam(int32_t mode);
    bool writeShowSenderDialog(int32_t value);
    /// `threshold`, or `threshold2` when `second`, as text with a decimal point.
    bool writeThreshold(double value, bool second);
    /// Stores 1 or 0 and sets the filtering state (enabled, or 16 when disabled) even when the store fails,
    /// so the user's choice holds for this session.
    bool writeEnableTarnwick(bool enabled);
    /// The report-confirmation choice; the record follows the choice even when the store fails.
    bool writeShowReportSpamConfirmation(bool show);

    // These only store; their caller keeps the record.
    /// The four explorer values, or the four inspector values when `inspector`.
    bool writeToolbarPosition(bool inspector, int32_t position, int32_t left, int32_t top, int32_t rowIndex);
    bool writeToolbarInspShow(bool show);
    bool writeToolbarExplShow(bool show);
    bool writeMarkSpamAsRead(bool mark);
    bool writeEnableConnectErr(bool enable);
    bool writeEnableAutoUpdates(bool enable);
    bool writeEnableSpamFilterStrength(bool enable);
    bool writeUpgradeNotification(bool enable);
    bool writeBounceSpam(bool bounce);
    bool writeScanInboxOnStartup(bool scan);
    bool writeLastUpgradeNotification(const std::string& release);
    bool writeCounters(int32_t processed, int32_t caught);
    /// The record's weekly counters, all five values.
    bool writeWeeklyStats();

    /// Stores the proxy group, keeps it in the record and rebuilds the combined proxy texts from
    /// it, so they never describe a proxy other than the stored one.
    bool writeProxySettings(bool useProxyServer, const std::string& server, const std::string& port);

    /// Stores exclusive mode; when that worked, keeps it in the record and hands it to `tellSenders`.
    bool writeExclusive(bool exclusive, const std::function<void(bool)>& tellSenders = {});

private:
    SettingsKey key_;
    Settings& record_;
};

}  // namespace tw::settings
