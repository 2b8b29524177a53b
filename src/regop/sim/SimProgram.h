// What the Linux builds of the two small programs share: their options, a simulated user's profile and its ports.
#pragma once

#include <chrono>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "regop/ProgramPorts.h"
#include "sim/SimEventLoop.h"
#include "sim/SimFileSystem.h"
#include "sim/SimRegistry.h"
#include "sim/SimShell.h"
#include "sim/SimUserInterface.h"

namespace tw::regop::sim {

/// The options before the program's own arguments: --profile DIR (required) and --folder PATH.
struct SimProgramOptions {
    std::filesystem::path profile;
    std::string folder = "C:\\Program Files\\Tarnwick";
    std::vector<std::string> arguments;
    bool help = false;

    /// Nothing when the options are wrong; `error` says why.
    static std::optional<SimProgramOptions> parse(int argc, char** argv, std::string& error) {
        SimProgramOptions options;
        int i = 1;
        for (; i < argc; ++i) {
            const std::string a = argv[i];
            if (a == "--help") {
                options.help = true;
            } else if (a == "--profile" || a == "--folder") {
                if (++i >= argc) {
                    error = a + " needs a value";
                    return std::nullopt;
                }
                if (a == "--profile") options.profile = argv[i];
                else options.folder = argv[i];
            } else if (a == "--") {
                ++i;
                break;
            } else {
                break;
            }
        }
        options.arguments.assign(argv + i, argv + argc);
        if (!options.help && options.profile.empty()) {
            error = "--profile is required";
            return std::nullopt;
        }
        return options;
    }
};

/// One simulated user: registry.reg (loaded when present, saved by finish) and drive_c/ for the files.
class SimProgram {
public:
    explicit SimProgram(const std::filesystem::path& profile)
        : registryFile_(profile / "registry.reg"),
          registry_(std::filesystem::exists(registryFile_) ? tw::sim::SimRegistry::loadFromFile(registryFile_) : tw::sim::SimRegistry()),
          files_(profile),
          loop_(OleDate::fromUnixSeconds(std::chrono::duration_cast<std::chrono::seconds>(
                    std::chrono::system_clock::now().time_since_epoch()).count())),
          ui_(loop_) {}

    ProgramPorts ports() { return {registry_, files_, shell_, ui_}; }

    /// Saves the registry and prints each message box the program showed.
    void finish() {
        registry_.saveToFile(registryFile_);
        for (const auto& box : ui_.boxes) std::cout << "[" << box.title << "] " << box.prompt << "\n";
    }

private:
    std::filesystem::path registryFile_;
    tw::sim::SimRegistry registry_;
    tw::sim::SimFileSystem files_;
    tw::sim::SimShell shell_;
    tw::sim::SimEventLoop loop_;
    tw::sim::SimUserInterface ui_;
};

}  // namespace tw::regop::sim
