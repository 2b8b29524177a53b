// Shell and system port: environment, programs, processes, windows, versions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Error.h"

namespace tw::platform {

/// What GetVersionExA reports.
struct OsVersion {
    uint32_t platformId = 2;  // 1 Windows 95/98/Me, 2 NT family
    uint32_t major = 5;
    uint32_t minor = 1;
    uint32_t build = 2600;
};

/// A file's version resource: the four parts of the fixed file version.
struct FileVersion {
    uint16_t major = 0, minor = 0, build = 0, revision = 0;
};

/// Thread rule: the user-interface thread only.
class Shell {
public:
    virtual ~Shell() = default;

    /// Expands %NAME% references as the scripting host's ExpandEnvironmentStrings does
    /// (unknown names stay as they are). Raises when the scripting host cannot be created.
    virtual std::string expandEnvironmentStrings(const std::string& text) = 0;
    /// Opens a document or web address with the "open" verb.
    virtual void openWithShell(const std::string& target) = 0;
    /// Starts a program from a full command line with the given window style; raises on failure.
    virtual void startProgram(const std::string& commandLine, int windowStyle) = 0;
    /// Runs a file with a shell verb ("open"), its parameters and working folder, and a window style;
    /// raises on failure, and where the platform has no such call.
    virtual void shellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                              const std::string& directory, int showCommand) {
        (void)verb, (void)parameters, (void)directory, (void)showCommand;
        throw Error(5, "Shell", "Invalid procedure call: cannot run " + file);
    }

    /// Full executable paths of the running processes.
    virtual std::vector<std::string> processExecutables() = 0;
    virtual uint32_t currentProcessId() = 0;
    virtual uint32_t currentThreadId() = 0;

    virtual OsVersion osVersion() = 0;
    /// The shell's lightweight utility library version (major, minor, build); raises when unavailable.
    virtual FileVersion browserVersion() = 0;
    /// The version resource of a file; raises when the file has none.
    virtual FileVersion fileVersion(const std::string& path) = 0;
    virtual std::string systemDirectory() = 0;

    /// The folder the add-in library was loaded from, without a trailing "\".
    virtual std::string libraryFolder() = 0;
    /// The add-in library's own version.
    virtual FileVersion libraryVersion() = 0;

    /// Removes the mail client's new-mail icon from the notification area and tells the client's
    /// main window it is gone; false when no main window had one.
    virtual bool removeNewMailNotifyIcon() { return false; }
};

}  // namespace tw::platform
