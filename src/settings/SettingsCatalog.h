// Every stored setting by name: how a typed value is checked and stored, and the value in force.
#pragma once

#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "settings/Countries.h"
#include "settings/RegistryAccess.h"
#include "settings/Settings.h"
#include "settings/SettingsWriters.h"

namespace tw::settings {

/// A typed value that passed its checks, ready to be stored the way the add-in's writers store it.
struct SettingWrite {
    std::string name;   // the value name as stored
    std::string shown;  // the value as it will be stored, for messages
    std::function<bool(SettingsWriters&)> store;
};

/// Checks `value` for the setting `name` (names compare without regard to case). Gives the write,
/// or the reason the value is refused: an unknown name, the wrong form, or outside the range the
/// add-in accepts. Country lists take codes or names and are stored as codes.
std::variant<SettingWrite, std::string> prepareSettingWrite(const std::string& name, const std::string& value,
                                                           const Countries& countries);

struct SettingInForce {
    std::string name;
    std::string value;  // in the form `set` takes it
};

/// The value of every setting: from the loaded record, and from the key for the values kept
/// outside the loader. In a fixed order.
std::vector<SettingInForce> settingsInForce(const Settings& record, const SettingsKey& key);

/// The names `set` knows, in the same order.
std::vector<std::string> knownSettingNames();

}  // namespace tw::settings
