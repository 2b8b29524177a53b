// What OK does with the options dialog's entries: every entry is checked first, and only when all
// are sound are the settings stored, in their groups, and handed to the engine and the auto-scan.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "core/KeyedSet.h"
#include "options/OptionsHost.h"
#include "options/OptionsTree.h"

namespace tw::options {

/// The dialog's entries as OK finds them.
struct OptionsEntries {
    /// The tick image of each check node (0: none).
    std::map<std::string, int> images;
    std::string threshold;
    /// The junk folder to store; nothing to leave it.
    std::optional<std::string> junkPath;
    std::string scanInterval;
    bool autoScanStatus = true;
    bool countryTld = true;
    std::string proxyServer, proxyPort;
    std::string minTraining, rblTimeout, rblMaxIps, maxWordEntries;
    bool rblMultiHit = false;
    std::string autoTrainingLow, autoTrainingHigh, netcheckLow, netcheckHigh, rblLow, rblHigh;
    std::string trainingWeight;
    KeyedSet blockedCountries, homeCountries, rblList;
};

/// The string id of the message for the first entry refused, or 0 when every entry is sound.
int checkOptionsEntries(const OptionsEntries& entries);

/// Checks the entries; when one is refused stores nothing and gives its message id. Otherwise
/// stores them all, applies the auto-scan switch and interval at once, tells the engine to save
/// its preferences, re-applies the engine options and gives 0.
int commitOptions(OptionsHost& host, const OptionsEntries& entries);

}  // namespace tw::options
