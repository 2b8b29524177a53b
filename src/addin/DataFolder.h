// Finds the folder for the add-in's data files among the usual per-user mail-client folders.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace tw::addin {

/// The first existing candidate folder, or the "ProgramFilesDir" value when none exists.
/// Raises when the environment cannot be expanded; the caller decides what the user sees.
std::string findDataFolder(platform::Shell& shell, platform::Registry& registry, platform::FileSystem& files);

}  // namespace tw::addin
