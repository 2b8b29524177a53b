// The settings and the engine across one connection: loaded at start-up, counters stored at teardown.
#include <gtest/gtest.h>

#include "senders/Senders.h"
#include "support/AddinHarness.h"
#include "support/EngineRecording.h"

namespace tw::test {
namespace {

using platform::Hive;
using platform::RegValue;

constexpr const char* kKey = "Software\\Orvenna";

TEST(StartupSettings, TheStoredLogLevelGovernsStartUpAndTheCountriesExist) {
    EngineRecording engine;
    AddinHarness h;
    h.registry.createKey(Hive::CurrentUser, kKey);
    h.registry.setValue(Hive::CurrentUser, kKey, "debugginglevel", RegValue::ofDword(0));
    h.registry.setValue(Hive::CurrentUser, kKey, "threshold", RegValue::ofString("80"));
    h.client.openExplorer();
    h.connectAddin();

    EXPECT_TRUE(h.addin().settingsLoaded());
    EXPECT_EQ(h.library.settings.threshold, 80);
    EXPECT_EQ(h.library.log()->Enabled(), diag::oSerious);
    EXPECT_FALSE(h.logHas("AddExpl 0")) << "progress lines are not written at the serious level";
    EXPECT_FALSE(h.logHas("tw_initialize got"));
    ASSERT_NE(h.library.countries, nullptr);
    EXPECT_EQ(h.library.countries->GetNameFromCode("de"), "Germany");

    h.disconnectAddin();
    EXPECT_EQ(h.library.countries, nullptr);
}

TEST(StartupSettings, TeardownDestroysTheEngineOnceAndStoresTheCounters) {
    EngineRecording engine;
    AddinHarness h;
    auto explorer = h.client.openExplorer();
    h.connectAddin();
    h.library.settings.processed = 41;
    h.library.settings.caught = 7;

    h.client.closeExplorer(explorer);
    EXPECT_EQ(*h.registry.queryValue(Hive::CurrentUser, kKey, "processed"), RegValue::ofDword(41));
    EXPECT_EQ(*h.registry.queryValue(Hive::CurrentUser, kKey, "caught"), RegValue::ofDword(7));
    EXPECT_EQ(h.addin().getEnginePointer(), 0);

    // Disconnection runs the teardown again: the counters are stored again, the engine is not destroyed twice.
    h.library.settings.processed = 42;
    h.disconnectAddin();
    EXPECT_EQ(*h.registry.queryValue(Hive::CurrentUser, kKey, "processed"), RegValue::ofDword(42));
    EXPECT_EQ(engine.callsStartingWith("TW_destructor"), std::vector<std::string>{"TW_destructor(1)"});
    EXPECT_FALSE(h.logHas("Error #"));
}

TEST(StartupSettings, ASecondConnectionLoadsTheListsAfresh) {
    EngineRecording engine;
    AddinHarness h;
    h.registry.createKey(Hive::CurrentUser, kKey);
    h.registry.setValue(Hive::CurrentUser, kKey, "blocked_ip_list", RegValue::ofString("10.0.0.1,10.0.0.2"));
    auto explorer = h.client.openExplorer();
    h.connectAddin();
    h.client.closeExplorer(explorer);
    h.disconnectAddin();

    h.registry.setValue(Hive::CurrentUser, kKey, "blocked_ip_list", RegValue::ofString("10.0.0.3"));
    h.client.openExplorer();
    h.connectAddin();
    EXPECT_EQ(h.library.settings.blocked_ip_list.Keys(), std::vector<std::string>{"10.0.0.3"});
    EXPECT_EQ(h.library.settings.allblacklists.Count(), 8u);
}

TEST(ConfigurationDumpFacts, TheDumpTellsTheSenderListsExclusiveMode) {
    EngineRecording engine;
    AddinHarness h;
    h.registry.createKey(Hive::CurrentUser, "Software\\Orvenna");
    h.registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "exclusive", RegValue::ofDword(1));
    h.client.openExplorer();
    h.connectAddin();
    h.library.log()->logCurrentConfiguration();
    EXPECT_TRUE(h.logHas("\r\nexclusive: True\r\n")) << h.logText();
    // The network reports' summary counts the user's own addresses from the same lists.
    h.addin().senders()->AddMeTo({"me@home.example"});
    std::string summary = h.addin().reportSettingsSummary();
    EXPECT_NE(summary.find("exclusive: True"), std::string::npos) << summary;
    EXPECT_NE(summary.find("tome: 1"), std::string::npos) << summary;
    h.addin().senders()->setExclusive(false);
    h.library.log()->logCurrentConfiguration();
    EXPECT_TRUE(h.logHas("\r\nexclusive: False\r\n"));
}

}  // namespace
}  // namespace tw::test
