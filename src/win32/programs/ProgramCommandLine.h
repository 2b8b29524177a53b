// The arguments of a Windows program, split from the command line it was really given.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "regop/CommandLine.h"
#include "win32/TextEncoding.h"

namespace tw::win32 {

/// The C runtime's own splitting treats backslashes before quotes specially; the programs split by
/// their own simpler rule, so they read the raw command line.
inline std::vector<std::string> programArguments() {
    return regop::splitArguments(regop::argumentsAfterProgramName(toUtf8(GetCommandLineW())));
}

}  // namespace tw::win32
