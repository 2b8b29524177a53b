// What the engine found when it loaded its stores, read from its "store_recovery" option.
#pragma once

#include <string>
#include <vector>

namespace tw::engineapi {

struct StoreRecoveryEvent {
    /// True: the store was read from its backup. False: a damaged file was kept aside.
    bool recovered = false;
    /// "words" or "addresses".
    std::string store;
    /// The store's file (recovered) or the damaged file (kept aside).
    std::string path;
    /// Where the damaged file is now; empty when recovered or when it could not be moved.
    std::string keptAs;
};

/// The events of the option's text; lines the add-in does not know are skipped.
std::vector<StoreRecoveryEvent> parseStoreRecovery(const std::string& text);

}  // namespace tw::engineapi
