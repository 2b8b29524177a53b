// Shell and system port over the Win32 shell, process and version functions.
#pragma once

#include "platform/Shell.h"

namespace tw::win32 {

class Win32Shell final : public platform::Shell {
public:
    std::string expandEnvironmentStrings(const std::string& text) override;
    void openWithShell(const std::string& target) override;
    void startProgram(const std::string& commandLine, int windowStyle) override;
    void shellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                      const std::string& directory, int showCommand) override;

    std::vector<std::string> processExecutables() override;
    uint32_t currentProcessId() override;
    uint32_t currentThreadId() override;

    platform::OsVersion osVersion() override;
    platform::FileVersion browserVersion() override;
    platform::FileVersion fileVersion(const std::string& path) override;
    std::string systemDirectory() override;

    /// The folder of the module this code is linked into: the add-in DLL, or the program itself.
    std::string libraryFolder() override;
    /// That module's version resource, or 1.0.0.0 when it has none.
    platform::FileVersion libraryVersion() override;
    /// Deletes icon 0 of the first main window of the mail client ("rctrl_renwnd32") that has one.
    bool removeNewMailNotifyIcon() override;
};

}  // namespace tw::win32
