// What the engine found damaged at start-up reaches the log at the serious level and the user once.
#include <gtest/gtest.h>

#include "support/AddinHarness.h"
#include "support/EngineRecording.h"

namespace tw::test {
namespace {

using platform::Hive;
using platform::RegValue;

TEST(StoreDamageNotice, KeptFilesAreNamedInOneBoxAndEveryEventInASeriousLogLine) {
    EngineRecording engine;
    engine.setOption("store_recovery",
                     "recovered\taddresses\tC:\\Data\\tarnaddresses.db\n"
                     "keptaside\taddresses\tC:\\Data\\tarnaddresses.db\tC:\\Data\\tarnaddresses.db.damaged-1\n"
                     "keptaside\twords\tC:\\Data\\tarnwords.db\tC:\\Data\\tarnwords.db.damaged-20261208-090000\n"
                     "keptaside\twords\tC:\\Data\\tarnwords.db.bak\t\n"
                     "something the add-in does not know\n");
    AddinHarness h;
    h.registry.createKey(Hive::CurrentUser, "Software\\Orvenna");
    h.registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "debugginglevel", RegValue::ofDword(0));
    h.client.openExplorer();
    h.connectAddin();

    ASSERT_EQ(h.ui.boxes.size(), 1u);
    const std::string& prompt = h.ui.boxes[0].prompt;
    EXPECT_NE(prompt.find("C:\\Data\\tarnwords.db.damaged-20261208-090000"), std::string::npos) << prompt;
    EXPECT_NE(prompt.find("C:\\Data\\tarnwords.db.bak (could not be moved)"), std::string::npos) << prompt;
    EXPECT_EQ(prompt.find("tarnaddresses"), std::string::npos) << "a recovery is only logged";
    EXPECT_TRUE(h.logHas("address store C:\\Data\\tarnaddresses.db was damaged or missing and was restored"));
    EXPECT_TRUE(h.logHas("kept as C:\\Data\\tarnwords.db.damaged-20261208-090000"));
    EXPECT_TRUE(h.logHas("tarnaddresses.db was damaged; the damaged file is kept as C:\\Data\\tarnaddresses.db.damaged-1"));
    EXPECT_TRUE(h.logHas("tarnwords.db.bak was damaged and had no intact backup; it could not be moved aside"));
    EXPECT_EQ(h.logCount("Error #"), 0);
}

TEST(StoreDamageNotice, AnEngineWithNothingToReportShowsNothing) {
    EngineRecording engine;
    engine.setOption("store_recovery", "");
    AddinHarness h;
    h.client.openExplorer();
    h.connectAddin();
    EXPECT_TRUE(h.ui.boxes.empty());
    EXPECT_FALSE(h.logHas("was damaged"));
}

}  // namespace
}  // namespace tw::test
