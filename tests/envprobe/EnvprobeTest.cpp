// Envprobe over the sim: its settings arguments, its messages and every line of its report.
#include <gtest/gtest.h>

#include <algorithm>

#include "envprobe/Envprobe.h"
#include "envprobe/SettingNames.h"
#include "envprobe/VersionText.h"
#include "sim/SimEventLoop.h"
#include "sim/SimFileSystem.h"
#include "sim/SimRegistry.h"
#include "sim/SimShell.h"
#include "sim/SimUserInterface.h"
#include "support/TempFolder.h"
#include "core/Text.h"

namespace tw::envprobe {
namespace {

using platform::Hive;
using platform::RegValue;

constexpr const char* kFolder = "C:\\Program Files\\Tarnwick";
constexpr const char* kReport = "C:\\Program Files\\Tarnwick\\systeminfo.txt";
constexpr const char* kClassId = "{6C1D3E55-2B4A-4F0C-9E1B-7A2F3C4D5E6F}";
constexpr const char* kOffice = "C:\\Program Files\\Microsoft Office\\Office\\";
constexpr const char* kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE";

class EnvprobeTest : public ::testing::Test {
protected:
    void SetUp() override { files.createFolders(kFolder); }

    void placeFile(const std::string& path, std::optional<platform::FileVersion> version = std::nullopt) {
        files.createFolders(path.substr(0, path.rfind('\\')));
        files.replaceContents(path, "MZ");
        if (version) shell.fileVersions[path] = *version;
    }
    void registerAddin(const std::string& server) {
        registry.createKey(Hive::ClassesRoot, "OrvennaOutlookAddIn.InspWrap\\Clsid");
        registry.setValue(Hive::ClassesRoot, "OrvennaOutlookAddIn.InspWrap\\Clsid", "", RegValue::ofString(kClassId));
        const std::string serverKey = std::string("CLSID\\") + kClassId + "\\InprocServer32";
        registry.createKey(Hive::ClassesRoot, serverKey);
        registry.setValue(Hive::ClassesRoot, serverKey, "", RegValue::ofString(server));
    }
    void installOutlook(platform::FileVersion version) {
        registry.createKey(Hive::LocalMachine, kAppPaths);
        registry.setValue(Hive::LocalMachine, kAppPaths, "Path", RegValue::ofString(kOffice));
        placeFile(std::string(kOffice) + "OUTLOOK.EXE", version);
        placeFile(std::string(kOffice) + "MSO9.DLL", platform::FileVersion{9, 0, 0, 3821});
    }
    void setSetting(const std::string& name, const RegValue& value) {
        registry.createKey(Hive::CurrentUser, kSettingsKey);
        registry.setValue(Hive::CurrentUser, kSettingsKey, name, value);
    }
    std::optional<RegValue> setting(const std::string& name) { return registry.queryValue(Hive::CurrentUser, kSettingsKey, name); }

    void run(const std::vector<std::string>& arguments) { Envprobe(ports, kFolder).run(arguments); }

    std::vector<std::string> reportLines() {
        std::vector<std::string> lines = text::split(files.readAll(kReport), "\r\n");
        EXPECT_EQ(lines.back(), "") << "the report ends with a line break";
        lines.pop_back();
        return lines;
    }
    /// The report after the settings, which take the first lines.
    std::vector<std::string> reportAfterSettings() {
        std::vector<std::string> lines = reportLines();
        const size_t settings = settingNames().size();
        return lines.size() < settings ? lines : std::vector<std::string>(lines.begin() + static_cast<long>(settings), lines.end());
    }
    bool reportHas(const std::string& line) {
        const auto lines = reportLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::vector<std::string> prompts() const {
        std::vector<std::string> out;
        for (const auto& box : ui.boxes) out.push_back(box.prompt);
        return out;
    }

    test::TempFolder temp;
    sim::SimFileSystem files{temp.path()};
    sim::SimRegistry registry;
    sim::SimShell shell;
    sim::SimEventLoop loop{OleDate(38000)};
    sim::SimUserInterface ui{loop};
    regop::ProgramPorts ports{registry, files, shell, ui};
};

const std::string kSaved = std::string("Your settings have been saved to ") + kReport;

TEST_F(EnvprobeTest, ArgumentsAreWrittenWithTheStoredTypeAndBadOnesAreNamed) {
    setSetting("threshold", RegValue::ofString("90"));
    setSetting("bounceSpam", RegValue::ofDword(0));
    run({"threshold=85", "BOUNCESPAM=1", "foo=1", "threshold", "junkfolder=\\Personal Folders\\Spam=Junk"});

    EXPECT_EQ(setting("threshold"), RegValue::ofString("85"));
    EXPECT_EQ(setting("bounceSpam"), RegValue::ofDword(1));
    EXPECT_EQ(setting("junkfolder"), RegValue::ofString("\\Personal Folders\\Spam=Junk"));
    EXPECT_EQ(setting("foo"), std::nullopt);
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Invalid registry value : foo", "No value for registry value : threshold", kSaved}));
    EXPECT_EQ(ui.boxes.front().title, "Envprobe");

    const auto lines = reportLines();
    ASSERT_GE(lines.size(), settingNames().size());
    for (size_t i = 0; i < settingNames().size(); ++i)
        EXPECT_TRUE(text::startsWith(lines[i], settingNames()[i] + " : ")) << lines[i];
    EXPECT_TRUE(reportHas("threshold : 85"));
    EXPECT_TRUE(reportHas("bounceSpam : 1"));
    EXPECT_TRUE(reportHas("junkfolder : \\Personal Folders\\Spam=Junk"));
    EXPECT_TRUE(reportHas("caught : "));
}

TEST_F(EnvprobeTest, NamesMatchInAnyCaseAndANewValueTakesTheTableSpelling) {
    run({"THRESHOLD=85"});
    EXPECT_EQ(registry.valueNames(Hive::CurrentUser, kSettingsKey), std::vector<std::string>{"threshold"});
    EXPECT_EQ(setting("threshold"), RegValue::ofString("85"));
    EXPECT_TRUE(reportHas("threshold : 85"));
    EXPECT_EQ(prompts(), std::vector<std::string>{kSaved});
}

TEST_F(EnvprobeTest, AWordForANumberSettingSpoilsOnlyItsOwnArgument) {
    setSetting("bounceSpam", RegValue::ofDword(0));
    run({"bounceSpam=yes", "threshold=85"});
    EXPECT_EQ(setting("bounceSpam"), RegValue::ofDword(0));
    EXPECT_EQ(setting("threshold"), RegValue::ofString("85"));
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_TRUE(text::startsWith(ui.boxes[0].prompt, "13: ")) << ui.boxes[0].prompt;
    EXPECT_EQ(ui.boxes[1].prompt, kSaved);
    EXPECT_TRUE(reportHas("bounceSpam : 0"));
}

TEST_F(EnvprobeTest, TheReportListsFoldersVersionsProductsAndRepairsTheExchangeExtensions) {
    registerAddin("C:\\Program Files\\Tarnwick\\TarnwickOutlookAddIn.dll");
    placeFile("C:\\Program Files\\Tarnwick\\TarnwickOutlookAddIn.dll", platform::FileVersion{5, 1, 40000, 2});
    placeFile("C:\\Program Files\\Tarnwick\\tarnredemption.dll");  // no version information
    installOutlook({9, 0, 0, 2711});
    placeFile("C:\\WINDOWS\\system32\\msvcrt.dll", platform::FileVersion{7, 0, 2600, 0});
    placeFile("C:\\WINDOWS\\system32\\oleaut32.dll", platform::FileVersion{5, 1, 2600, 2180});
    registry.createKey(Hive::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    registry.setValue(Hive::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "H/PC Connection Agent",
                      RegValue::ofString("C:\\sync\\wcescomm.exe"));
    run({});

    const std::vector<std::string> expected = {
        "System : C:\\WINDOWS\\system32\\",
        "Tarnwick Directory : C:\\Program Files\\Tarnwick\\",
        "Outlook : C:\\Program Files\\Microsoft Office\\Office\\",
        "TarnwickOutlookAddIn.dll : 5.01.40000.02",
        "Comcat.dll : Not found",
        "mscomct2.ocx : Not found",
        "mscomctl.ocx : Not found",
        "Outlook.exe : 9.00.00.2711",
        "mso9.dll : 9.00.00.3821",
        "msvbvm60.dll : Not found",
        "msvcrt.dll : 7.00.2600.00",
        "msxml.dll : Not found",
        "oleaut32.dll : 5.01.2600.2180",
        "tarnredemption.dll : ",
        "Hostwatch.exe : Not found",
        "scrrun.dll : Not found",
        "shlwapi.dll : Not found",
        "ssleay32.dll : Not found",
        "libeay32.dll : Not found",
        "tarnfetch.dll : Not found",
        "wininet.dll : Not found",
        "tarnengine.dll : Not found",
        "ActiveSync: C:\\sync\\wcescomm.exe",
        "McAfee VirusScan: ",
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Exchange\\Client\\Extensions\\Exchange Extensions",
        "Current Value: ",
        "New Value:     4.0;emsuix32.dll;7;011111111111110;1111011100",
    };
    EXPECT_EQ(reportAfterSettings(), expected);
    EXPECT_EQ(registry.queryValue(Hive::LocalMachine, "SOFTWARE\\Microsoft\\Exchange\\Client\\Extensions", "Exchange Extensions"),
              RegValue::ofString("4.0;emsuix32.dll;7;011111111111110;1111011100"));
}

TEST_F(EnvprobeTest, Mso9IsReportedOnlyBesideOutlookVersion9) {
    installOutlook({10, 0, 2627, 1});
    run({});
    EXPECT_TRUE(reportHas("Outlook.exe : 10.00.2627.01"));
    for (const auto& line : reportLines()) EXPECT_FALSE(text::startsWith(line, "mso9.dll")) << line;

    registry.setValue(Hive::LocalMachine, kAppPaths, "Path", RegValue::ofString("C:\\Elsewhere"));
    run({});
    EXPECT_TRUE(reportHas("Outlook : C:\\Elsewhere"));
    EXPECT_TRUE(reportHas("Outlook.exe : Not found"));
    for (const auto& line : reportLines()) EXPECT_FALSE(text::startsWith(line, "mso9.dll")) << line;

    // A folder given without its closing "\" still finds the files in it.
    registry.setValue(Hive::LocalMachine, kAppPaths, "Path", RegValue::ofString("C:\\Program Files\\Microsoft Office\\Office"));
    shell.fileVersions[std::string(kOffice) + "OUTLOOK.EXE"] = {9, 0, 0, 2711};
    run({});
    EXPECT_TRUE(reportHas("mso9.dll : 9.00.00.3821"));
}

TEST_F(EnvprobeTest, WithoutTheAddinRegisteredItsFilesAreNotFoundEvenWhenPresent) {
    placeFile("C:\\Program Files\\Tarnwick\\TarnwickOutlookAddIn.dll", platform::FileVersion{5, 1, 40000, 2});
    placeFile("C:\\Program Files\\Tarnwick\\Hostwatch.exe", platform::FileVersion{1, 0, 0, 0});
    run({});
    for (const char* line : {"Tarnwick Directory : Not found", "TarnwickOutlookAddIn.dll : Not found", "Hostwatch.exe : Not found",
                             "Outlook : ", "Outlook.exe : Not found"})
        EXPECT_TRUE(reportHas(line)) << line;

    // A registration pointing at a library of another name does not tell the folder either.
    registerAddin("C:\\Program Files\\Tarnwick\\Other.dll");
    run({});
    EXPECT_TRUE(reportHas("Tarnwick Directory : Not found"));

    registerAddin("c:\\progra~1\\tarnwick\\tarnwickoutlookaddin.DLL");
    placeFile("C:\\progra~1\\tarnwick\\tarnwickoutlookaddin.DLL", platform::FileVersion{6, 0, 0, 0});
    run({});
    EXPECT_TRUE(reportHas("Tarnwick Directory : c:\\progra~1\\tarnwick\\"));
    EXPECT_TRUE(reportHas("TarnwickOutlookAddIn.dll : 6.00.0000"));
}

TEST_F(EnvprobeTest, TheExchangeExtensionsAreRewrittenOnlyWhenWrongAndOnlyClaimedWhenWritten) {
    const std::string key = "SOFTWARE\\Microsoft\\Exchange\\Client\\Extensions";
    const std::string expected = "4.0;emsuix32.dll;7;011111111111110;1111011100";
    registry.createKey(Hive::LocalMachine, key);
    registry.setValue(Hive::LocalMachine, key, "Exchange Extensions", RegValue::ofString(expected));
    run({});
    auto tail = reportAfterSettings();
    EXPECT_EQ(std::vector<std::string>(tail.end() - 2, tail.end()),
              (std::vector<std::string>{"HKEY_LOCAL_MACHINE\\" + key + "\\Exchange Extensions", "Current Value: " + expected}));

    registry.setValue(Hive::LocalMachine, key, "Exchange Extensions", RegValue::ofString("4.0;emsuix32.dll;7;0"));
    registry.failAlways("setValue:" + key);
    run({});
    tail = reportAfterSettings();
    EXPECT_EQ(std::vector<std::string>(tail.end() - 2, tail.end()),
              (std::vector<std::string>{"Current Value: 4.0;emsuix32.dll;7;0", "New Value:     " + expected + " (could not be written)"}));

    registry.clearFailures();
    run({});
    EXPECT_EQ(reportAfterSettings().back(), "New Value:     " + expected);
    EXPECT_EQ(registry.queryValue(Hive::LocalMachine, key, "Exchange Extensions"), RegValue::ofString(expected));
}

TEST_F(EnvprobeTest, AReportThatCannotBeWrittenSaysFileErrorAfterTheSettingsAreStored) {
    files.failAlways("replaceContents");
    run({"threshold=85"});
    EXPECT_EQ(setting("threshold"), RegValue::ofString("85"));
    EXPECT_EQ(prompts(), std::vector<std::string>{"File Error"});
    EXPECT_FALSE(files.fileExists(kReport));
}

TEST(VersionTextTest, MinorAndLowerPartsHaveAtLeastTwoDigitsAndZeroLowerPartsRead0000) {
    EXPECT_EQ(versionText({9, 0, 0, 2711}), "9.00.00.2711");
    EXPECT_EQ(versionText({6, 0, 0, 0}), "6.00.0000");
    EXPECT_EQ(versionText({5, 1, 40000, 2}), "5.01.40000.02");
    EXPECT_EQ(versionText({10, 12, 1, 0}), "10.12.01.00");
    EXPECT_EQ(versionText({65535, 65535, 65535, 65535}), "65535.65535.65535.65535");
}

}  // namespace
}  // namespace tw::envprobe
