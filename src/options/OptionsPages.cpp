// The options dialog's pages and the controls each one shows.
#include "options/OptionsPages.h"

#include <algorithm>
#include <map>

namespace tw::options {

namespace {
using Controls = std::vector<std::string>;

Controls listPage(Controls extra = {}, const std::string& list = "lstEntries") {
    Controls page{list, "cmdAdd", "cmdEdit", "cmdDelete"};
    page.insert(page.end(), extra.begin(), extra.end());
    return page;
}

Controls countryPage(const std::string& list, Controls extra = {}) {
    Controls page{list, "cmdSelectAll", "cmdClearAll", "cmdReset"};
    page.insert(page.end(), extra.begin(), extra.end());
    return page;
}

const std::map<std::string, Controls>& pages() {
    static const std::map<std::string, Controls> byKey{
        {"CustomFilterThreshold",
         {"optStrength1", "optStrength2", "optStrength3", "optStrength4", "txtThreshold", "updThreshold",
          "sldThreshold", "lblStrengthDesc"}},
        {"ProxySupport", {"lblProxyServer", "txtProxyServer", "lblProxyPort", "txtProxyPort"}},
        {"ScanFolders",
         {"lblScanInterval", "txtScanInterval", "chkAutoScanStatus", "lstFolders", "cmdAddFolder", "cmdRemoveFolder"}},
        {"ApprovedSenders", listPage({"cmdImport"})},
        {"ApprovedIP", listPage()},
        {"NotSentToMe", listPage()},
        {"MailingLists", listPage()},
        {"BlockMessage", {"lblJunkFolder", "cboJunkFolder"}},
        {"BlockedSenders", listPage()},
        {"CountryBlocking", countryPage("lstBlockedCountries", {"chkCountryTld"})},
        {"BlockedIP", listPage()},
        {"RBLs", listPage({}, "lstServers")},
        {"IgnoredSenders", listPage()},
        {"IgnoredCountries", countryPage("lstHomeCountries")},
        {"IgnoreIPs", listPage()},
        {"WordTraining",
         {"lblMinTraining", "txtMinTraining", "lblMaxWordEntries", "txtMaxWordEntries", "lblTrainingWeight",
          "txtTrainingWeight"}},
        {"RBLExpert", {"lblRblTimeout", "txtRblTimeout", "lblRblMaxIps", "txtRblMaxIps", "chkRblMultiHit"}},
        {"Expert",
         {"lblAutoTraining", "txtAutoTrainingLow", "txtAutoTrainingHigh", "lblNetcheck", "txtNetcheckLow",
          "txtNetcheckHigh", "lblRbl", "txtRblLow", "txtRblHigh"}},
    };
    return byKey;
}
}  // namespace

const std::vector<std::string>& commonControls() {
    static const Controls common{"tvwOptions", "lblPageTitle", "lblPageText", "cmdOK", "cmdCancel", "cmdHelp"};
    return common;
}

const std::vector<std::string>& pageControls(const std::string& key) {
    static const Controls none;
    const auto at = pages().find(key);
    return at == pages().end() ? none : at->second;
}

bool showsOnPage(const std::string& control, const std::string& key) {
    const auto& page = pageControls(key);
    const auto& common = commonControls();
    return std::find(page.begin(), page.end(), control) != page.end() ||
           std::find(common.begin(), common.end(), control) != common.end();
}

}  // namespace tw::options
