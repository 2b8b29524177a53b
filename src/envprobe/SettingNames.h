// The add-in settings Envprobe reports and accepts on its command line, in report order.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::envprobe {

/// The key of the settings below the current user.
inline constexpr const char* kSettingsKey = "Software\\Orvenna";

const std::vector<std::string>& settingNames();
/// The table's spelling of a name given in any letter case; nothing for a name not in the table.
std::optional<std::string> findSettingName(std::string_view name);

}  // namespace tw::envprobe
