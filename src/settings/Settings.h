// The process-wide settings record: one field per registry value, holding the defaults until loaded.
#pragma once

#include <cstdint>
#include <string>

#include "core/KeyedSet.h"
#include "settings/WeeklyStats.h"

namespace tw::settings {

/// The filtering state code kept beside the settings.
enum FilteringState : int32_t { filteringEnabled = 0, filteringDisabled = 16 };

struct Settings {
    std::string junkfolder;
    std::string junkfolderName;  // the folder's own name: the text after the last "\"
    int32_t reportspam = 1;
    bool useuserprops = true;
    int32_t showsenderdialog = 0;
    bool showApproveOptions = true;
    int32_t toolbarposition = 1;
    int32_t toolbarleft = 0;
    int32_t toolbartop = 0;
    int32_t toolbarrowindex = -1;
    bool ToolbarExplShow = true;
    bool ToolbarInspShow = true;
    int32_t toolbarpositionInsp = 1;
    int32_t toolbarleftInsp = 0;
    int32_t toolbartopInsp = 0;
    int32_t toolbarrowindexInsp = -1;
    bool MarkSpamAsRead = false;
    bool EnableConnectErr = true;
    bool EnableAutoUpdates = true;
    bool EnableSpamFilterStrength = false;
    bool EnablePingChecks = true;
    int32_t trainingWeight = 0;
    bool ShowReportSpamConfirmation = true;
    int32_t filteringState = filteringEnabled;  // from EnableTarnwick
    bool skipTWUpdates = false;
    double threshold = 90;
    double threshold2 = 90;
    bool bounceSpam = false;
    bool reportBlocked = false;
    double treduce = 1.0;
    int32_t processed = 0;
    int32_t caught = 0;
    WeeklyStats weekly;  // beside processed and caught, kept in values of their own
    int32_t nospamengine = 0;
    int32_t debugginglevel = 1;
    bool upgradeNotification = true;
    std::string lastUpgradeNotification;
    bool useProxyServer = false;
    std::string proxyServer;
    std::string proxyServerPort;
    std::string proxyServerUser;
    std::string proxyServerPassword;
    std::string proxyHostAndPort;      // built by buildProxyStrings: proxyServer + ":" + proxyServerPort
    std::string proxyUserAndPassword;  // built by buildProxyStrings: proxyServerUser + ":" + proxyServerPassword
    int32_t migrated = 0;
    bool hasConnected = false;
    bool scanInboxOnStartup = false;
    bool removeNewMailIcon = true;
    int32_t min_training = 100;
    int32_t rbl_timeout = 5;
    int32_t rbl_max_ips = 4;
    std::string rbl_threshold = "1:99";
    std::string netcheck_threshold = "1:99";
    std::string auto_training_threshold = "1:99";
    int32_t max_word_entries = 50000;
    bool rbl_multi_hit = false;
    bool use_training = true;
    bool enable_word_training = true;
    bool enable_rules = true;
    KeyedSet blockedCountries;
    KeyedSet home_country_list;
    KeyedSet blocked_ip_list;
    KeyedSet approved_ip_list;
    KeyedSet ignored_ip_list;
    KeyedSet rbl_list;
    KeyedSet allblacklists;
    bool enable_autoscan = true;
    bool enable_autoscan_status = true;
    int32_t autoscan_interval = 5;
    int32_t autoscan_status_left = 5;
    int32_t autoscan_status_top = 100;
    bool blocked_countries_tld = true;
    bool scan_attachments = true;

    // Kept under the same key but read outside loadUserSettings.
    bool exclusive = false;
    int32_t approve_completed = 0;
    int32_t block_completed = 0;

    /// True once loadUserSettings has filled the record in this connection.
    bool loaded = false;
};

}  // namespace tw::settings
