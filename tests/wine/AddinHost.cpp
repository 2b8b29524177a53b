// Helpers of the add-in tests under Wine.
#include "wine/AddinHost.h"

#include <windows.h>
#include <process.h>

#include <functional>

#include "core/Text.h"
#include "wine/ProgramFolder.h"
#include "win32/TextEncoding.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"

namespace tw::winetest {

using platform::Hive;

int regsvr32(bool unregister) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring program = std::wstring(system) + L"\\regsvr32.exe";
    const std::wstring library = L"\"" + win32::toWide(ProgramFolder::beside("TarnwickOutlookAddIn.dll")) + L"\"";
    const wchar_t* argv[] = {L"regsvr32.exe", L"/s", unregister ? L"/u" : library.c_str(),
                             unregister ? library.c_str() : nullptr, nullptr};
    return static_cast<int>(spawnAndWait(program, argv));
}

namespace {

void dumpKey(win32::Win32Registry& registry, Hive hive, const std::string& path, std::string& out) {
    if (!registry.keyExists(hive, path)) {
        out += path + " <missing>\n";
        return;
    }
    out += path + "\n";
    for (const std::string& name : registry.valueNames(hive, path)) {
        auto value = registry.queryValue(hive, path, name);
        out += "  " + name + " = " + (value ? value->text + std::to_string(value->dword) : "?") + "\n";
    }
    for (const std::string& sub : registry.subkeyNames(hive, path)) dumpKey(registry, hive, path + "\\" + sub, out);
}

}  // namespace

std::string registrationSnapshot() {
    win32::Win32Registry registry;
    std::string out;
    dumpKey(registry, Hive::CurrentUser, "Software\\Microsoft\\Office", out);
    for (const char* key : {"OrvennaOutlookAddIn.Connect", "OrvennaOutlookAddIn.InspWrap",
                            "CLSID\\{EFD49F3B-0FDC-4805-836F-F88398CC465B}", "CLSID\\{C5A6A30A-701C-496E-82ED-79BF4B1CBA10}"})
        dumpKey(registry, Hive::ClassesRoot, key, out);
    return out;
}

std::string freshDataFolder() {
    win32::Win32Shell shell;
    win32::Win32FileSystem files;
    const std::string folder = shell.expandEnvironmentStrings("%USERPROFILE%") + "\\Application Data\\Microsoft\\Outlook";
    files.createFolders(folder);
    for (const std::string& name : files.listFiles(folder)) files.removeFile(folder + "\\" + name);
    files.copyFile(ProgramFolder::beside("addin-data\\tarnwords.db"), folder + "\\tarnwords.db");
    return folder;
}

standin::MailSpec blockedSenderMail() {
    standin::MailSpec blocked;
    blocked.senderName = "Blocked Sender";
    blocked.senderAddress = kBlockedSender;
    blocked.to = {"me@home.example"};
    blocked.subject = "from a blocked sender";
    blocked.headers = "From: Blocked Sender <" + std::string(kBlockedSender) + ">\r\nSubject: from a blocked sender\r\n";
    blocked.body = "hello";
    return blocked;
}

standin::MailSpec mailFromFile(const std::string& fileName) {
    win32::Win32FileSystem files;
    std::string text = text::replaceAll(files.readAll(ProgramFolder::beside("addin-data\\" + fileName)), "\r\n", "\n");
    const size_t end = text.find("\n\n");
    const std::string head = text.substr(0, end);
    standin::MailSpec mail;
    mail.headers = text::replaceAll(head, "\n", "\r\n") + "\r\n";
    mail.body = end == std::string::npos ? "" : text::replaceAll(text.substr(end + 2), "\n", "\r\n");
    // Header fields as they stand, folded lines joined.
    std::string field;
    auto take = [&](const std::string& line) {
        const std::string lower = text::lower(line);
        if (lower.rfind("subject:", 0) == 0) mail.subject = text::trim(line.substr(8));
        if (lower.rfind("from:", 0) == 0) {
            const std::string from = text::trim(line.substr(5));
            const size_t open = from.find('<'), close = from.find('>');
            if (open != std::string::npos && close != std::string::npos && close > open) {
                mail.senderAddress = from.substr(open + 1, close - open - 1);
                mail.senderName = text::trim(text::replaceAll(from.substr(0, open), "\"", ""));
            } else {
                mail.senderAddress = text::trim(from.substr(0, from.find(' ')));
            }
        }
    };
    for (const std::string& line : text::split(head, "\n")) {
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            field += " " + text::trim(line);
            continue;
        }
        if (!field.empty()) take(field);
        field = line;
    }
    if (!field.empty()) take(field);
    mail.to = {"me@home.example"};
    return mail;
}

std::string addinLog() {
    win32::Win32FileSystem files;
    const std::string path = ProgramFolder::beside("report.txt");
    return files.fileExists(path) ? files.readAll(path) : std::string();
}

void removeAddinLog() {
    win32::Win32FileSystem files;
    for (const char* name : {"report.txt", "report0.txt"})
        if (files.fileExists(ProgramFolder::beside(name))) files.removeFile(ProgramFolder::beside(name));
}

void clearAddinSettings() {
    win32::Win32Registry registry;
    if (registry.keyExists(Hive::CurrentUser, "Software\\Orvenna")) registry.deleteTree(Hive::CurrentUser, "Software\\Orvenna");
    // The add-in must reach nothing outside this machine; the checks are off so that only the test of
    // them (with the settings a new user has) sees the connection warning.
    registry.createKey(Hive::CurrentUser, "Software\\Orvenna");
    registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "serviceHost", platform::RegValue::ofString("127.0.0.1:9"));
    registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "EnablePingChecks", platform::RegValue::ofDword(0));
    registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "upgradeNotification", platform::RegValue::ofDword(0));
}

std::optional<standin::ItemState> bySubject(standin::StandInClient& client, const std::string& path,
                                            const std::string& subject) {
    for (const auto& item : client.items(path))
        if (item.subject == subject) return item;
    return std::nullopt;
}

bool registerForFirstRun(std::string* dataFolder) {
    regsvr32(true);
    if (regsvr32(false) != 0) return false;
    clearAddinSettings();
    removeAddinLog();
    const std::string folder = freshDataFolder();
    if (dataFolder) *dataFolder = folder;
    return true;
}

}  // namespace tw::winetest
