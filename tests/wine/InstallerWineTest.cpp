// The Windows Installer package under Wine: msiexec installs, upgrades, repairs and removes Tarnwick.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "wine/AddinHost.h"
#include "wine/ProgramFolder.h"
#include "wine/SafeMailInstall.h"
#include "win32/TextEncoding.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"

namespace tw::winetest {
namespace {

using platform::Hive;
using platform::RegValue;

constexpr const char* kAddInKey = "Software\\Microsoft\\Office\\Outlook\\Addins\\OrvennaOutlookAddIn.Connect";
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

const char* const kInstalledFiles[] = {
    "TarnwickOutlookAddIn.dll", "tarnengine.dll", "tarnfetch.dll", "tarnredemption.dll", "HostWatch.exe",
    "Envprobe.exe", "Rulestage.exe",
#ifdef TW_PACKAGE_HAS_TWUPDATE
    "twupdate.exe",
#endif
    "tw1.bin", "tw2.bin", "tw5.bin", "License.txt", "ReadMe.txt",
    // Rulestage's dated copies of the shipped rules.
    "tw1.bin.full.2004.10.18.23.23.00", "tw2.bin.full.2004.10.04.22.20.18", "tw5.bin.full.2004.08.07.17.01.01"};

struct ComClassRow {
    const char* progId;
    const char* library;
};
const ComClassRow kClasses[] = {
    {"OrvennaOutlookAddIn.Connect", "TarnwickOutlookAddIn.dll"},
    {"OrvennaOutlookAddIn.InspWrap", "TarnwickOutlookAddIn.dll"},
    {"TarnwickRedemption.TarnwickSafeMailItem", "tarnredemption.dll"},
    {"TarnwickRedemption.TarnwickMAPIUtils", "tarnredemption.dll"},
    {"TarnwickRedemption.TarnwickMAPITable", "tarnredemption.dll"},
    {"TarnwickRedemption.TarnwickAddressLists", "tarnredemption.dll"},
};
const char* const kClassIds[] = {
    "{EFD49F3B-0FDC-4805-836F-F88398CC465B}", "{C5A6A30A-701C-496E-82ED-79BF4B1CBA10}",
    "{3F1C2A70-8B5D-4E21-A63E-510C9D27B481}", "{3F1C2A71-8B5D-4E21-A63E-510C9D27B481}",
    "{3F1C2A72-8B5D-4E21-A63E-510C9D27B481}", "{3F1C2A73-8B5D-4E21-A63E-510C9D27B481}"};

std::string installFolder() { return win32::Win32Shell().expandEnvironmentStrings("%ProgramFiles%") + "\\Tarnwick"; }

/// Runs msiexec with `arguments` (each one argument) silently with a verbose log; answers its exit
/// code and how long it took.
struct MsiRun {
    int code;
    DWORD milliseconds;
};
MsiRun msiexec(const std::vector<std::string>& arguments, const std::string& logName) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring program = std::wstring(system) + L"\\msiexec.exe";
    std::vector<std::wstring> wide{L"msiexec.exe"};
    for (const std::string& argument : arguments) wide.push_back(L"\"" + win32::toWide(argument) + L"\"");
    wide.push_back(L"/qn");
    wide.push_back(L"/l*v");
    wide.push_back(L"\"" + win32::toWide(ProgramFolder::beside(logName)) + L"\"");
    std::vector<const wchar_t*> argv;
    for (const std::wstring& argument : wide) argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    const DWORD start = GetTickCount();
    const int code = static_cast<int>(spawnAndWait(program, argv.data()));
    return {code, GetTickCount() - start};
}

std::string package(const char* name) { return ProgramFolder::beside(name); }

/// Appends the key, its values and its subkeys to `out`. `keepEmpty` false leaves out keys with
/// nothing in them, as Windows Installer leaves its own bookkeeping keys once it has made them.
bool dumpKey(win32::Win32Registry& registry, Hive hive, const std::string& path, std::string& out, bool keepEmpty = true) {
    if (!registry.keyExists(hive, path)) return false;
    std::string mine = path + "\n";
    bool filled = false;
    for (const std::string& name : registry.valueNames(hive, path)) {
        auto value = registry.queryValue(hive, path, name);
        mine += "  " + name + " = " + (value ? value->text + std::to_string(value->dword) : "?") + "\n";
        filled = true;
    }
    std::string below;
    for (const std::string& sub : registry.subkeyNames(hive, path))
        filled = dumpKey(registry, hive, path + "\\" + sub, below, keepEmpty) || filled;
    if (filled || keepEmpty) out += mine + below;
    return filled;
}

/// Every place the package writes to and Windows Installer records it in; keys with nothing in them
/// count only where the package itself writes. Software\Orvenna is the
/// user's settings and Rulestage's records, which outlive the package (Rulestage leaves the key itself).
/// Wine does not roll back component records, so a test of a rollback leaves them out.
std::string installSnapshot(bool withComponentRecords = true) {
    win32::Win32Registry registry;
    std::string out;
    for (Hive hive : {Hive::CurrentUser, Hive::LocalMachine}) {
        out += hive == Hive::CurrentUser ? "[HKCU]\n" : "[HKLM]\n";
        // Empty levels above the add-in key may come and go with it (Wine removes them once empty).
        dumpKey(registry, hive, "Software\\Microsoft\\Office", out, false);
        if (registry.keyExists(hive, kAddInKey)) out += std::string(kAddInKey) + "\n";
        dumpKey(registry, hive, "Software\\Microsoft\\Installer", out, false);
        const std::string records = "Software\\Microsoft\\Windows\\CurrentVersion\\Installer";
        if (withComponentRecords) {
            dumpKey(registry, hive, records, out, false);
        } else if (registry.keyExists(hive, records)) {
            for (const std::string& sub : registry.subkeyNames(hive, records))
                if (sub != "UserData") dumpKey(registry, hive, records + "\\" + sub, out, false);
        }
        dumpKey(registry, hive, kUninstallKey, out);
    }
    out += "[HKCR]\n";
    dumpKey(registry, Hive::ClassesRoot, "Installer", out, false);
    for (const ComClassRow& c : kClasses) dumpKey(registry, Hive::ClassesRoot, c.progId, out);
    for (const char* id : kClassIds) dumpKey(registry, Hive::ClassesRoot, std::string("CLSID\\") + id, out);
    return out;
}

/// The installed products' display versions, as Add or Remove Programs lists them.
std::vector<std::string> installedTarnwickVersions() {
    win32::Win32Registry registry;
    std::vector<std::string> versions;
    if (!registry.keyExists(Hive::LocalMachine, kUninstallKey)) return versions;
    for (const std::string& product : registry.subkeyNames(Hive::LocalMachine, kUninstallKey)) {
        const std::string key = std::string(kUninstallKey) + "\\" + product;
        auto name = registry.queryValue(Hive::LocalMachine, key, "DisplayName");
        auto version = registry.queryValue(Hive::LocalMachine, key, "DisplayVersion");
        if (name && name->text == "Tarnwick") versions.push_back(version ? version->text : "?");
    }
    return versions;
}

void report(const char* what, const MsiRun& run) {
    std::printf("installer: %s took %lu ms (exit %d)\n", what, static_cast<unsigned long>(run.milliseconds), run.code);
    std::fflush(stdout);
}

class InstallerWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(files.fileExists(package("Tarnwick.msi"))) << "the package was not built (the msi target needs wixl)";
        // The run registered the safe mail library and the add-in from the test folder; the package
        // writes the same classes, so they start from none here.
        msiexec({"/x", package("Tarnwick.msi")}, "installer-setup.log");
        installSafeMailLibrary(false);
        regsvr32(true);
        clearAddinSettings();
        removeInstalledLog();
        before = installSnapshot();
        beforeWithoutComponents = installSnapshot(false);
    }
    void TearDown() override {
        msiexec({"/x", package("Tarnwick.msi")}, "installer-teardown.log");
        msiexec({"/x", package("Tarnwick-previous.msi")}, "installer-teardown-previous.log");
        removeInstalledLog();
        EXPECT_EQ(installSafeMailLibrary(true), S_OK);
    }

    // The add-in's log beside the installed library belongs to the user and outlives the package.
    void removeInstalledLog() {
        for (const char* name : {"report.txt", "report0.txt"}) {
            const std::string path = installFolder() + "\\" + name;
            if (files.fileExists(path)) files.removeFile(path);
        }
        if (files.folderExists(installFolder()) && files.listFiles(installFolder()).empty())
            RemoveDirectoryW(win32::toWide(installFolder()).c_str());
    }

    std::vector<std::string> leftInFolder() {
        std::vector<std::string> left;
        if (!files.folderExists(installFolder())) return left;
        for (const std::string& name : files.listFiles(installFolder()))
            if (name != "report.txt" && name != "report0.txt") left.push_back(name);
        return left;
    }

    win32::Win32FileSystem files;
    win32::Win32Registry registry;
    std::string before;
    std::string beforeWithoutComponents;
};

TEST_F(InstallerWineTest, InstallsEverythingTheClientLoadsTheAddInAndRemovalLeavesOnlyTheUsersData) {
    const std::string dataFolder = freshDataFolder();
    files.replaceContents(dataFolder + "\\Junk Senders.txt", "blocked@spammer.example\r\n");
    registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "MarkSpamAsRead", RegValue::ofDword(1));

    const MsiRun install = msiexec({"/i", package("Tarnwick.msi")}, "installer-install.log");
    report("install", install);
    ASSERT_EQ(install.code, 0);
    for (const char* name : kInstalledFiles) EXPECT_TRUE(files.fileExists(installFolder() + "\\" + name)) << name;
    for (const ComClassRow& c : kClasses) {
        auto classId = registry.queryValue(Hive::ClassesRoot, std::string(c.progId) + "\\CLSID", "");
        ASSERT_TRUE(classId) << c.progId;
        const std::string server = "CLSID\\" + classId->text + "\\InprocServer32";
        EXPECT_EQ(registry.queryValue(Hive::ClassesRoot, server, "")->text, installFolder() + "\\" + c.library) << c.progId;
        EXPECT_EQ(registry.queryValue(Hive::ClassesRoot, server, "ThreadingModel")->text, "Apartment") << c.progId;
        EXPECT_EQ(registry.queryValue(Hive::ClassesRoot, "CLSID\\" + classId->text + "\\ProgID", "")->text, c.progId);
    }
    EXPECT_EQ(registry.queryValue(Hive::CurrentUser, kAddInKey, "LoadBehavior")->dword, 3u);
    EXPECT_EQ(registry.queryValue(Hive::CurrentUser, kAddInKey, "FriendlyName")->text, "Belcastra Tarnwick Add-In");
    EXPECT_EQ(registry.queryValue(Hive::CurrentUser, kAddInKey, "Description")->text, "Belcastra Tarnwick Outlook Add-In");
    EXPECT_FALSE(registry.keyExists(Hive::LocalMachine, kAddInKey)) << "only the installing user gets the add-in";

    {
        standin::StandInClient client;
        const int explorer = client.openExplorer(kInbox);
        const auto& loaded = client.loadAddIns();
        ASSERT_EQ(loaded.size(), 1u);
        EXPECT_EQ(loaded[0].connection, S_OK);
        const standin::MailSpec blocked = blockedSenderMail();
        client.deliver(kInbox, blocked);
        client.pump(3000);
        EXPECT_TRUE(bySubject(client, kJunk, blocked.subject)) << "the installed add-in did not move the message";
        client.closeExplorer(explorer);
        client.disconnectAddIns();
    }
    CoFreeUnusedLibraries();

    const MsiRun removal = msiexec({"/x", package("Tarnwick.msi")}, "installer-remove.log");
    report("uninstall", removal);
    ASSERT_EQ(removal.code, 0);
    EXPECT_EQ(leftInFolder(), std::vector<std::string>{});
    EXPECT_EQ(installSnapshot(), before) << "removal left the registry otherwise than before the install";
    EXPECT_FALSE(registry.keyExists(Hive::LocalMachine, "Software\\Orvenna\\Installed"));
    EXPECT_FALSE(registry.keyExists(Hive::LocalMachine, "Software\\Orvenna\\Updates"));
    EXPECT_EQ(registry.queryValue(Hive::CurrentUser, "Software\\Orvenna", "MarkSpamAsRead")->dword, 1u);
    EXPECT_TRUE(files.fileExists(dataFolder + "\\tarnwords.db"));
    EXPECT_EQ(files.readAll(dataFolder + "\\Junk Senders.txt"), "blocked@spammer.example\r\n");
}

TEST_F(InstallerWineTest, UpgradeKeepsTheDataTheSameVersionRepairsAndAnOlderIsRefused) {
    const MsiRun previous = msiexec({"/i", package("Tarnwick-previous.msi")}, "installer-previous.log");
    ASSERT_EQ(previous.code, 0);
    const std::vector<std::string> previousVersions = installedTarnwickVersions();
    ASSERT_EQ(previousVersions.size(), 1u);

    const std::string dataFolder = freshDataFolder();
    const std::string store = files.readAll(dataFolder + "\\tarnwords.db");
    files.replaceContents(dataFolder + "\\Junk Senders.txt", "blocked@spammer.example\r\n");
    files.replaceContents(dataFolder + "\\Exception List.txt", "friend@home.example\r\n");
    registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "MarkSpamAsRead", RegValue::ofDword(1));

    const MsiRun upgrade = msiexec({"/i", package("Tarnwick.msi")}, "installer-upgrade.log");
    report("upgrade", upgrade);
    ASSERT_EQ(upgrade.code, 0);
    const std::vector<std::string> versions = installedTarnwickVersions();
    ASSERT_EQ(versions.size(), 1u) << "the older version was not replaced";
    EXPECT_NE(versions[0], previousVersions[0]);
    for (const char* name : kInstalledFiles) EXPECT_TRUE(files.fileExists(installFolder() + "\\" + name)) << name;
    EXPECT_EQ(files.readAll(dataFolder + "\\tarnwords.db"), store);
    EXPECT_EQ(files.readAll(dataFolder + "\\Junk Senders.txt"), "blocked@spammer.example\r\n");
    EXPECT_EQ(files.readAll(dataFolder + "\\Exception List.txt"), "friend@home.example\r\n");
    EXPECT_EQ(registry.queryValue(Hive::CurrentUser, "Software\\Orvenna", "MarkSpamAsRead")->dword, 1u);

    // The same package again puts back what went missing.
    files.removeFile(installFolder() + "\\tw5.bin");
    files.removeFile(installFolder() + "\\tw5.bin.full.2004.08.07.17.01.01");
    const MsiRun repair = msiexec({"/i", package("Tarnwick.msi")}, "installer-repair.log");
    report("repair", repair);
    EXPECT_EQ(repair.code, 0);
    EXPECT_TRUE(files.fileExists(installFolder() + "\\tw5.bin"));
    EXPECT_TRUE(files.fileExists(installFolder() + "\\tw5.bin.full.2004.08.07.17.01.01"));
    EXPECT_EQ(installedTarnwickVersions(), versions);

    // Windows Installer's exit code for a refused launch condition is 1603; Wine hands back its low byte.
    const MsiRun downgrade = msiexec({"/i", package("Tarnwick-previous.msi")}, "installer-downgrade.log");
    EXPECT_TRUE(downgrade.code == 1603 || downgrade.code == (1603 & 0xff)) << downgrade.code;
    EXPECT_EQ(installedTarnwickVersions(), versions) << "an older package replaced a newer one";

    ASSERT_EQ(msiexec({"/x", package("Tarnwick.msi")}, "installer-remove.log").code, 0);
    EXPECT_EQ(leftInFolder(), std::vector<std::string>{});
    EXPECT_EQ(installSnapshot(), before);
    EXPECT_EQ(files.readAll(dataFolder + "\\tarnwords.db"), store);
    EXPECT_EQ(files.readAll(dataFolder + "\\Exception List.txt"), "friend@home.example\r\n");
}

TEST_F(InstallerWineTest, TheAllUsersPropertyPutsTheAddInKeyUnderTheMachineAndAnUpgradeKeepsItThere) {
    ASSERT_EQ(msiexec({"/i", package("Tarnwick-previous.msi"), "ALLUSERS_ADDIN=1"}, "installer-allusers.log").code, 0);
    EXPECT_EQ(registry.queryValue(Hive::LocalMachine, kAddInKey, "LoadBehavior")->dword, 3u);
    EXPECT_FALSE(registry.keyExists(Hive::CurrentUser, kAddInKey));

    ASSERT_EQ(msiexec({"/i", package("Tarnwick.msi")}, "installer-allusers-upgrade.log").code, 0);
    EXPECT_EQ(registry.queryValue(Hive::LocalMachine, kAddInKey, "LoadBehavior")->dword, 3u);
    EXPECT_FALSE(registry.keyExists(Hive::CurrentUser, kAddInKey));

    ASSERT_EQ(msiexec({"/x", package("Tarnwick.msi")}, "installer-allusers-remove.log").code, 0);
    EXPECT_EQ(installSnapshot(), before);
}

TEST_F(InstallerWineTest, ARulestageThatFailsRollsTheWholeInstallBack) {
    // A folder where Rulestage must write a dated copy makes its copy fail.
    const std::string blocker = installFolder() + "\\tw5.bin.full.2004.08.07.17.01.01";
    files.createFolders(blocker);
    const MsiRun install = msiexec({"/i", package("Tarnwick.msi")}, "installer-failing.log");
    RemoveDirectoryW(win32::toWide(blocker).c_str());
    EXPECT_NE(install.code, 0);
    // Windows logs error 1722 with Rulestage's exit code; Wine only the action, as the last that ran.
    const std::string log = files.readAll(ProgramFolder::beside("installer-failing.log"));
    EXPECT_TRUE(contains(log, "Action start") && contains(log, "RulestageInstall")) << log;
    EXPECT_TRUE(installedTarnwickVersions().empty()) << "a failed install left the product registered";
    EXPECT_EQ(leftInFolder(), std::vector<std::string>{});
    EXPECT_EQ(installSnapshot(false), beforeWithoutComponents);
}

}  // namespace
}  // namespace tw::winetest
