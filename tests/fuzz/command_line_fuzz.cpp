// Fuzz target for the host program's command line: the input is the arguments, one per line. Any
// arguments either make a command whose request holds together or are refused with a usage error
// for the user; nothing else may come out of the parser (an escaping exception ends the run as a
// crash).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "FuzzChecks.h"
#include "host/CommandLine.h"

using tw::fuzz::require;
using tw::host::Command;

namespace {

std::vector<std::string> argumentsOf(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    if (!current.empty()) args.push_back(current);
    return args;
}

/// Message numbers and positions count from 1 and never name one message twice.
void requirePositions(const std::vector<int>& numbers, size_t inWindowCount, bool inWindow) {
    require(!numbers.empty(), "a selection names at least one message");
    require(std::all_of(numbers.begin(), numbers.end(), [](int n) { return n >= 1; }), "messages count from 1");
    if (inWindow) require(numbers.size() == inWindowCount, "a window opens one message");
}

void requireWhole(const tw::host::CommandLine& line) {
    require(!line.profile.empty(), "there is always a profile");
    switch (line.command) {
        case Command::approve:
        case Command::block: {
            const auto& numbers = line.sender.selection.numbers;
            requirePositions(numbers, 1, line.sender.inWindow);
            require(std::set<int>(numbers.begin(), numbers.end()).size() == numbers.size(), "no message twice");
            require(!line.sender.selection.folder.empty(), "a selection names its folder");
            require(line.sender.block == (line.command == Command::block), "block is the block command");
            require(!(line.sender.domain && line.sender.report), "a domain is not reported");
            break;
        }
        case Command::report:
            require(line.report.kind >= 1 && line.report.kind <= 4, "a report is of a known kind");
            require(!line.report.folder.empty(), "a report names its folder");
            requirePositions(line.report.positions, 1, line.report.inWindow);
            break;
        case Command::lists: {
            const auto& values = line.lists.values;
            for (const auto& value : values)
                require(!value.empty() && value.find_first_of(" \t,;\r\n") == std::string::npos,
                        "a list entry is one address or domain");
            using Action = tw::host::ListsRequest::Action;
            if (line.lists.action == Action::edit) require(values.size() == 2, "edit takes the old entry and the new");
            if (line.lists.action == Action::show) require(values.empty(), "show takes no entries");
            break;
        }
        case Command::autoscan:
            require((line.autoscan.action == tw::host::AutoScanRequest::Action::list) == line.autoscan.folder.empty(),
                    "add and remove name a folder, list none");
            break;
        case Command::train:
            require(!line.training.spam.empty() || !line.training.ham.empty(), "training has messages");
            break;
        case Command::run:
            require(line.run.runSeconds >= 0, "time does not run backwards");
            break;
        default:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        requireWhole(tw::host::parseCommandLine(argumentsOf(data, size)));
    } catch (const tw::host::UsageError& e) {
        require(*e.what() != '\0', "a refusal says why");
    }
    return 0;
}
