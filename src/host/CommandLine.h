// The host program's command line: what the user asked for, read with CLI11.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/CommandRequests.h"

namespace tw::host {

enum class Command { help, run, set, showSettings, showFolder, train, approve, block, report, autoscan, scan, lists, options, importAddresses, explain, why, stats };

struct CommandLine {
    Command command = Command::help;
    std::filesystem::path profile;
    RunOptions run;
    TrainRequest training;
    /// NAME=VALUE of "set".
    std::vector<std::string> assignments;
    /// The folder of "show folder".
    std::string folder;
    /// What "approve" and "block" act on and how the sender dialog is answered.
    SenderRequest sender;
    /// What "report" sends and of which messages.
    ReportRequest report;
    /// What "autoscan" changes or lists.
    AutoScanRequest autoscan;
    /// The folder "scan" checks.
    ScanRequest scan;
    /// What "lists" shows or changes.
    ListsRequest lists;
    /// The address books "import-addresses" imports.
    ImportRequest importBooks;
    /// The one message "explain" scores or "why" judges.
    MessageSelection explain;
    /// The node key of the page "options --page" prints; empty for none.
    std::string optionsPage;
};

/// A command line the program refuses; what() says why, for the user.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Reads the arguments after the program name. Without --profile the default profile directory is
/// taken. Raises UsageError for anything it cannot take.
CommandLine parseCommandLine(const std::vector<std::string>& args);

/// The text of --help.
extern const char* const kUsage;

}  // namespace tw::host
