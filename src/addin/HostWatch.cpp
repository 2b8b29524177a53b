// Finds and starts the monitor program.
#include "addin/HostWatch.h"

#include "core/Text.h"

namespace tw::addin {

namespace {
constexpr int kMinimizedWithFocus = 2;
}

bool isHostWatchRunning(platform::Shell& shell) {
    auto platformId = shell.osVersion().platformId;
    if (platformId != 1 && platformId != 2) return false;
    for (const auto& exe : shell.processExecutables())
        if (text::iequals(text::afterLastBackslash(exe), "hostwatch.exe")) return true;
    return false;
}

std::string hostWatchCommandLine(const std::string& libraryFolder, const std::string& progId, uint32_t processId,
                                 uint32_t threadId) {
    return "\"" + libraryFolder + "\\HostWatch.exe\" /n " + progId + " /p " + std::to_string(processId) + " /t " +
           std::to_string(threadId);
}

void startHostWatch(platform::Shell& shell, const std::string& progId) {
    if (isHostWatchRunning(shell)) return;
    shell.startProgram(hostWatchCommandLine(shell.libraryFolder(), progId, shell.currentProcessId(),
                                            shell.currentThreadId()),
                       kMinimizedWithFocus);
}

}  // namespace tw::addin
