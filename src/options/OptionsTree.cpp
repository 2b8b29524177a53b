// The options dialog's tree nodes and the settings behind its check nodes.
#include "options/OptionsTree.h"

namespace tw::options {

const std::vector<OptionsNode>& optionsNodes() {
    using K = NodeKind;
    static const std::vector<OptionsNode> nodes{
        {"Root", 1120, "", K::Page},
        {"General", 1121, "Root", K::Page},
        {"EnableAntiSpam", 1122, "General", K::Check},
        {"Netcheck", 1123, "General", K::Check},
        {"CustomFilterThreshold", 1124, "General", K::Check},
        {"RuleUpdate", 1125, "General", K::Check},
        {"NotificationUpgrades", 1126, "General", K::Check},
        {"MarkSpamAsRead", 1127, "General", K::Check},
        {"BlockApproveConfirmation", 1128, "General", K::Check},
        {"ConnectErrorNotify", 1129, "General", K::Check},
        {"BounceBlocked", 1130, "General", K::Check},
        {"ProxySupport", 1131, "General", K::Check},
        {"ScanInbox", 1132, "General", K::Check},
        {"ScanFolders", 1133, "General", K::Check},
        {"ApproveMessage", 1134, "Root", K::Page},
        {"ApprovedSenders", 1135, "ApproveMessage", K::List},
        {"ApprovedIP", 1136, "ApproveMessage", K::List},
        {"NotSentToMe", 1137, "ApproveMessage", K::List},
        {"MailingLists", 1138, "ApproveMessage", K::List},
        {"BlockMessage", 1139, "Root", K::Page},
        {"BlockedSenders", 1135, "BlockMessage", K::List},
        {"CountryBlocking", 1140, "BlockMessage", K::List},
        {"BlockedIP", 1136, "BlockMessage", K::List},
        {"RBLs", 1141, "BlockMessage", K::List},
        {"IgnoreLists", 1142, "Root", K::Page},
        {"IgnoredSenders", 1135, "IgnoreLists", K::List},
        {"IgnoredCountries", 1140, "IgnoreLists", K::List},
        {"IgnoreIPs", 1136, "IgnoreLists", K::List},
        {"AdvancedOptions", 1143, "Root", K::Page},
        {"WordTraining", 1144, "AdvancedOptions", K::Check},
        {"EnableRules", 1145, "AdvancedOptions", K::Check},
        {"OutlookUserProperty", 1146, "AdvancedOptions", K::Check},
        {"RBLExpert", 1147, "AdvancedOptions", K::Page},
        {"Expert", 1148, "AdvancedOptions", K::Page},
    };
    return nodes;
}

int netcheckImage(int32_t reportspam) {
    if (reportspam == 1) return kImageTicked;
    if (reportspam == 0) return kImageCleared;
    return 0;
}

int checkImageFor(const std::string& key, const settings::Settings& s) {
    if (key == "Netcheck") return netcheckImage(s.reportspam);
    struct Check {
        const char* key;
        bool ticked;
    };
    const Check checks[] = {
        {"EnableAntiSpam", s.filteringState != settings::filteringDisabled},
        {"CustomFilterThreshold", s.EnableSpamFilterStrength},
        {"RuleUpdate", s.EnableAutoUpdates},
        {"NotificationUpgrades", s.upgradeNotification},
        {"MarkSpamAsRead", s.MarkSpamAsRead},
        {"BlockApproveConfirmation", s.showsenderdialog != 1},
        {"ConnectErrorNotify", s.EnableConnectErr},
        {"BounceBlocked", s.bounceSpam},
        {"ProxySupport", s.useProxyServer},
        {"ScanInbox", s.scanInboxOnStartup},
        {"ScanFolders", s.enable_autoscan},
        {"WordTraining", s.enable_word_training},
        {"EnableRules", s.enable_rules},
        {"OutlookUserProperty", s.useuserprops},
    };
    for (const auto& check : checks)
        if (key == check.key) return tickImage(check.ticked);
    return 0;
}

}  // namespace tw::options
