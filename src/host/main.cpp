// tarnwick: runs the simulated mail client with the add-in over a profile directory.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "host/HostSession.h"
#include "host/Profile.h"
#include "host/ReportCommand.h"
#include "host/SettingsCommands.h"
#include "host/TrainCommand.h"

namespace {

const char* const kUsage =
    "Usage: tarnwick [--profile DIR] COMMAND [OPTIONS]\n"
    "\n"
    "Runs the mail client simulation with the Tarnwick add-in loaded, over a profile directory\n"
    "that holds one simulated Windows user: registry.reg (the registry), drive_c/ (the add-in\n"
    "folder with the log report.txt, and the user's home with the data folder) and mail/.\n"
    "\n"
    "Options:\n"
    "  --profile DIR   the profile to use; an absent or empty DIR is filled from the bundled demo\n"
    "                  profile. Without it: $XDG_DATA_HOME/tarnwick/demo-profile\n"
    "                  (~/.local/share/tarnwick/demo-profile).\n"
    "  --help          show this text.\n"
    "\n"
    "Commands:\n"
    "  run [--seconds N]   start the client with one explorer, connect the add-in, let N seconds\n"
    "                      of virtual time pass (default 10), close the explorer (which shuts the\n"
    "                      add-in down), save the registry and print a summary.\n"
    "      --deliver FILE_OR_FOLDER ...\n"
    "                      first deliver these messages (RFC 5322 files, or every file of a\n"
    "                      folder) into the Inbox one by one, after those dropped into the\n"
    "                      profile's incoming/ folder (which are removed once delivered); the\n"
    "                      add-in checks each as it arrives and virtual time runs until its queue\n"
    "                      is idle. The summary lists each message with its verdict and the\n"
    "                      folder it ended in, and the counters of checked and caught messages.\n"
    "                      The add-in's connectivity and release checks ask the network service\n"
    "                      named by the registry value serviceHost; the summary says whether it\n"
    "                      answered. Only this machine is reached unless TARNFETCH_LOOPBACK_ONLY=0.\n"
    "  set NAME=VALUE ...  store settings in the profile's registry as the add-in stores them, for\n"
    "                      example threshold=85 EnableTarnwick=0 blockedCountries=cn,Russia.\n"
    "                      Flags take 1 or 0 (true or false); thresholds a number from 0 to 100;\n"
    "                      lists entries joined by \",\" (country lists codes or names). Every value\n"
    "                      is checked first: an unknown name, a value of the wrong form or outside\n"
    "                      the range the add-in accepts is refused and then nothing is written.\n"
    "  show settings       list every setting in force as NAME=VALUE, \"(default)\" marking the\n"
    "                      values that are the defaults. Changes nothing.\n"
    "  train --spam FOLDER ... --ham FOLDER ...\n"
    "                      train the profile's scoring engine on message files: each FOLDER is a\n"
    "                      message file, a folder of them or a Maildir. Spam trains as blocked\n"
    "                      mail, ham as approved mail; progress is shown as it goes.\n"
    "  report spam|legitimate|fraud|virus FOLDER:N[,N...]\n"
    "                      report messages to the network service as the toolbar does: the\n"
    "                      messages at positions N (from 1) of FOLDER (Inbox, or a path such as\n"
    "                      \\Personal Folders\\Inbox) go into one report mail, sent from the\n"
    "                      profile's mailbox and written to its outbox/ folder; the engine trains\n"
    "                      on each message. Prints where the report mail was written.\n";

int fail(const std::string& message) {
    std::cerr << "tarnwick: " << message << "\n(see tarnwick --help)\n";
    return 2;
}

std::string executableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::filesystem::path profileDir = tw::host::defaultProfileDirectory();
    std::string command;
    std::vector<std::string> operands;  // what follows "set" or "show"
    tw::host::RunOptions options;
    tw::host::TrainRequest training;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (a == "--profile") {
            if (++i >= args.size()) return fail("--profile needs a directory");
            profileDir = args[i];
        } else if (a == "--seconds") {
            if (++i >= args.size()) return fail("--seconds needs a number");
            try {
                options.runSeconds = std::stoi(args[i]);
            } catch (...) {
                return fail("--seconds needs a number, not \"" + args[i] + "\"");
            }
            if (options.runSeconds < 0) return fail("--seconds cannot be negative");
        } else if (a == "--deliver") {
            if (command != "run") return fail("--deliver belongs to run");
            size_t before = options.deliver.size();
            while (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] != '-') options.deliver.push_back(args[++i]);
            if (options.deliver.size() == before) return fail("--deliver needs a message file or folder");
        } else if (a == "--spam" || a == "--ham") {
            if (command != "train") return fail(a + " belongs to train");
            auto& into = a == "--spam" ? training.spam : training.ham;
            size_t before = into.size();
            while (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] != '-') into.emplace_back(args[++i]);
            if (into.size() == before) return fail(a + " needs a message file or folder");
        } else if (command.empty() && !a.empty() && a[0] != '-') {
            command = a;
        } else if ((command == "set" || command == "show" || command == "report") && !a.empty() && a[0] != '-') {
            operands.push_back(a);
        } else {
            return fail("unknown argument \"" + a + "\"");
        }
    }
    if (command.empty()) return fail("no command given");
    if (command != "run" && command != "set" && command != "show" && command != "train" && command != "report")
        return fail("unknown command \"" + command + "\"");
    if (command == "train" && training.spam.empty() && training.ham.empty())
        return fail("train needs --spam or --ham with message files or folders");
    if (command == "report" && operands.size() != 2) return fail("report needs a kind and FOLDER:N[,N...]");
    if (command == "set" && operands.empty()) return fail("set needs at least one NAME=VALUE");
    if (command == "show" && (operands.size() != 1 || operands[0] != "settings")) return fail("show takes \"settings\"");
    if (command != "run" && options.runSeconds != tw::host::RunOptions{}.runSeconds)
        return fail("--seconds belongs to run");

    try {
        std::optional<tw::host::ReportRequest> report;
        if (command == "report") report = tw::host::parseReportRequest(operands[0], operands[1]);
        tw::host::Profile profile(profileDir);
        profile.createFromDemoIfEmpty(TW_DEMO_PROFILE_DIR);
        if (command == "set") return tw::host::setSettings(profile, operands, std::cout, std::cerr);
        if (command == "show") {
            tw::host::showSettings(profile, std::cout);
            return 0;
        }
        tw::sim::SimFileSystem probe(profile.root());
        // The stand-in engine and the fetch library: installed beside the program, or where the build puts them.
        options.librarySearchFolders = {probe.hostPath(tw::host::Profile::kLibraryFolder).string(), executableFolder(),
                                        executableFolder() + "/../../engine", executableFolder() + "/../../fetch"};
        tw::host::HostSession session(profile, options);
        if (command == "train") {
            tw::host::trainEngine(session, training, std::cout);
            return 0;
        }
        if (report) return tw::host::reportMessages(session, *report, std::cout).empty() ? 1 : 0;
        session.run();
        session.printSummary(std::cout);
        return 0;
    } catch (const tw::Error& e) {
        std::cerr << "tarnwick: " << e.description() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "tarnwick: " << e.what() << "\n";
        return 1;
    }
}
