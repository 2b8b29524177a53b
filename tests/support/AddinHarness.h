// A complete simulated platform in a temporary folder, with the add-in ready to connect.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "addin/AddinLibrary.h"
#include "addin/Connect.h"
#include "platform/Platform.h"
#include "sim/SimEventLoop.h"
#include "sim/SimFileSystem.h"
#include "sim/SimLibraryLoader.h"
#include "sim/SimMailClient.h"
#include "sim/SimRegistry.h"
#include "sim/SimSafeMail.h"
#include "sim/SimShell.h"
#include "sim/SimUserInterface.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {

class AddinHarness {
public:
    static constexpr const char* kProgId = "OrvennaOutlookAddIn.Connect";
    static constexpr const char* kLibraryFolder = "C:\\Program Files\\Tarnwick";

    explicit AddinHarness(std::string clientVersion = "10.0.0.4712")
        : files(temp.path()), shell("demo", kLibraryFolder), loop(OleDate::fromCivil({2026, 12, 8, 9, 0, 0})),
          ui(loop), libraries({stubLibraryDir()}), platform{registry, files, shell, ui, loop, libraries, safeMail},
          client(loop, std::move(clientVersion)), library(platform), connect(library) {
        safeMail.setClient(&client);
        files.createFolders(kLibraryFolder);
        registry.createKey(platform::Hive::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion");
        registry.setValue(platform::Hive::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                          "ProgramFilesDir", platform::RegValue::ofString("C:\\Program Files"));
    }

    void connectAddin() { connect.AddinInstance_OnConnection(client.application(), 1, kProgId); }
    void disconnectAddin() { connect.AddinInstance_OnDisconnection(0); }
    addin::OrvennaOutAddIn& addin() { return *connect.addin(); }

    std::string logText() {
        std::string path = std::string(kLibraryFolder) + "\\report.txt";
        return files.fileExists(path) ? files.readAll(path) : std::string();
    }
    bool logHas(const std::string& line) { return logText().find(line) != std::string::npos; }
    int logCount(const std::string& needle) {
        std::string text = logText();
        int n = 0;
        for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
        return n;
    }

    TempFolder temp;
    sim::SimRegistry registry;
    sim::SimFileSystem files;
    sim::SimShell shell;
    sim::SimEventLoop loop;
    sim::SimUserInterface ui;
    sim::SimLibraryLoader libraries;
    sim::SimSafeMail safeMail;
    platform::Platform platform;
    sim::SimMailClient client;
    addin::AddinLibrary library;
    addin::Connect connect;
};

}  // namespace tw::test
