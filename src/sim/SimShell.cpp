// The simulated shell and system.
#include "sim/SimShell.h"

#include "core/Error.h"
#include "core/Text.h"

namespace tw::sim {

SimShell::SimShell(std::string userName, std::string libraryFolder) : libraryFolder_(std::move(libraryFolder)) {
    environment = {
        {"USERNAME", userName},
        {"OS", "Windows_NT"},
        {"SYSTEMDRIVE", "C:"},
        {"SYSTEMROOT", "C:\\WINDOWS"},
        {"WINDIR", "C:\\WINDOWS"},
        {"USERPROFILE", "C:\\Documents and Settings\\" + userName},
        {"APPDATA", "C:\\Documents and Settings\\" + userName + "\\Application Data"},
        {"PROGRAMFILES", "C:\\Program Files"},
    };
}

std::string SimShell::expandEnvironmentStrings(const std::string& text) {
    if (!scriptingHostAvailable) throw Error(429, "SimShell", "ActiveX component can't create object");
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        size_t start = text.find('%', i);
        if (start == std::string::npos) break;
        size_t end = text.find('%', start + 1);
        if (end == std::string::npos) break;
        out += text.substr(i, start - i);
        std::string name = text.substr(start + 1, end - start - 1);
        auto it = environment.find(text::upper(name));
        if (it != environment.end()) {
            out += it->second;
            i = end + 1;
        } else {
            // Unknown names stay as they are; the closing % may open the next reference.
            out += text.substr(start, end - start);
            i = end;
        }
    }
    out += text.substr(i);
    return out;
}

void SimShell::startProgram(const std::string& commandLine, int windowStyle) {
    started.push_back({commandLine, windowStyle});
    if (failProgramStarts) throw Error(53, "SimShell", "File not found");
}

void SimShell::shellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                            const std::string& directory, int showCommand) {
    shellRuns.push_back({verb, file, parameters, directory, showCommand});
    if (failProgramStarts) throw Error(2, "SimShell", "The system cannot find the file specified.");
}

platform::FileVersion SimShell::browserVersion() {
    if (!browserAvailable) throw Error(453, "SimShell", "Can't find DLL entry point DllGetVersion in Shlwapi.dll");
    return browser;
}

platform::FileVersion SimShell::fileVersion(const std::string& path) {
    for (const auto& [name, version] : fileVersions)
        if (text::iequals(name, path)) return version;
    throw Error(1813, "SimShell", "The specified resource type cannot be found in the image file.");
}

}  // namespace tw::sim
