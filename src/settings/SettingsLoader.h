// Fills the settings record from the registry once per connection, with defaults and repairs.
#pragma once

#include <string>
#include <vector>

#include "diag/CErrorHandler.h"
#include "platform/Outlook.h"
#include "settings/RegistryAccess.h"
#include "settings/Settings.h"

namespace tw::settings {

/// The block lists offered in the options dialog when the user has stored none.
const std::vector<std::string>& builtInBlockLists();

/// Reads every setting into the record. Absent or empty values take their defaults; values of the
/// wrong form leave the record as it was, except the checked ones, which are repaired and written
/// back at once. The log level reaches `log` as soon as it is read. `nameSpace` tells whether the
/// Inbox lives in a mailbox store; without one it counts as personal folders. The record's lists
/// are added to, so the caller empties them first. False when the first step failed and nothing
/// else was read. Never raises.
bool loadUserSettings(const SettingsKey& key, Settings& record, diag::CErrorHandler* log,
                      outlook::NameSpace* nameSpace);

/// Exclusive mode as stored: true when present and not 0.
bool readExclusive(const SettingsKey& key);

}  // namespace tw::settings
