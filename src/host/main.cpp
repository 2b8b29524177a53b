// tarnwick: runs the simulated mail client with the add-in over a profile directory.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Text.h"
#include "host/AutoScanCommand.h"
#include "host/CommandLine.h"
#include "host/ExplainCommand.h"
#include "host/StatsCommand.h"
#include "host/FolderListing.h"
#include "host/HostSession.h"
#include "host/ImportCommand.h"
#include "host/ListsCommand.h"
#include "host/OptionsCommand.h"
#include "host/Profile.h"
#include "host/ReportCommand.h"
#include "host/ScanCommand.h"
#include "host/SenderCommand.h"
#include "host/SettingsCommands.h"
#include "host/TrainCommand.h"

namespace {

std::string executableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

/// The sender dialog's answer from the terminal; nothing when stdin is not one or it ends.
std::optional<bool> askOnTerminal() {
    if (!::isatty(STDIN_FILENO)) return std::nullopt;
    for (std::string reply;;) {
        std::cout << "OK or Cancel? [o/c] " << std::flush;
        if (!std::getline(std::cin, reply)) return std::nullopt;
        reply = tw::text::lower(tw::text::trim(reply));
        if (reply == "o" || reply == "ok" || reply == "y" || reply == "yes") return true;
        if (reply == "c" || reply == "cancel" || reply == "n" || reply == "no") return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    using tw::host::Command;
    tw::host::CommandLine line;
    try {
        line = tw::host::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const tw::host::UsageError& e) {
        std::cerr << "tarnwick: " << e.what() << "\n(see tarnwick --help)\n";
        return 2;
    }
    if (line.command == Command::help) {
        std::cout << tw::host::kUsage;
        return 0;
    }

    try {
        tw::host::Profile profile(line.profile);
        profile.createFromDemoIfEmpty(TW_DEMO_PROFILE_DIR);
        if (line.command == Command::set) return tw::host::setSettings(profile, line.assignments, std::cout, std::cerr);
        if (line.command == Command::showSettings) {
            tw::host::showSettings(profile, std::cout);
            return 0;
        }
        tw::sim::SimFileSystem probe(profile.root());
        // The stand-in engine and the fetch library: installed beside the program, or where the build puts them.
        line.run.librarySearchFolders = {probe.hostPath(tw::host::Profile::kLibraryFolder).string(), executableFolder(),
                                         executableFolder() + "/../../engine", executableFolder() + "/../../fetch"};
        tw::host::HostSession session(profile, line.run);
        switch (line.command) {
        case Command::showFolder:
            tw::host::showFolder(session, line.folder, std::cout);
            return 0;
        case Command::train:
            tw::host::trainEngine(session, line.training, std::cout);
            return 0;
        case Command::autoscan:
            return tw::host::runAutoScanCommand(session, line.autoscan, std::cout, std::cerr);
        case Command::lists:
            return tw::host::runListsCommand(session, line.lists, std::cout, std::cerr);
        case Command::options:
            return tw::host::runOptionsCommand(session, std::cout, std::cerr, line.optionsPage);
        case Command::report:
            return tw::host::reportMessages(session, line.report, std::cout).empty() ? 1 : 0;
        case Command::scan:
            return tw::host::runScanCommand(session, line.scan,
                                            ::isatty(STDOUT_FILENO) ? tw::host::ProgressStyle::bar
                                                                    : tw::host::ProgressStyle::lines,
                                            std::cout, std::cerr);
        case Command::explain:
            return tw::host::runExplainCommand(session, line.explain, std::cout, std::cerr);
        case Command::why:
            return tw::host::runWhyCommand(session, line.explain, std::cout, std::cerr);
        case Command::stats:
            return tw::host::runStatsCommand(session, std::cout);
        case Command::importAddresses:
            return tw::host::runImportCommand(session, line.importBooks, std::cout, std::cerr);
        case Command::approve:
        case Command::block:
            return tw::host::runSenderCommand(session, line.sender, askOnTerminal, std::cout, std::cerr);
        default:
            session.run();
            session.printSummary(std::cout);
            return 0;
        }
    } catch (const tw::Error& e) {
        std::cerr << "tarnwick: " << e.description() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "tarnwick: " << e.what() << "\n";
        return 1;
    }
}
