// envprobe: Envprobe over a simulated user's profile directory.
#include <iostream>

#include "core/Error.h"
#include "envprobe/Envprobe.h"
#include "regop/sim/SimProgram.h"

namespace {

const char* const kUsage =
    "Usage: envprobe --profile DIR [--folder PATH] [NAME=VALUE ...]\n"
    "\n"
    "Writes each NAME=VALUE into the add-in's settings, then writes systeminfo.txt into the\n"
    "program's folder PATH (a Windows path, default C:\\Program Files\\Tarnwick). DIR holds one\n"
    "simulated user: registry.reg (read when present, saved afterwards) and drive_c/ (the C: drive).\n"
    "The message boxes the program shows are printed.\n";

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = tw::regop::sim::SimProgramOptions::parse(argc, argv, error);
    if (!options || options->help) {
        (options ? std::cout : std::cerr) << (options ? "" : "envprobe: " + error + "\n") << kUsage;
        return options ? 0 : 2;
    }
    try {
        tw::regop::sim::SimProgram program(options->profile);
        tw::envprobe::Envprobe(program.ports(), options->folder).run(options->arguments);
        program.finish();
    } catch (const tw::Error& e) {
        std::cerr << "envprobe: " << e.description() << "\n";
        return 1;
    }
    return 0;
}
