// The engine's options as the user's settings give them, in the order the engine receives them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engineapi/EngineLibrary.h"
#include "settings/RegistryAccess.h"
#include "settings/Settings.h"

namespace tw::addin {

using EngineOption = std::pair<std::string, std::string>;

/// Facts beside the settings record that decide some option values.
struct EngineOptionFacts {
    std::string addinVersion;  // "major.minor.revision"
    std::string dataFolder;
    bool useSecureHttp = false;
    /// False when the options are re-applied to the engine that already holds them: an emptied
    /// list is then sent as empty text, so the engine forgets the entries the user removed.
    bool freshEngine = true;
};

/// The thirty-three start-up options (fewer when lists or texts are left out), in order.
std::vector<EngineOption> startupEngineOptions(const settings::Settings& settings, const EngineOptionFacts& facts);

/// True when the value "usehttp" is present and is not 1.
bool readUseSecureHttp(const settings::SettingsKey& key);

using engineapi::kMinTrainingNotReached;

}  // namespace tw::addin
