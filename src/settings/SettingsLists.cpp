// Conversions between the stored list text and the keyed sets of the settings record.
#include "settings/SettingsLists.h"

#include "core/Text.h"

namespace tw::settings {

void ExtractEntries(std::string_view text, KeyedSet& list, std::string_view separator) {
    // text::split keeps the whole text as one entry when there is no separator to split at.
    for (const std::string& part : text::split(text::lower(text), separator)) {
        std::string entry = text::trim(part);
        if (!entry.empty()) list.insert(entry);
    }
}

int mergeSettingsIntoCollection(const std::vector<std::string>& items, KeyedSet& list, bool add) {
    int changed = 0;
    for (const std::string& item : items) {
        std::string key = text::lower(item);
        if (key.empty()) continue;
        if (add ? list.insert(key) : list.erase(key)) ++changed;
    }
    return changed;
}

std::string getCommaStringFromCollection(const KeyedSet& list) { return text::join(list.Keys(), ","); }

}  // namespace tw::settings
