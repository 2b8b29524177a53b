// The simulated shell and system: an environment rooted in the profile, recorded program starts
// and shell opens, a settable process list, Windows and file versions.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/ProductVersion.h"
#include "platform/Shell.h"

namespace tw::sim {

class SimShell : public platform::Shell {
public:
    /// A Windows XP machine for the given user, with the add-in installed in the given folder.
    explicit SimShell(std::string userName = "demo", std::string libraryFolder = "C:\\Program Files\\Tarnwick");

    std::string expandEnvironmentStrings(const std::string& text) override;
    void openWithShell(const std::string& target) override { opened.push_back(target); }
    void startProgram(const std::string& commandLine, int windowStyle) override;
    void shellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                      const std::string& directory, int showCommand) override;
    std::vector<std::string> processExecutables() override { return processes; }
    uint32_t currentProcessId() override { return 4242; }
    uint32_t currentThreadId() override { return 1717; }
    platform::OsVersion osVersion() override { return os; }
    platform::FileVersion browserVersion() override;
    platform::FileVersion fileVersion(const std::string& path) override;
    std::string systemDirectory() override { return "C:\\WINDOWS\\system32"; }
    std::string libraryFolder() override { return libraryFolder_; }
    platform::FileVersion libraryVersion() override { return {version::kMajor, version::kMinor, version::kRevision, 0}; }
    bool removeNewMailNotifyIcon() override {
        ++newMailIconRemovals;
        return newMailIconShown;
    }

    /// Environment variables by upper-case name.
    std::map<std::string, std::string> environment;
    /// When false the scripting host "cannot be created": expansion raises.
    bool scriptingHostAvailable = true;
    bool browserAvailable = true;
    platform::OsVersion os;
    platform::FileVersion browser{6, 0, 2900, 0};
    std::map<std::string, platform::FileVersion> fileVersions;
    std::vector<std::string> processes;

    struct StartedProgram {
        std::string commandLine;
        int windowStyle;
    };
    std::vector<StartedProgram> started;
    struct ShellRun {
        std::string verb, file, parameters, directory;
        int showCommand;
    };
    /// Every shellExecute, in order; failProgramStarts makes them raise too (still recorded).
    std::vector<ShellRun> shellRuns;
    std::vector<std::string> opened;
    /// Whether the client's main window shows a new-mail icon that a removal finds.
    bool newMailIconShown = true;
    /// How often the add-in asked to remove the new-mail icon.
    int newMailIconRemovals = 0;
    /// When true, startProgram raises as a missing program does (the start is still recorded).
    bool failProgramStarts = false;

private:
    std::string libraryFolder_;
};

}  // namespace tw::sim
