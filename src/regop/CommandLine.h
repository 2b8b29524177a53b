// The command line of the two small programs that share RegOp: blank-separated arguments, quotes grouping blanks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tw::regop {

/// What follows the program's own name in a full command line (the name itself may be quoted).
std::string_view argumentsAfterProgramName(std::string_view commandLine);

/// Splits at blanks and tabs. A double-quoted stretch belongs to the argument it stands in and may
/// hold blanks; the quote characters are dropped, and a quote left open runs to the end. An empty
/// pair of quotes standing alone is an empty argument.
std::vector<std::string> splitArguments(std::string_view arguments);

}  // namespace tw::regop
