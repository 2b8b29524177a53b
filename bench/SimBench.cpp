// The benchmarks' shared simulated client, generated messages and measures.
#include "SimBench.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "senders/Senders.h"
#include "sim/SimCommandBars.h"

namespace tw::bench {

SimBench::SimBench(const std::filesystem::path& root)
    : files(root),
      loop(OleDate::fromCivil({2026, 12, 8, 9, 0, 0})),
      ui(loop),
      platform{registry, files, shell, ui, loop, engine, safeMail},
      client(loop),
      library(platform),
      connect(library) {
    safeMail.setClient(&client);
    // The toolbar's button faces come through the clipboard.
    files.createFolders(shell.libraryFolder());
    // Where the data folder is found.
    const char* versionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
    registry.createKey(platform::Hive::LocalMachine, versionKey);
    registry.setValue(platform::Hive::LocalMachine, versionKey, "ProgramFilesDir",
                      platform::RegValue::ofString("C:\\Program Files"));
    settingsKey().writeNumber("debugginglevel", 0);
    // No network service: mail is checked without waiting for it, and the start makes no request.
    settingsKey().writeNumber("reportspam", 0);
    settingsKey().writeFlag(false, "EnablePingChecks");
    settingsKey().writeFlag(false, "upgradeNotification");
}

void SimBench::connectAddin() {
    if (client.explorers()->Count() == 0) client.openExplorer();
    connect.AddinInstance_OnConnection(client.application(), 1, "OrvennaOutlookAddIn.Connect");
}

void SimBench::disconnectAddin() { connect.AddinInstance_OnDisconnection(0); }

namespace {

std::string listOf(const char* prefix, int entries) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(entries) * 32);
    for (int i = 0; i < entries; ++i) bytes += std::string(prefix) + std::to_string(i) + "@list.example.com\r\n";
    return bytes;
}

}  // namespace

void SimBench::writeSenderLists(int entries) {
    const std::string folder = addin().dataFolder();
    files.replaceContents(folder + "\\" + senders::kBlockedFile, listOf("blocked", entries));
    files.replaceContents(folder + "\\" + senders::kApprovedFile, listOf("approved", entries));
}

std::string generatedMessage(const std::string& tag, int number, const std::string& sender, bool spam) {
    std::string n = std::to_string(number);
    return "From: " + sender + "\r\nTo: demo@example.invalid\r\nSubject: " + (spam ? "SPAM offer " : "Note ") + tag +
           "-" + n + "\r\nMessage-ID: <" + n + "@" + tag + ">\r\n\r\nHello, this is message " + n + " of " + tag +
           ".\r\n";
}

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double residentMiB() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

}  // namespace tw::bench
