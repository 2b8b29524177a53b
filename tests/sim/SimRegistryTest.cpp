// The simulated registry beyond the port: its file on disk, injected failures and the names it refuses.
#include <gtest/gtest.h>

#include "SimTestFolder.h"
#include "core/Error.h"
#include "sim/SimRegistry.h"

namespace tw::sim {
namespace {

using platform::Hive;
using platform::RegValue;
using testing::readFile;
using testing::writeFile;
const auto errorNumber = testing::errorNumberOf;

constexpr const char* kOrvenna = "Software\\Orvenna";

SimRegistry withSettings() {
    SimRegistry reg;
    reg.createKey(Hive::CurrentUser, kOrvenna);
    reg.setValue(Hive::CurrentUser, kOrvenna, "threshold", RegValue::ofDword(90));
    return reg;
}

TEST(SimRegistryFile, SaveAndLoadKeepEverythingAndLeaveNoTemporaryFile) {
    testing::ScratchFolder folder;
    const auto file = folder.path() / "registry.reg";
    SimRegistry reg = withSettings();
    reg.saveToFile(file);
    EXPECT_EQ(readFile(file), reg.toRegFile());
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "registry.reg.tmp"));

    SimRegistry loaded = SimRegistry::loadFromFile(file);
    EXPECT_EQ(loaded.queryValue(Hive::CurrentUser, kOrvenna, "threshold"), RegValue::ofDword(90));
    EXPECT_EQ(errorNumber([&] { SimRegistry::loadFromFile(folder.path() / "missing.reg"); }), 53);
}

TEST(SimRegistryFile, FailedSaveKeepsTheOldFileWhole) {
    testing::ScratchFolder folder;
    const auto file = folder.path() / "registry.reg";
    SimRegistry reg = withSettings();
    reg.saveToFile(file);
    const std::string before = readFile(file);

    reg.setValue(Hive::CurrentUser, kOrvenna, "threshold", RegValue::ofDword(50));
    reg.failNext("saveToFile");
    EXPECT_EQ(errorNumber([&] { reg.saveToFile(file); }), 75);
    EXPECT_EQ(readFile(file), before);

    // A folder where the temporary file should go makes the write itself fail.
    std::filesystem::create_directory(folder.path() / "registry.reg.tmp");
    EXPECT_EQ(errorNumber([&] { reg.saveToFile(file); }), 75);
    EXPECT_EQ(readFile(file), before);
}

TEST(SimRegistryFile, MalformedFileOnDiskIsReportedByNameAndLeftAlone) {
    testing::ScratchFolder folder;
    const auto file = folder.path() / "registry.reg";
    const std::string broken = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n\"a\"=bad\r\n";
    writeFile(file, broken);
    try {
        SimRegistry::loadFromFile(file);
        ADD_FAILURE() << "a malformed file loaded";
    } catch (const Error& e) {
        EXPECT_EQ(e.description().rfind("registry.reg line 4: ", 0), 0u) << e.description();
    }
    EXPECT_EQ(readFile(file), broken);
}

TEST(SimRegistryFaults, OnceAlwaysAndPerKeyFailuresRaiseUntilCleared) {
    SimRegistry reg = withSettings();
    reg.failNext("queryValue");
    EXPECT_EQ(errorNumber([&] { reg.queryValue(Hive::CurrentUser, kOrvenna, "threshold"); }), 5);
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, kOrvenna, "threshold"), RegValue::ofDword(90));

    reg.createKey(Hive::CurrentUser, "Software\\Other");
    reg.failAlways("setValue:software\\ORVENNA\\");
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(errorNumber([&] { reg.setValue(Hive::CurrentUser, kOrvenna, "threshold", RegValue::ofDword(1)); }), 5);
    reg.setValue(Hive::CurrentUser, "Software\\Other", "x", RegValue::ofDword(1));
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, kOrvenna, "threshold"), RegValue::ofDword(90)) << "a failed call changes nothing";

    reg.clearFailures();
    reg.failNext("createKey:HKEY_LOCAL_MACHINE\\Software\\Orvenna\\Installed");
    reg.createKey(Hive::CurrentUser, "Software\\Orvenna\\Installed");
    EXPECT_THROW(reg.createKey(Hive::LocalMachine, "Software\\Orvenna\\Installed"), Error);
    reg.createKey(Hive::LocalMachine, "Software\\Orvenna\\Installed");
    EXPECT_TRUE(reg.keyExists(Hive::LocalMachine, "Software\\Orvenna\\Installed"));
}

TEST(SimRegistryNames, PathsAndNamesTheFileCannotHoldAreRefused) {
    SimRegistry reg = withSettings();
    EXPECT_EQ(errorNumber([&] { reg.createKey(Hive::CurrentUser, "Software\\\\Orvenna"); }), 161);
    EXPECT_EQ(errorNumber([&] { reg.createKey(Hive::CurrentUser, "\\Software"); }), 161);
    EXPECT_EQ(errorNumber([&] { reg.createKey(Hive::CurrentUser, "Software\\two\nlines"); }), 87);
    EXPECT_EQ(errorNumber([&] { reg.setValue(Hive::CurrentUser, kOrvenna, "two\nlines", RegValue::ofDword(1)); }), 87);
    EXPECT_EQ(errorNumber([&] { reg.deleteKey(Hive::CurrentUser, ""); }), 5);
}

}  // namespace
}  // namespace tw::sim
