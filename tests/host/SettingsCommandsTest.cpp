// The host program's settings commands and a run over a profile holding bad settings.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/HostSession.h"
#include "host/SettingsCommands.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

void writeRegistry(const host::Profile& profile, const std::string& orvennaValues) {
    std::ofstream(profile.registryFile(), std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvenna]\r\n" << orvennaValues
        << "\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\r\n"
           "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n";
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(SettingsCommands, SetStoresEachValueInTheFormTheAddinUses) {
    TempFolder temp;
    host::Profile profile(temp.path());
    std::ostringstream out, err;
    int status = host::setSettings(profile,
                                   {"threshold=85,5", "EnableTarnwick=false", "reportspam=4", "Blockedcountries=CN, Russia",
                                    "junkfolder= \\Personal Folders\\Caught ", "toolbarrowindex=-1"},
                                   out, err);
    ASSERT_EQ(status, 0) << err.str();
    std::string reg = readFile(profile.registryFile());
    EXPECT_TRUE(has(reg, "\"threshold\"=\"85.5\"")) << reg;
    EXPECT_TRUE(has(reg, "\"EnableTarnwick\"=dword:00000000"));
    EXPECT_TRUE(has(reg, "\"reportspam\"=dword:00000004"));
    EXPECT_TRUE(has(reg, "\"blockedCountries\"=\"cn,ru\"")) << "names become codes under the value's own name";
    EXPECT_TRUE(has(reg, "\"junkfolder\"=\"\\\\Personal Folders\\\\Caught\""));
    EXPECT_TRUE(has(reg, "\"toolbarrowindex\"=dword:ffffffff"));
    EXPECT_TRUE(has(out.str(), "Stored threshold=85.5"));
}

TEST(SettingsCommands, OneRefusedValueMeansNothingIsWritten) {
    TempFolder temp;
    host::Profile profile(temp.path());
    writeRegistry(profile, "\"threshold\"=\"70\"\r\n");
    const std::string before = readFile(profile.registryFile());

    const std::vector<std::vector<std::string>> refused = {
        {"threshold=85", "threshold2=101"}, {"threshold=85", "colour=blue"},  {"reportspam=3"},
        {"EnableTarnwick=maybe"},           {"autoscan_interval=0"},          {"blockedCountries=us,Atlantis"},
        {"proxyServerPort=http"},           {"rbl_threshold=high"},           {"junkfolder=  "},
        {"threshold"},                      {"serviceHost=evil.example/path"}, {"min_training=1.5"},
    };
    for (const auto& assignments : refused) {
        std::ostringstream out, err;
        EXPECT_EQ(host::setSettings(profile, assignments, out, err), 2) << assignments.back();
        EXPECT_TRUE(has(err.str(), "nothing was written")) << err.str();
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(readFile(profile.registryFile()), before) << assignments.back();
    }
    std::ostringstream out, err;
    host::setSettings(profile, {"colour=blue"}, out, err);
    EXPECT_TRUE(has(err.str(), "no setting named \"colour\"")) << err.str();
}

TEST(SettingsCommands, ShowListsTheSettingsInForceAndMarksTheDefaults) {
    TempFolder temp;
    host::Profile profile(temp.path());
    writeRegistry(profile, "\"threshold\"=\"-5\"\r\n\"MarkSpamAsRead\"=dword:00000001\r\n\"blocked_ip_list\"=\"10.0.0.1, X\"\r\n");
    const std::string before = readFile(profile.registryFile());
    std::ostringstream out;
    host::showSettings(profile, out);
    std::string text = out.str();

    EXPECT_TRUE(has(text, "  threshold=90  (default)\n")) << "a repaired value is shown as it will be in force";
    EXPECT_TRUE(has(text, "  MarkSpamAsRead=1\n"));
    EXPECT_TRUE(has(text, "  blocked_ip_list=10.0.0.1,x\n"));
    EXPECT_TRUE(has(text, "  junkfolder=\\Personal Folders\\Tarnwick  (default)\n"));
    EXPECT_TRUE(has(text, "  useuserprops=1  (default)\n"));
    EXPECT_TRUE(has(text, "  exclusive=0  (default)\n"));
    EXPECT_EQ(readFile(profile.registryFile()), before) << "show changes nothing";
}

TEST(SettingsCommands, ARunRepairsBadSettingsAndLogsAtTheRepairedLevel) {
    TempFolder temp;
    host::Profile profile(temp.path() / "profile");
    profile.createFromDemoIfEmpty(sourceDir() + "/demo/profile");
    writeRegistry(profile, "\"threshold\"=\"-5\"\r\n\"reportspam\"=dword:00000003\r\n\"debugginglevel\"=dword:00000005\r\n");
    {
        host::HostSession session(profile);
        session.run();
        EXPECT_EQ(session.library().log()->Enabled(), 1);
    }
    std::string reg = readFile(profile.registryFile());
    EXPECT_TRUE(has(reg, "\"threshold\"=\"90\"")) << reg;
    EXPECT_TRUE(has(reg, "\"reportspam\"=dword:00000001")) << reg;
    // Progress lines appear only at level 1; no engine was found, and start-up went on without it.
    std::string log = readFile(profile.root() / "drive_c/Program Files/Tarnwick/report.txt");
    EXPECT_TRUE(has(log, "AddExpl 0"));
    EXPECT_TRUE(has(log, "tw_initialize got 0"));
    EXPECT_FALSE(has(log, "InitHandler : Error #"));
}

}  // namespace
}  // namespace tw::test
