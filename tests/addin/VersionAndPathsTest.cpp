// The mail client's version facts, the data-folder candidates and folder paths.
#include <gtest/gtest.h>

#include "addin/DataFolder.h"
#include "addin/FolderPaths.h"
#include "addin/VersionFacts.h"
#include "support/AddinHarness.h"

namespace tw::test {
namespace {

using platform::Hive;
using platform::RegValue;

TEST(VersionFacts, TheObjectModelGuardStartsAtBuild4201OfVersion9) {
    sim::SimRegistry registry;
    EXPECT_FALSE(addin::identifyVersion("9.0.0.4200", registry).isHighSecurity);
    EXPECT_TRUE(addin::identifyVersion("9.0.0.4201", registry).isHighSecurity);
    EXPECT_TRUE(addin::identifyVersion("9.0.0.6627", registry).isHighSecurity);
    EXPECT_TRUE(addin::identifyVersion("10.0.0.2627", registry).isHighSecurity);
    EXPECT_TRUE(addin::identifyVersion("11.0.0.5510", registry).isHighSecurity);
    EXPECT_FALSE(addin::identifyVersion("9.0", registry).isHighSecurity);
    EXPECT_TRUE(addin::identifyVersion("9.0.0.4201", registry).isOutlook2k());
    EXPECT_EQ(addin::identifyVersion("11.0.0.5510", registry).majorVersion, 11);
}

TEST(VersionFacts, InternetMailModeFollowsMailSupportOfTheRightRelease) {
    sim::SimRegistry registry;
    EXPECT_TRUE(addin::identifyVersion("9.0.0.4201", registry).isInternetMailMode);  // absent

    const std::string key9 = "Software\\Microsoft\\Office\\9.0\\Outlook\\Setup";
    registry.createKey(Hive::CurrentUser, key9);
    registry.setValue(Hive::CurrentUser, key9, "MailSupport", RegValue::ofDword(1));
    EXPECT_FALSE(addin::identifyVersion("9.0.0.4201", registry).isInternetMailMode);
    // Releases after 9 read the 10.0 key, where nothing is stored.
    EXPECT_TRUE(addin::identifyVersion("11.0.0.5510", registry).isInternetMailMode);

    registry.setValue(Hive::CurrentUser, key9, "MailSupport", RegValue::ofDword(0));
    EXPECT_TRUE(addin::identifyVersion("9.0.0.4201", registry).isInternetMailMode);
}

class DataFolderTest : public ::testing::Test {
protected:
    std::string find() { return addin::findDataFolder(h.shell, h.registry, h.files); }
    AddinHarness h;
};

TEST_F(DataFolderTest, TheUserProfileCandidateComesFirst) {
    h.files.createFolders("C:\\Documents and Settings\\demo\\Application Data\\Microsoft\\Outlook");
    EXPECT_EQ(find(), "C:\\Documents and Settings\\demo\\Application Data\\Microsoft\\Outlook");
}

TEST_F(DataFolderTest, NtFallsBackToDocumentsAndSettingsThenProfiles) {
    h.shell.environment["USERPROFILE"] = "D:\\Users\\demo";
    h.files.createFolders("C:\\WINDOWS\\Profiles\\demo\\Application Data\\Microsoft\\Outlook");
    EXPECT_EQ(find(), "C:\\WINDOWS\\Profiles\\demo\\Application Data\\Microsoft\\Outlook");
    h.files.createFolders("C:\\Documents and Settings\\demo\\Application Data\\Microsoft\\Outlook");
    EXPECT_EQ(find(), "C:\\Documents and Settings\\demo\\Application Data\\Microsoft\\Outlook");
}

TEST_F(DataFolderTest, AMissingSystemDriveIsTakenFromProgramFilesDir) {
    h.shell.environment.erase("SYSTEMDRIVE");
    h.shell.environment["USERPROFILE"] = "D:\\Users\\demo";
    h.registry.setValue(Hive::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                        RegValue::ofString("E:\\Program Files"));
    h.files.createFolders("E:\\Documents and Settings\\demo\\Application Data\\Microsoft\\Outlook");
    EXPECT_EQ(find(), "E:\\Documents and Settings\\demo\\Application Data\\Microsoft\\Outlook");
}

TEST_F(DataFolderTest, Windows9xUsesSystemRootAndFinallyProgramFilesDir) {
    h.shell.environment["OS"] = "";
    h.shell.environment["USERPROFILE"] = "";
    EXPECT_EQ(find(), "C:\\Program Files");
    h.registry.setValue(Hive::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "SystemRoot",
                        RegValue::ofString("C:\\WINDOWS"));
    h.files.createFolders("C:\\WINDOWS\\Application Data\\Microsoft\\Outlook");
    EXPECT_EQ(find(), "C:\\WINDOWS\\Application Data\\Microsoft\\Outlook");
}

TEST(FolderPaths, PathsAreBuiltFromTheStoreDownAndFoundAgain) {
    AddinHarness h;
    auto& app = *h.client.application();
    EXPECT_EQ(addin::getFolderPath(*h.client.inbox()), "\\Personal Folders\\Inbox");

    EXPECT_EQ(addin::findFolderByPath(app, "\\Personal Folders\\inbox", false), h.client.inbox());
    EXPECT_EQ(addin::findFolderByPath(app, "\\Personal Folders\\Tarnwick", false), nullptr);
    EXPECT_EQ(addin::findFolderByPath(app, "\\No Such Store\\Tarnwick", true), nullptr);

    auto created = addin::findFolderByPath(app, "\\Personal Folders\\Tarnwick\\Held", true);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(addin::getFolderPath(*created), "\\Personal Folders\\Tarnwick\\Held");
    EXPECT_EQ(addin::findFolderByPath(app, "\\Personal Folders\\Tarnwick\\Held", false), created);
}

TEST(FolderPaths, RelativePathsStartAtTheActiveExplorersFolder) {
    AddinHarness h;
    auto& app = *h.client.application();
    EXPECT_EQ(addin::findFolderByPath(app, "Sub", true), nullptr);  // no explorer

    h.client.openExplorer();
    auto sub = addin::findFolderByPath(app, "Sub", true);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(addin::getFolderPath(*sub), "\\Personal Folders\\Inbox\\Sub");
}

}  // namespace
}  // namespace tw::test
