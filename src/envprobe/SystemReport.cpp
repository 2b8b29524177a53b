// Collects the report of Envprobe line by line.
#include "envprobe/SystemReport.h"

#include "core/Error.h"
#include "core/Text.h"
#include "envprobe/SettingNames.h"
#include "envprobe/VersionText.h"

namespace tw::envprobe {

using platform::Hive;

namespace {

constexpr const char* kAddinLibrary = "TarnwickOutlookAddIn.dll";
constexpr const char* kAddinClass = "OrvennaOutlookAddIn.InspWrap";
constexpr const char* kNotFound = "Not found";

void line(std::string& out, const std::string& text) { out += text + "\r\n"; }

enum class Folder { Addin, System, MailClient };
struct ReportedFile {
    const char* name;
    Folder folder;
    const char* label;
};

// mso9.dll follows outlook.exe, and only for the mail client's major version 9.
constexpr ReportedFile kFilesBeforeMso9[] = {
    {"TarnwickOutlookAddIn.dll", Folder::Addin, "TarnwickOutlookAddIn.dll"},
    {"comcat.dll", Folder::System, "Comcat.dll"},
    {"mscomct2.ocx", Folder::System, "mscomct2.ocx"},
    {"mscomctl.ocx", Folder::System, "mscomctl.ocx"},
};
constexpr ReportedFile kFilesAfterMso9[] = {
    {"msvbvm60.dll", Folder::System, "msvbvm60.dll"},
    {"msvcrt.dll", Folder::System, "msvcrt.dll"},
    {"msxml.dll", Folder::System, "msxml.dll"},
    {"oleaut32.dll", Folder::System, "oleaut32.dll"},
    {"tarnredemption.dll", Folder::Addin, "tarnredemption.dll"},
    {"Hostwatch.exe", Folder::Addin, "Hostwatch.exe"},
    {"scrrun.dll", Folder::System, "scrrun.dll"},
    {"shlwapi.dll", Folder::System, "shlwapi.dll"},
    {"ssleay32.dll", Folder::System, "ssleay32.dll"},
    {"libeay32.dll", Folder::System, "libeay32.dll"},
    {"tarnfetch.dll", Folder::System, "tarnfetch.dll"},
    {"wininet.dll", Folder::System, "wininet.dll"},
    {"tarnengine.dll", Folder::System, "tarnengine.dll"},
};

}  // namespace

void SystemReport::write(std::string& out) {
    regop::RegOp settings = ports_.regOp(Hive::CurrentUser, kSettingsKey);
    for (const std::string& name : settingNames()) line(out, name + " : " + settings.value(name).toText());

    std::string systemFolder = ports_.shell.systemDirectory();
    systemFolder = systemFolder.substr(0, systemFolder.find('\0')) + "\\";
    line(out, "System : " + systemFolder);

    const std::optional<std::string> addin = addinFolder();
    line(out, "Tarnwick Directory : " + addin.value_or(kNotFound));

    const std::string mailClient = mailClientFolder();
    line(out, "Outlook : " + mailClient);

    auto folderOf = [&](Folder folder) -> std::optional<std::string> {
        switch (folder) {
            case Folder::Addin: return addin;
            case Folder::System: return systemFolder;
            case Folder::MailClient: break;
        }
        // Without a folder a bare file name would be looked up wherever the program happens to run.
        if (mailClient.empty()) return std::nullopt;
        return mailClient;
    };
    for (const ReportedFile& file : kFilesBeforeMso9) line(out, *fileLine(folderOf(file.folder), file.name, file.label, true));

    const std::optional<std::string> mailFolder = folderOf(Folder::MailClient);
    line(out, *fileLine(mailFolder, "outlook.exe", "Outlook.exe", true));
    if (mailFolder && fileExists(regop::inFolder(*mailFolder, "outlook.exe"))) {
        const std::string version = fileVersionText(regop::inFolder(*mailFolder, "outlook.exe"));
        if (version.substr(0, version.find('.')) == "9") {
            if (auto mso = fileLine(mailFolder, "mso9.dll", "mso9.dll", false)) line(out, *mso);
        }
    }
    for (const ReportedFile& file : kFilesAfterMso9) line(out, *fileLine(folderOf(file.folder), file.name, file.label, true));

    line(out, "ActiveSync: " + ports_.regOp(Hive::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run")
                                   .value("H/PC Connection Agent")
                                   .toText());
    line(out, "McAfee VirusScan: " + ports_.regOp(Hive::LocalMachine, "Software\\McAfee\\VirusScan\\").value("Location").toText());
    repairExchangeExtensions(out);
}

std::optional<std::string> SystemReport::addinFolder() {
    regop::RegOp classes = ports_.regOp(Hive::ClassesRoot, std::string(kAddinClass) + "\\Clsid");
    const std::string classId = classes.value("").toText();
    if (classId.empty()) return std::nullopt;
    classes.setKey("CLSID\\" + classId + "\\InprocServer32");
    const std::string server = classes.value("").toText();
    const size_t at = text::upper(server).find(text::upper(kAddinLibrary));
    if (at == std::string::npos || at == 0) return std::nullopt;
    return server.substr(0, at);
}

std::string SystemReport::mailClientFolder() {
    return ports_.regOp(Hive::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE").value("Path").toText();
}

std::optional<std::string> SystemReport::fileLine(const std::optional<std::string>& folder, const std::string& fileName,
                                                  const std::string& label, bool reportMissing) {
    if (folder) {
        const std::string path = regop::inFolder(*folder, fileName);
        if (fileExists(path)) return label + " : " + fileVersionText(path);
    }
    if (!reportMissing) return std::nullopt;
    return label + " : " + kNotFound;
}

bool SystemReport::fileExists(const std::string& path) {
    try {
        return ports_.files.fileExists(path);
    } catch (const Error&) {
        return false;  // a path the system cannot even look at names no file
    }
}

std::string SystemReport::fileVersionText(const std::string& path) {
    try {
        return versionText(ports_.shell.fileVersion(path));
    } catch (const Error&) {
        return {};  // a file without version information
    }
}

void SystemReport::repairExchangeExtensions(std::string& out) {
    line(out, std::string("HKEY_LOCAL_MACHINE\\") + kExchangeExtensionsKey + "\\" + kExchangeExtensionsValue);
    regop::RegOp extensions = ports_.regOp(Hive::LocalMachine, kExchangeExtensionsKey);
    const std::string current = extensions.value(kExchangeExtensionsValue).toText();
    line(out, "Current Value: " + current);
    if (current == kExpectedExchangeExtensions) return;
    extensions.setValue(kExchangeExtensionsValue, regop::RegData::text(kExpectedExchangeExtensions));
    // Without write access to the machine's keys the repair fails; the report must not claim it.
    if (extensions.value(kExchangeExtensionsValue).toText() == kExpectedExchangeExtensions)
        line(out, std::string("New Value:     ") + kExpectedExchangeExtensions);
    else
        line(out, std::string("New Value:     ") + kExpectedExchangeExtensions + " (could not be written)");
}

}  // namespace tw::envprobe
