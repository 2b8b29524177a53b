// One run of the simulated mail client with the add-in loaded, over a profile directory.
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "addin/AddinLibrary.h"
#include "addin/Connect.h"
#include "host/Profile.h"
#include "platform/Platform.h"
#include "sim/SimEventLoop.h"
#include "sim/SimFileSystem.h"
#include "sim/SimLibraryLoader.h"
#include "sim/SimMailClient.h"
#include "sim/SimRegistry.h"
#include "sim/SimShell.h"
#include "sim/SimUserInterface.h"

namespace tw::host {

struct RunOptions {
    /// Virtual time the client stays open before the explorer is closed.
    int runSeconds = 10;
    /// Folders searched for the stand-in libraries (the engine).
    std::vector<std::string> librarySearchFolders;
};

class HostSession {
public:
    /// Loads the profile's registry; raises tw::Error (naming the line) when it is malformed.
    explicit HostSession(const Profile& profile, const RunOptions& options = {});
    ~HostSession();

    /// Starts the client with one explorer, connects the add-in, lets virtual time run, closes the
    /// explorer (which tears the add-in down), disconnects and saves the registry.
    void run();
    /// A short account of the run for the user.
    void printSummary(std::ostream& out) const;

    sim::SimMailClient& client() { return *client_; }
    sim::SimRegistry& registry() { return registry_; }
    sim::SimFileSystem& files() { return *files_; }
    sim::SimShell& shell() { return shell_; }
    sim::SimUserInterface& ui() { return *ui_; }
    sim::SimEventLoop& loop() { return *loop_; }
    addin::AddinLibrary& library() { return *library_; }
    std::string logFileHostPath() const;

private:
    Profile profile_;
    RunOptions options_;
    sim::SimRegistry registry_;
    std::unique_ptr<sim::SimFileSystem> files_;
    sim::SimShell shell_;
    std::unique_ptr<sim::SimEventLoop> loop_;
    std::unique_ptr<sim::SimUserInterface> ui_;
    sim::SimLibraryLoader libraries_;
    std::unique_ptr<platform::Platform> platform_;
    std::unique_ptr<sim::SimMailClient> client_;
    std::unique_ptr<addin::AddinLibrary> library_;
    std::unique_ptr<addin::Connect> connect_;
    bool ran_ = false;
};

}  // namespace tw::host
