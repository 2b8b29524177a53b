// Rulestage.exe under Wine: the dated copies beside it and the removal of the machine's install records.
#include <gtest/gtest.h>

#include "ProgramFolder.h"
#include "win32/Win32Registry.h"

namespace tw::winetest {
namespace {

using platform::Hive;
using platform::RegValue;

const std::vector<std::pair<std::string, std::string>> kCopies = {
    {"tw1.bin", "tw1.bin.full.2004.10.18.23.23.00"},
    {"tw2.bin", "tw2.bin.full.2004.10.04.22.20.18"},
    {"tw5.bin", "tw5.bin.full.2004.08.07.17.01.01"},
};

class RulestageWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [rules, copy] : kCopies) folder.files.replaceContents(folder.at(rules), "rules of " + rules);
    }
    ProgramFolder folder{"Rulestage.exe"};
    win32::Win32Registry registry;
};

TEST_F(RulestageWineTest, InstallTwiceLeavesTheThreeDatedCopiesOfTheLatestRules) {
    ASSERT_EQ(folder.run("-install"), 0);
    for (const auto& [rules, copy] : kCopies) EXPECT_EQ(folder.files.readAll(folder.at(copy)), "rules of " + rules);

    for (const auto& [rules, copy] : kCopies) folder.files.replaceContents(folder.at(rules), "newer " + rules);
    ASSERT_EQ(folder.run("\"-install\""), 0);
    for (const auto& [rules, copy] : kCopies) EXPECT_EQ(folder.files.readAll(folder.at(copy)), "newer " + rules);
    EXPECT_EQ(folder.files.listFiles(folder.path()).size(), 7u);  // the program, three rule files, three copies
}

TEST_F(RulestageWineTest, AMissingRuleFileIsInTheExitCodeAndTheOthersAreCopied) {
    folder.files.removeFile(folder.at("tw1.bin"));
    EXPECT_EQ(folder.run("-install"), 1);
    EXPECT_FALSE(folder.files.fileExists(folder.at(kCopies[0].second)));
    EXPECT_TRUE(folder.files.fileExists(folder.at(kCopies[1].second)));
    EXPECT_TRUE(folder.files.fileExists(folder.at(kCopies[2].second)));
}

TEST_F(RulestageWineTest, AnythingButTheExactActionDoesNothing) {
    for (const char* arguments : {"", "-INSTALL", "/install", "install -install"}) EXPECT_EQ(folder.run(arguments), 0) << arguments;
    EXPECT_EQ(folder.files.listFiles(folder.path()).size(), 4u);
}

TEST_F(RulestageWineTest, UninstallRemovesUpdatesAndInstalledAndKeepsTheirParent) {
    registry.createKey(Hive::LocalMachine, "Software\\Orvenna\\Updates\\tw1");
    registry.setValue(Hive::LocalMachine, "Software\\Orvenna\\Updates\\tw1", "stamp", RegValue::ofString("2004.10.18"));
    registry.createKey(Hive::LocalMachine, "Software\\Orvenna\\Installed");
    registry.setValue(Hive::LocalMachine, "Software\\Orvenna", "keep", RegValue::ofDword(1));

    ASSERT_EQ(folder.run("-uninstall"), 0);
    EXPECT_FALSE(registry.keyExists(Hive::LocalMachine, "Software\\Orvenna\\Updates"));
    EXPECT_FALSE(registry.keyExists(Hive::LocalMachine, "Software\\Orvenna\\Installed"));
    EXPECT_EQ(registry.queryValue(Hive::LocalMachine, "Software\\Orvenna", "keep"), RegValue::ofDword(1));

    registry.deleteTree(Hive::LocalMachine, "Software\\Orvenna");
    ASSERT_EQ(folder.run("-uninstall"), 0);
    EXPECT_TRUE(registry.keyExists(Hive::LocalMachine, "Software\\Orvenna"));
    EXPECT_TRUE(registry.subkeyNames(Hive::LocalMachine, "Software\\Orvenna").empty());
}

}  // namespace
}  // namespace tw::winetest
