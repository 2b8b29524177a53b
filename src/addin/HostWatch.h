// The outside monitor program started when the mail client runs without any window.
#pragma once

#include <string>

#include "platform/Shell.h"

namespace tw::addin {

/// True when a process whose executable is "hostwatch.exe" (any case) runs. Only the two
/// Windows families can list processes; any other platform counts as not running.
bool isHostWatchRunning(platform::Shell& shell);

/// The monitor's command line. The program path is quoted: the add-in usually lives under a
/// folder with blanks, and an unquoted path would be resolved piece by piece.
std::string hostWatchCommandLine(const std::string& libraryFolder, const std::string& progId, uint32_t processId,
                                 uint32_t threadId);

/// Starts the monitor minimized with focus unless it already runs.
void startHostWatch(platform::Shell& shell, const std::string& progId);

}  // namespace tw::addin
