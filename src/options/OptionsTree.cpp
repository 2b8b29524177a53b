// The options dialog's tree nodes and the settings behind its check nodes.
#include "options/OptionsTree.h"

namespace tw::options {

const std::vector<OptionsNode>& optionsNodes() {
    using K = NodeKind;
    static const std::vector<OptionsNode> nodes{
        {"Root", 1120, "", K::Page, 1200, 154},
        {"General", 1121, "Root", K::Page, 1201, 155},
        {"EnableAntiSpam", 1122, "General", K::Check, 1202, 156},
        {"Netcheck", 1123, "General", K::Check, 1203, 157},
        {"CustomFilterThreshold", 1124, "General", K::Check, 1204, 158},
        {"RuleUpdate", 1125, "General", K::Check, 1205, 159},
        {"NotificationUpgrades", 1126, "General", K::Check, 1206, 160},
        {"MarkSpamAsRead", 1127, "General", K::Check, 1207, 161},
        {"BlockApproveConfirmation", 1128, "General", K::Check, 1208, 162},
        {"ConnectErrorNotify", 1129, "General", K::Check, 1209, 163},
        {"BounceBlocked", 1130, "General", K::Check, 1210, 164},
        {"ProxySupport", 1131, "General", K::Check, 1211, 165},
        {"ScanInbox", 1132, "General", K::Check, 1212, 166},
        {"ScanFolders", 1133, "General", K::Check, 1213, 167},
        {"ApproveMessage", 1134, "Root", K::Page, 1214, 168},
        {"ApprovedSenders", 1135, "ApproveMessage", K::List, 210, 169},
        {"ApprovedIP", 1136, "ApproveMessage", K::List, 1215, 170},
        {"NotSentToMe", 1137, "ApproveMessage", K::List, 1216, 171},
        {"MailingLists", 1138, "ApproveMessage", K::List, 1217, 172},
        {"BlockMessage", 1139, "Root", K::Page, 1218, 173},
        {"BlockedSenders", 1135, "BlockMessage", K::List, 1219, 174},
        {"CountryBlocking", 1140, "BlockMessage", K::List, 1220, 175},
        {"BlockedIP", 1136, "BlockMessage", K::List, 1221, 176},
        {"RBLs", 1141, "BlockMessage", K::List, 1222, 177},
        {"IgnoreLists", 1142, "Root", K::Page, 1223, 178},
        {"IgnoredSenders", 1135, "IgnoreLists", K::List, 1224, 179},
        {"IgnoredCountries", 1140, "IgnoreLists", K::List, 1225, 180},
        {"IgnoreIPs", 1136, "IgnoreLists", K::List, 1226, 181},
        {"AdvancedOptions", 1143, "Root", K::Page, 1227, 182},
        {"WordTraining", 1144, "AdvancedOptions", K::Check, 1228, 183},
        {"EnableRules", 1145, "AdvancedOptions", K::Check, 1229, 184},
        {"OutlookUserProperty", 1146, "AdvancedOptions", K::Check, 1230, 185},
        {"RBLExpert", 1147, "AdvancedOptions", K::Page, 1231, 186},
        {"Expert", 1148, "AdvancedOptions", K::Page, 1232, 187},
    };
    return nodes;
}

const OptionsNode* findOptionsNode(const std::string& key) {
    for (const auto& n : optionsNodes())
        if (key == n.key) return &n;
    return nullptr;
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
