// The stored lists: "," separated lower-case text in the registry, keyed sets in the record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/KeyedSet.h"

namespace tw::settings {

/// Adds every non-empty entry of the text (lower-cased, blanks trimmed) that is not yet a key.
void ExtractEntries(std::string_view text, KeyedSet& list, std::string_view separator = ",");

/// Adds (or removes) each non-empty item, lower-cased; returns how many keys changed.
int mergeSettingsIntoCollection(const std::vector<std::string>& items, KeyedSet& list, bool add);

/// The keys in order joined by ","; empty text for an empty list.
std::string getCommaStringFromCollection(const KeyedSet& list);

}  // namespace tw::settings
