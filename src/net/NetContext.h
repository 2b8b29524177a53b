// What the network checks need from the add-in: the ports, the settings with their key, and the log.
#pragma once

#include "diag/CErrorHandler.h"
#include "platform/Platform.h"
#include "settings/RegistryAccess.h"
#include "settings/Settings.h"

namespace tw::net {

/// Handed over by the add-in object at connection; everything outlives the checks.
struct NetContext {
    platform::Platform& platform;
    settings::Settings& settings;
    settings::SettingsKey key;
    diag::CErrorHandler& log;
};

}  // namespace tw::net
