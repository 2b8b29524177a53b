// The data-folder candidates, tried in order.
#include "addin/DataFolder.h"

#include <vector>

namespace tw::addin {

namespace {
const char* const kWindowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";
const char* const kOutlookTail = "\\Application Data\\Microsoft\\Outlook";

std::string machineValue(platform::Registry& registry, const std::string& name) {
    try {
        if (auto v = registry.queryValue(platform::Hive::LocalMachine, kWindowsKey, name)) return v->text;
    } catch (...) {
    }
    return {};
}

bool exists(platform::FileSystem& files, const std::string& path) {
    try {
        return !path.empty() && files.folderExists(path);
    } catch (...) {
        return false;
    }
}
}  // namespace

std::string findDataFolder(platform::Shell& shell, platform::Registry& registry, platform::FileSystem& files) {
    std::string userName = shell.expandEnvironmentStrings("%USERNAME%");
    std::string os = shell.expandEnvironmentStrings("%OS%");
    std::string systemDrive = shell.expandEnvironmentStrings("%SYSTEMDRIVE%");
    std::string userProfile = shell.expandEnvironmentStrings("%USERPROFILE%");
    std::string programFiles = machineValue(registry, "ProgramFilesDir");
    // An unexpanded reference means the variable is not set.
    if (systemDrive.empty() || systemDrive == "%SYSTEMDRIVE%") {
        size_t colon = programFiles.find(':');
        systemDrive = colon == std::string::npos ? std::string() : programFiles.substr(0, colon + 1);
    }

    std::vector<std::string> candidates{userProfile + kOutlookTail};
    if (os == "Windows_NT") {
        candidates.push_back(systemDrive + "\\Documents and Settings\\" + userName + kOutlookTail);
        candidates.push_back(shell.expandEnvironmentStrings("%SYSTEMROOT%") + "\\Profiles\\" + userName + kOutlookTail);
    } else {
        candidates.push_back(machineValue(registry, "SystemRoot") + kOutlookTail);
    }
    for (const auto& candidate : candidates)
        if (exists(files, candidate)) return candidate;
    return programFiles;
}

}  // namespace tw::addin
