// Rulestage over the sim: dated copies of the rule files, removal of the install records, the exit code.
#include <gtest/gtest.h>

#include "regop/RecordingUserInterface.h"
#include "rulestage/Rulestage.h"
#include "sim/SimFileSystem.h"
#include "sim/SimRegistry.h"
#include "sim/SimShell.h"
#include "support/TempFolder.h"

namespace tw::rulestage {
namespace {

using platform::Hive;

constexpr const char* kFolder = "C:\\Program Files\\Tarnwick";
const std::vector<std::pair<std::string, std::string>> kCopies = {
    {"tw1.bin", "tw1.bin.full.2004.10.18.23.23.00"},
    {"tw2.bin", "tw2.bin.full.2004.10.04.22.20.18"},
    {"tw5.bin", "tw5.bin.full.2004.08.07.17.01.01"},
};

class RulestageTest : public ::testing::Test {
protected:
    void SetUp() override {
        files.createFolders(kFolder);
        for (const auto& [rules, copy] : kCopies) files.replaceContents(in(rules), "rules of " + rules);
    }
    static std::string in(const std::string& name) { return std::string(kFolder) + "\\" + name; }
    int run(const std::vector<std::string>& arguments) { return Rulestage(ports, kFolder).run(arguments); }
    void addRecords() {
        registry.createKey(Hive::LocalMachine, "Software\\Orvenna\\Updates\\tw1");
        registry.setValue(Hive::LocalMachine, "Software\\Orvenna\\Updates\\tw1", "stamp", platform::RegValue::ofString("x"));
        registry.createKey(Hive::LocalMachine, "Software\\Orvenna\\Installed");
        registry.setValue(Hive::LocalMachine, "Software\\Orvenna", "keep", platform::RegValue::ofDword(1));
    }

    test::TempFolder temp;
    sim::SimFileSystem files{temp.path()};
    sim::SimRegistry registry;
    sim::SimShell shell;
    contract::RecordingUserInterface ui;
    regop::ProgramPorts ports{registry, files, shell, ui};
};

TEST_F(RulestageTest, InstallKeepsADatedCopyOfEachRuleFileAndReplacesItNextTime) {
    EXPECT_EQ(run({"-install"}), 0);
    for (const auto& [rules, copy] : kCopies) EXPECT_EQ(files.readAll(in(copy)), "rules of " + rules);

    for (const auto& [rules, copy] : kCopies) files.replaceContents(in(rules), "newer " + rules);
    EXPECT_EQ(run({"-install", "ignored"}), 0);
    for (const auto& [rules, copy] : kCopies) EXPECT_EQ(files.readAll(in(copy)), "newer " + rules);
    EXPECT_EQ(files.listFiles(kFolder).size(), 6u);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RulestageTest, AMissingRuleFileDoesNotStopTheOtherCopiesAndShowsInTheExitCode) {
    files.removeFile(in("tw2.bin"));
    EXPECT_EQ(run({"-install"}), Tw2NotCopied);
    EXPECT_TRUE(files.fileExists(in(kCopies[0].second)));
    EXPECT_FALSE(files.fileExists(in(kCopies[1].second)));
    EXPECT_TRUE(files.fileExists(in(kCopies[2].second)));

    files.removeFile(in("tw1.bin"));
    files.failAlways("copyFile:" + in("tw5.bin"));
    EXPECT_EQ(run({"-install"}), Tw1NotCopied | Tw2NotCopied | Tw5NotCopied);
}

TEST_F(RulestageTest, OnlyTheExactFirstArgumentCounts) {
    addRecords();
    for (const auto& arguments : std::vector<std::vector<std::string>>{{}, {"-INSTALL"}, {"-Uninstall"}, {"install"}, {"x", "-install"}, {""}})
        EXPECT_EQ(run(arguments), 0);
    EXPECT_EQ(files.listFiles(kFolder).size(), 3u);
    EXPECT_TRUE(registry.keyExists(Hive::LocalMachine, "Software\\Orvenna\\Updates\\tw1"));
    EXPECT_TRUE(registry.keyExists(Hive::LocalMachine, "Software\\Orvenna\\Installed"));
}

TEST_F(RulestageTest, UninstallRemovesBothRecordsWithTheirSubkeysAndKeepsTheParent) {
    addRecords();
    registry.createKey(Hive::CurrentUser, "Software\\Orvenna\\Updates");
    EXPECT_EQ(run({"-uninstall"}), 0);
    EXPECT_FALSE(registry.keyExists(Hive::LocalMachine, "Software\\Orvenna\\Updates"));
    EXPECT_FALSE(registry.keyExists(Hive::LocalMachine, "Software\\Orvenna\\Installed"));
    EXPECT_EQ(registry.queryValue(Hive::LocalMachine, "Software\\Orvenna", "keep"), platform::RegValue::ofDword(1));
    EXPECT_TRUE(registry.keyExists(Hive::CurrentUser, "Software\\Orvenna\\Updates"));

    // Nothing left to remove is no failure; the parent key is there afterwards either way.
    sim::SimRegistry empty;
    EXPECT_EQ(Rulestage({empty, files, shell, ui}, kFolder).run({"-uninstall"}), 0);
    EXPECT_TRUE(empty.keyExists(Hive::LocalMachine, "Software\\Orvenna"));
    EXPECT_TRUE(empty.subkeyNames(Hive::LocalMachine, "Software\\Orvenna").empty());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RulestageTest, ARecordThatCannotBeRemovedShowsInTheExitCode) {
    addRecords();
    registry.failAlways("deleteTree:Software\\Orvenna\\Installed");
    EXPECT_EQ(run({"-uninstall"}), InstalledKeyRemains);
    EXPECT_FALSE(registry.keyExists(Hive::LocalMachine, "Software\\Orvenna\\Updates"));
    EXPECT_TRUE(registry.keyExists(Hive::LocalMachine, "Software\\Orvenna\\Installed"));

    registry.failAlways("createKey");  // the parent cannot be opened for deleting at all
    EXPECT_EQ(run({"-uninstall"}), InstalledKeyRemains);
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace tw::rulestage
