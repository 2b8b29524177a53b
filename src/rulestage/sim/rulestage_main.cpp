// rulestage: Rulestage over a simulated user's profile directory.
#include <iostream>

#include "core/Error.h"
#include "regop/sim/SimProgram.h"
#include "rulestage/Rulestage.h"

namespace {

const char* const kUsage =
    "Usage: rulestage --profile DIR [--folder PATH] [-install | -uninstall]\n"
    "\n"
    "-install copies tw1.bin, tw2.bin and tw5.bin in the program's folder PATH (a Windows path,\n"
    "default C:\\Program Files\\Tarnwick) to their dated names; -uninstall removes the keys\n"
    "Updates and Installed under HKEY_LOCAL_MACHINE\\Software\\Orvenna. DIR holds one simulated\n"
    "user: registry.reg (read when present, saved afterwards) and drive_c/ (the C: drive).\n"
    "The exit code adds 1, 2, 4 for each rule file not copied and 8, 16 for each key left behind.\n";

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = tw::regop::sim::SimProgramOptions::parse(argc, argv, error);
    if (!options || options->help) {
        (options ? std::cout : std::cerr) << (options ? "" : "rulestage: " + error + "\n") << kUsage;
        return options ? 0 : 2;
    }
    try {
        tw::regop::sim::SimProgram program(options->profile);
        const int exitCode = tw::rulestage::Rulestage(program.ports(), options->folder).run(options->arguments);
        program.finish();
        return exitCode;
    } catch (const tw::Error& e) {
        std::cerr << "rulestage: " << e.description() << "\n";
        return tw::rulestage::kCouldNotRun;
    }
}
