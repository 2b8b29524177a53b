// The simulated mail client with the add-in library loaded and the scripted engine in place of the
// real one, over a fresh folder: the set-up the add-in benchmarks share.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedEngine.h"
#include "addin/AddinLibrary.h"
#include "addin/Connect.h"
#include "addin/OrvennaOutAddIn.h"
#include "platform/Platform.h"
#include "settings/RegistryAccess.h"
#include "sim/SimEventLoop.h"
#include "sim/SimFileSystem.h"
#include "sim/SimMailClient.h"
#include "sim/SimRegistry.h"
#include "sim/SimSafeMail.h"
#include "sim/SimShell.h"
#include "sim/SimUserInterface.h"

namespace tw::bench {

/// One simulated user with the mail client running and the add-in library loaded (not yet connected).
/// Its log writes only serious lines unless told otherwise; the network service is not in use.
class SimBench {
public:
    explicit SimBench(const std::filesystem::path& root);

    /// Connects the add-in as the mail client does at its start; the first call opens the main window.
    void connectAddin();
    void disconnectAddin();
    addin::OrvennaOutAddIn& addin() { return *connect.addin(); }
    settings::SettingsKey settingsKey() { return settings::SettingsKey(registry); }
    /// Replaces the blocked and approved list files in the add-in's data folder with `entries`
    /// generated addresses each; the add-in reads them at its next start.
    void writeSenderLists(int entries);

    sim::SimRegistry registry;
    sim::SimFileSystem files;
    sim::SimShell shell;
    sim::SimEventLoop loop;
    sim::SimUserInterface ui;
    ScriptedEngineLoader engine;
    sim::SimSafeMail safeMail;
    platform::Platform platform;
    sim::SimMailClient client;
    addin::AddinLibrary library;
    addin::Connect connect;
};

/// A generated message with a unique subject and Message-ID "<N@TAG>" from `sender`; the scripted
/// engine scores it as spam when `spam`.
std::string generatedMessage(const std::string& tag, int number, const std::string& sender, bool spam);

/// The process's peak resident memory so far, in MiB.
double peakMiB();
/// The process's resident memory now, in MiB.
double residentMiB();
/// The value at share `p` (0..1) of the sorted values; 0 for none.
double percentile(std::vector<double> values, double p);

}  // namespace tw::bench
