// Splitting the command line of the small programs.
#include "regop/CommandLine.h"

namespace tw::regop {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string_view argumentsAfterProgramName(std::string_view commandLine) {
    size_t i = 0;
    while (i < commandLine.size() && isBlank(commandLine[i])) ++i;
    if (i < commandLine.size() && commandLine[i] == '"') {
        const size_t close = commandLine.find('"', i + 1);
        i = close == std::string_view::npos ? commandLine.size() : close + 1;
    }
    while (i < commandLine.size() && !isBlank(commandLine[i])) ++i;
    return commandLine.substr(i);
}

std::vector<std::string> splitArguments(std::string_view arguments) {
    std::vector<std::string> result;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (const char c : arguments) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (isBlank(c) && !quoted) {
            if (inArgument) result.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) result.push_back(std::move(current));
    return result;
}

}  // namespace tw::regop
