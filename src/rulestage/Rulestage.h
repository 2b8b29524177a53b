// Rulestage: the installer's helper, "-install" keeps dated copies of the rule files, "-uninstall" removes the install records.
#pragma once

#include <string>
#include <vector>

#include "regop/ProgramPorts.h"

namespace tw::rulestage {

/// Rulestage shows nothing, so its exit code is the only trace of a failure: 0 when all went
/// well, otherwise the sum of the failures below.
enum Failure : int {
    Tw1NotCopied = 1,
    Tw2NotCopied = 2,
    Tw5NotCopied = 4,
    UpdatesKeyRemains = 8,
    InstalledKeyRemains = 16,
};
/// The exit code when the program could not even start its work.
inline constexpr int kCouldNotRun = 100;

class Rulestage {
public:
    /// `programFolder` is the Windows path of the folder the program and its rule files are in.
    Rulestage(const regop::ProgramPorts& ports, std::string programFolder);

    /// Only the first argument counts, compared exactly; anything else does nothing. Returns the exit code.
    int run(const std::vector<std::string>& arguments);

private:
    int install();
    int uninstall();

    const regop::ProgramPorts& ports_;
    std::string programFolder_;
};

}  // namespace tw::rulestage
