// Builds the configuration dump and the settings summary from the add-in's facts.
#include "diag/ConfigurationDump.h"

#include <string>
#include <vector>

#include "core/Text.h"

namespace tw::diag {

namespace {

const settings::Settings& settingsOf(const AddinFacts& facts) {
    static const settings::Settings defaults;
    return facts.settings ? *facts.settings : defaults;
}

std::string versionText(const platform::FileVersion& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision);
}

std::string windowsVersionOf(platform::Shell& shell) {
    try {
        return getWindowsVersionName(shell.osVersion());
    } catch (...) {
        return "Failed";
    }
}

// The lines both texts share, from "TW Network: " to "useuserprops: " minus the ones only the dump has.
struct SettingsLines {
    std::string network, enabled, exclusive, threshold, threshold2, customthr, useuserprops;
};

SettingsLines sharedLines(const AddinFacts& facts) {
    const settings::Settings& s = settingsOf(facts);
    return {"TW Network: " + std::to_string(s.reportspam),
            "enabled: " + std::to_string(s.filteringState),
            "exclusive: " + text::formatBool(facts.exclusiveMode),
            "threshold: " + text::formatDouble(s.threshold),
            "threshold2: " + text::formatDouble(s.threshold2),
            "customthr: " + text::formatBool(s.EnableSpamFilterStrength),
            "useuserprops: " + text::formatBool(s.useuserprops)};
}

}  // namespace

AddinFacts factsFromShell(platform::Shell& shell) {
    AddinFacts facts;
    try {
        facts.addinVersion = shell.libraryVersion();
    } catch (...) {
    }
    try {
        facts.libraryFolder = shell.libraryFolder();
    } catch (...) {
    }
    return facts;
}

std::string getWindowsVersionName(const platform::OsVersion& os) {
    if (os.platformId == 1) {
        switch (os.minor) {
            case 0: return "Windows 95";
            case 10: return "Windows 98";
            case 90: return "Windows Mellinnium";
            default: return "";
        }
    }
    if (os.platformId == 2) {
        switch (os.major) {
            case 3: return "Windows NT 3.51";
            case 4: return "Windows NT 4.0";
            case 5: return os.minor == 0 ? "Windows 2000" : "Windows XP";
            default: return "";
        }
    }
    return "Failed";
}

std::string getBrowserVersion(platform::Shell& shell) {
    try {
        platform::FileVersion v = shell.browserVersion();
        return "Internet Explorer " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
               std::to_string(v.build);
    } catch (...) {
        return "";
    }
}

std::string configurationDump(const AddinFacts& facts, platform::Shell& shell) {
    const settings::Settings& s = settingsOf(facts);
    SettingsLines shared = sharedLines(facts);
    std::vector<std::string> lines = {
        "TW Version: " + versionText(facts.addinVersion),
        "Installed to: " + facts.libraryFolder,
        "Windows version: " + windowsVersionOf(shell),
        "Outlook " + facts.outlookVersion,
        "MSIE: " + getBrowserVersion(shell),
    };
    if (facts.isOutlook2k) lines.push_back("IMO: " + text::formatBool(facts.isInternetMailMode));
    lines.insert(lines.end(), {
        shared.network,
        shared.enabled,
        shared.exclusive,
        shared.threshold,
        shared.threshold2,
        shared.customthr,
        "tbarI: " + text::formatBool(s.ToolbarInspShow),
        "tbarE: " + text::formatBool(s.ToolbarExplShow),
        "markasread: " + text::formatBool(s.MarkSpamAsRead),
        "ping: " + text::formatBool(s.EnablePingChecks),
        "connecterr: " + text::formatBool(s.EnableConnectErr),
        "autoupdate: " + text::formatBool(s.EnableAutoUpdates),
        shared.useuserprops,
        "processed: " + std::to_string(s.processed),
        "caught: " + std::to_string(s.caught),
        "bounce: " + text::formatBool(s.bounceSpam),
        "proxy: " + text::formatBool(s.useProxyServer),
        "upgrades: " + text::formatBool(s.upgradeNotification),
        "scaninbox: " + text::formatBool(s.scanInboxOnStartup),
    });
    return text::join(lines, "\r\n");
}

std::string settingsSummary(const AddinFacts& facts) {
    SettingsLines shared = sharedLines(facts);
    std::vector<std::string> lines = {
        "TW Version: " + versionText(facts.addinVersion),
        "Outlook " + facts.outlookVersion,
    };
    if (facts.isOutlook2k) lines.push_back("IMO: " + text::formatBool(facts.isInternetMailMode));
    lines.insert(lines.end(), {shared.network, shared.enabled, shared.exclusive, shared.threshold,
                               shared.threshold2, shared.customthr, shared.useuserprops,
                               "tome: " + std::to_string(facts.ownAddressCount)});
    return text::join(lines, "\r\n");
}

}  // namespace tw::diag
