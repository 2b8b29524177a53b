// Envprobe's run: the settings from the command line, the report file and the messages.
#include "envprobe/Envprobe.h"

#include "core/Error.h"
#include "envprobe/SettingNames.h"
#include "envprobe/SystemReport.h"

namespace tw::envprobe {

using platform::vbCritical;
using platform::vbExclamation;
using platform::vbInformation;

Envprobe::Envprobe(const regop::ProgramPorts& ports, std::string programFolder)
    : ports_(ports), programFolder_(std::move(programFolder)) {}

std::string Envprobe::reportPath() const { return regop::inFolder(programFolder_, "systeminfo.txt"); }

void Envprobe::run(const std::vector<std::string>& arguments) {
    try {
        for (const std::string& argument : arguments) applySetting(argument);
        writeReport();
    } catch (...) {
        showError();
    }
}

void Envprobe::applySetting(const std::string& argument) {
    const size_t equals = argument.find('=');
    if (equals == std::string::npos) {
        ports_.ui.MsgBox("No value for registry value : " + argument, vbExclamation, kTitle);
        return;
    }
    const std::string given = argument.substr(0, equals);
    const std::optional<std::string> name = findSettingName(given);
    if (!name) {
        ports_.ui.MsgBox("Invalid registry value : " + given, vbExclamation, kTitle);
        return;
    }
    try {
        ports_.regOp(platform::Hive::CurrentUser, kSettingsKey).setValue(*name, regop::RegData::text(argument.substr(equals + 1)));
    } catch (const Error&) {
        // A value the stored type cannot take (a word for a number) spoils only its own argument.
        showError();
    }
}

void Envprobe::writeReport() {
    const std::string path = reportPath();
    try {
        ports_.files.replaceContents(path, "");
    } catch (const Error&) {
        ports_.ui.MsgBox("File Error", vbCritical, kTitle);
        return;
    }
    std::string text;
    try {
        SystemReport(ports_).write(text);
    } catch (...) {
        try {
            ports_.files.replaceContents(path, text);
        } catch (...) {
            // The failure being reported matters more than this one.
        }
        throw;
    }
    ports_.files.replaceContents(path, text);
    ports_.ui.MsgBox("Your settings have been saved to " + path, vbInformation, kTitle);
}

void Envprobe::showError() {
    const PendingError error = currentError();
    try {
        ports_.ui.MsgBox(std::to_string(error.number) + ": " + error.description, vbCritical, kTitle);
    } catch (...) {
        // With no way left to show it, the run ends quietly.
    }
}

}  // namespace tw::envprobe
