// Envprobe: applies name=value settings from its command line, then writes "systeminfo.txt" beside itself.
#pragma once

#include <string>
#include <vector>

#include "regop/ProgramPorts.h"

namespace tw::envprobe {

class Envprobe {
public:
    /// `programFolder` is the Windows path of the folder the program runs from.
    Envprobe(const regop::ProgramPorts& ports, std::string programFolder);

    /// The whole run: every argument, the report and the closing message box. Nothing raises;
    /// a failure ends the run with a message box giving its number and description.
    void run(const std::vector<std::string>& arguments);

    std::string reportPath() const;

    static constexpr const char* kTitle = "Envprobe";

private:
    void applySetting(const std::string& argument);
    void writeReport();
    void showError();

    const regop::ProgramPorts& ports_;
    std::string programFolder_;
};

}  // namespace tw::envprobe
