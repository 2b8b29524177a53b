// The table of the add-in settings Envprobe knows.
#include "envprobe/SettingNames.h"

#include "core/Text.h"

namespace tw::envprobe {

const std::vector<std::string>& settingNames() {
    static const std::vector<std::string> names = {
        "auto_training_threshold", "blockedCountries", "bounceSpam", "caught", "debugginglevel",
        "enable_rule_training", "EnableAutoUpdates", "EnableConnectErr", "EnablePingChecks", "EnableTarnwick",
        "EnableSpamFilterStrength", "exclusive", "hasConnected", "junkfolder", "lastruleupdate",
        "lastrun", "MarkSpamAsRead", "max_word_entries", "migrated", "min_training",
        "mpclean", "netcheck_threshold", "pfrun", "pfrun2", "processed",
        "proxyServer", "proxyServerPort", "rbl_list", "rbl_max_ips", "rbl_multi_hit",
        "rbl_threshold", "rbl_timeout", "reportspam", "RestrictToMe", "scanInboxOnStartup",
        "showsenderdialog", "threshold", "threshold2", "ToolbarExplShow", "ToolbarInspShow",
        "toolbarleft", "toolbarleftInsp", "toolbarposition", "toolbarpositionInsp", "toolbarrowindex",
        "toolbarrowindexInsp", "toolbartop", "toolbartopInsp", "trainingweight", "upgradeNotification",
        "useProxyServer", "useuserprops",
    };
    return names;
}

std::optional<std::string> findSettingName(std::string_view name) {
    for (const std::string& known : settingNames())
        if (text::iequals(known, name)) return known;
    return std::nullopt;
}

}  // namespace tw::envprobe
