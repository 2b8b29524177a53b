// Envprobe.exe under Wine: settings from its command line and systeminfo.txt beside it, from a registered test class.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "ProgramFolder.h"
#include "win32/Win32Registry.h"

namespace tw::winetest {
namespace {

using platform::Hive;
using platform::RegValue;

constexpr const char* kClassId = "{6C1D3E55-2B4A-4F0C-9E1B-7A2F3C4D5E6F}";
constexpr const char* kSettings = "Software\\Orvenna";
constexpr const char* kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE";
constexpr const char* kExtensions = "SOFTWARE\\Microsoft\\Exchange\\Client\\Extensions";
constexpr const char* kExpectedExtensions = "4.0;emsuix32.dll;7;011111111111110;1111011100";

/// The report's lines after the 52 settings, by their labels; the system files carry Wine's versions.
const std::vector<std::string> kLabelsAfterSettings = {
    "System : ", "Tarnwick Directory : ", "Outlook : ", "TarnwickOutlookAddIn.dll : ", "Comcat.dll : ", "mscomct2.ocx : ",
    "mscomctl.ocx : ", "Outlook.exe : ", "mso9.dll : ", "msvbvm60.dll : ", "msvcrt.dll : ", "msxml.dll : ", "oleaut32.dll : ",
    "tarnredemption.dll : ", "Hostwatch.exe : ", "scrrun.dll : ", "shlwapi.dll : ", "ssleay32.dll : ", "libeay32.dll : ",
    "tarnfetch.dll : ", "wininet.dll : ", "tarnengine.dll : ", "ActiveSync: ", "McAfee VirusScan: ",
    std::string("HKEY_LOCAL_MACHINE\\") + kExtensions + "\\Exchange Extensions", "Current Value: ", "New Value:     ",
};

class EnvprobeWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The add-in's folder with the library the class is registered for, and the mail client's folder.
        addinFolder = folder.at("addin");
        officeFolder = folder.at("office");
        folder.files.createFolders(addinFolder);
        folder.files.createFolders(officeFolder);
        folder.files.copyFile(ProgramFolder::beside("version_probe_5_1_40000_2.dll"), addinFolder + "\\TarnwickOutlookAddIn.dll");
        folder.files.replaceContents(addinFolder + "\\tarnredemption.dll", "no version information here");
        folder.files.copyFile(ProgramFolder::beside("version_probe_9_0_0_2711.dll"), officeFolder + "\\OUTLOOK.EXE");
        folder.files.copyFile(ProgramFolder::beside("version_probe_6_0_0_0.dll"), officeFolder + "\\mso9.dll");

        registry.createKey(Hive::ClassesRoot, "OrvennaOutlookAddIn.InspWrap\\CLSID");
        registry.setValue(Hive::ClassesRoot, "OrvennaOutlookAddIn.InspWrap\\CLSID", "", RegValue::ofString(kClassId));
        const std::string server = std::string("CLSID\\") + kClassId + "\\InprocServer32";
        registry.createKey(Hive::ClassesRoot, server);
        registry.setValue(Hive::ClassesRoot, server, "", RegValue::ofString(addinFolder + "\\TarnwickOutlookAddIn.dll"));
        registry.createKey(Hive::LocalMachine, kAppPaths);
        registry.setValue(Hive::LocalMachine, kAppPaths, "Path", RegValue::ofString(officeFolder + "\\"));

        if (registry.keyExists(Hive::CurrentUser, kSettings)) registry.deleteTree(Hive::CurrentUser, kSettings);
        registry.createKey(Hive::CurrentUser, kSettings);
        registry.setValue(Hive::CurrentUser, kSettings, "threshold", RegValue::ofString("90"));
        registry.setValue(Hive::CurrentUser, kSettings, "bounceSpam", RegValue::ofDword(0));
        if (registry.queryValue(Hive::LocalMachine, kExtensions, "Exchange Extensions"))
            registry.deleteValue(Hive::LocalMachine, kExtensions, "Exchange Extensions");
    }

    std::optional<RegValue> setting(const std::string& name) { return registry.queryValue(Hive::CurrentUser, kSettings, name); }
    std::vector<std::string> report() { return folder.lines("systeminfo.txt"); }
    bool reportHas(const std::string& line) {
        const auto lines = report();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    ProgramFolder folder{"Envprobe.exe"};
    win32::Win32Registry registry;
    std::string addinFolder;
    std::string officeFolder;
};

TEST_F(EnvprobeWineTest, SettingsFromTheCommandLineAreStoredInTheirExistingTypes) {
    ASSERT_EQ(folder.run("threshold=85 BOUNCESPAM=1 foo=1 \"junkfolder=\\Personal Folders\\Spam\" threshold"), 0);
    EXPECT_EQ(setting("threshold"), RegValue::ofString("85"));
    EXPECT_EQ(setting("bounceSpam"), RegValue::ofDword(1));
    EXPECT_EQ(setting("junkfolder"), RegValue::ofString("\\Personal Folders\\Spam"));
    EXPECT_EQ(setting("foo"), std::nullopt);
    EXPECT_TRUE(reportHas("threshold : 85"));
    EXPECT_TRUE(reportHas("bounceSpam : 1"));

    ASSERT_EQ(folder.run("THRESHOLD=70"), 0);
    EXPECT_EQ(setting("threshold"), RegValue::ofString("70"));
    EXPECT_TRUE(reportHas("threshold : 70"));
}

TEST_F(EnvprobeWineTest, TheReportFollowsTheRegisteredAddinTheMailClientAndTheSystem) {
    ASSERT_EQ(folder.run(""), 0);
    const std::vector<std::string> lines = report();
    ASSERT_EQ(lines.size(), 52 + kLabelsAfterSettings.size());
    EXPECT_EQ(lines.front(), "auto_training_threshold : ");
    EXPECT_EQ(lines[36], "threshold : 90");
    for (size_t i = 0; i < kLabelsAfterSettings.size(); ++i)
        EXPECT_EQ(lines[52 + i].substr(0, kLabelsAfterSettings[i].size()), kLabelsAfterSettings[i]) << lines[52 + i];

    for (const std::string& line : {"System : " + win32::Win32Shell().systemDirectory() + "\\",
                                    "Tarnwick Directory : " + addinFolder + "\\", "Outlook : " + officeFolder + "\\",
                                    std::string("TarnwickOutlookAddIn.dll : 5.01.40000.02"), std::string("Outlook.exe : 9.00.00.2711"),
                                    std::string("mso9.dll : 6.00.0000"), std::string("tarnredemption.dll : "),
                                    std::string("Hostwatch.exe : Not found"), std::string("Current Value: "),
                                    std::string("New Value:     ") + kExpectedExtensions})
        EXPECT_TRUE(reportHas(line)) << line;

    // Whatever Wine ships in its system folder, each line holds a version in the report's form or says it is missing.
    const std::regex systemFile(R"(^[A-Za-z0-9]+\.(dll|ocx) : (Not found|\d+\.\d{2,}\.(\d{2,}\.\d{2,}|0000)|)$)");
    for (const char* label : {"Comcat.dll", "mscomct2.ocx", "mscomctl.ocx", "msvbvm60.dll", "msvcrt.dll", "msxml.dll", "oleaut32.dll",
                              "scrrun.dll", "shlwapi.dll", "ssleay32.dll", "libeay32.dll", "tarnfetch.dll", "wininet.dll", "tarnengine.dll"}) {
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(std::string(label) + " : "); });
        ASSERT_NE(line, lines.end()) << label;
        EXPECT_TRUE(std::regex_match(*line, systemFile)) << *line;
    }
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.starts_with("msvcrt.dll : ") && l != "msvcrt.dll : Not found" && l != "msvcrt.dll : ";
    })) << "Wine's msvcrt.dll carries a version";

    EXPECT_EQ(registry.queryValue(Hive::LocalMachine, kExtensions, "Exchange Extensions"), RegValue::ofString(kExpectedExtensions));
}

TEST_F(EnvprobeWineTest, ARepairedExtensionsValueAndAnotherOutlookVersionShowOnTheNextRun) {
    ASSERT_EQ(folder.run(""), 0);
    folder.files.copyFile(ProgramFolder::beside("version_probe_10_0_2627_1.dll"), officeFolder + "\\OUTLOOK.EXE");
    ASSERT_EQ(folder.run(""), 0);
    const std::vector<std::string> lines = report();
    EXPECT_TRUE(reportHas("Outlook.exe : 10.00.2627.01"));
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("mso9.dll"); }));
    EXPECT_EQ(lines.back(), std::string("Current Value: ") + kExpectedExtensions);
}

}  // namespace
}  // namespace tw::winetest
