// The per-setting writers, the list functions and the entry check.
#include <gtest/gtest.h>

#include "settings/RequireEntry.h"
#include "settings/SettingsLists.h"
#include "settings/SettingsWriters.h"
#include "sim/SimEventLoop.h"
#include "sim/SimRegistry.h"
#include "sim/SimUserInterface.h"

namespace tw::test {
namespace {

using platform::Hive;
using platform::RegValue;

class Writers : public ::testing::Test {
protected:
    std::optional<RegValue> stored(const std::string& name) {
        return registry.queryValue(Hive::CurrentUser, "Software\\Orvenna", name);
    }

    sim::SimRegistry registry;
    settings::Settings record;
    settings::SettingsWriters writers{settings::SettingsKey(registry), record};
};

TEST_F(Writers, RecordFollowsOnlyAStoreThatWorked) {
    EXPECT_TRUE(writers.writeJunkFolder("  \\Personal Folders\\Caught  "));
    EXPECT_EQ(record.junkfolder, "\\Personal Folders\\Caught");
    EXPECT_EQ(record.junkfolderName, "Caught");
    EXPECT_EQ(stored("junkfolder")->text, "\\Personal Folders\\Caught");
    EXPECT_FALSE(writers.writeJunkFolder("   ")) << "an empty path is ignored";
    EXPECT_EQ(stored("junkfolder")->text, "\\Personal Folders\\Caught");

    EXPECT_TRUE(writers.writeThreshold(85.5, false));
    EXPECT_TRUE(writers.writeThreshold(70, true));
    EXPECT_EQ(*stored("threshold"), RegValue::ofString("85.5"));
    EXPECT_EQ(*stored("threshold2"), RegValue::ofString("70"));
    EXPECT_EQ(record.threshold, 85.5);
    EXPECT_EQ(record.threshold2, 70);

    registry.failAlways("setValue");
    EXPECT_FALSE(writers.writeThreshold(50, false));
    EXPECT_FALSE(writers.writeReportSpam(0));
    EXPECT_FALSE(writers.writeShowSenderDialog(1));
    EXPECT_FALSE(writers.writeJunkFolder("\\Elsewhere"));
    int told = 0;
    EXPECT_FALSE(writers.writeExclusive(true, [&](bool) { ++told; }));
    EXPECT_EQ(record.threshold, 85.5);
    EXPECT_EQ(record.reportspam, 1);
    EXPECT_EQ(record.showsenderdialog, 0);
    EXPECT_EQ(record.junkfolderName, "Caught");
    EXPECT_FALSE(record.exclusive);
    EXPECT_EQ(told, 0) << "the sender lists hear of exclusive mode only once it is stored";
}

TEST_F(Writers, FilteringStateAndTheReportConfirmationFollowTheUsersChoice) {
    EXPECT_TRUE(writers.writeEnableTarnwick(false));
    EXPECT_EQ(record.filteringState, settings::filteringDisabled);
    EXPECT_EQ(*stored("EnableTarnwick"), RegValue::ofDword(0));
    EXPECT_TRUE(writers.writeEnableTarnwick(true));
    EXPECT_EQ(record.filteringState, settings::filteringEnabled);
    EXPECT_EQ(*stored("EnableTarnwick"), RegValue::ofDword(1));

    EXPECT_TRUE(writers.writeShowReportSpamConfirmation(false));
    EXPECT_FALSE(record.ShowReportSpamConfirmation);
    EXPECT_EQ(*stored("ShowReportSpamConfirmation"), RegValue::ofDword(0));

    bool toldMode = false;
    EXPECT_TRUE(writers.writeExclusive(true, [&](bool mode) { toldMode = mode; }));
    EXPECT_TRUE(toldMode);
    EXPECT_TRUE(record.exclusive);
}

TEST_F(Writers, TheProxyTextsAlwaysDescribeTheStoredProxy) {
    record.proxyServerUser = "ann";
    record.proxyServerPassword = "pw";
    EXPECT_TRUE(writers.writeProxySettings(true, "proxy.example", "3128"));
    EXPECT_EQ(*stored("proxyServerPort"), RegValue::ofString("3128"));
    EXPECT_EQ(record.proxyHostAndPort, "proxy.example:3128");
    EXPECT_EQ(record.proxyUserAndPassword, "ann:pw");
    EXPECT_FALSE(stored("proxyServerUser")) << "the proxy user is never written";
}

TEST(SettingsLists, EntriesAreLowerCasedTrimmedAndKeptOnce) {
    KeyedSet list;
    settings::ExtractEntries(" A@Example.com ;b.example;;a@example.com", list, ";");
    EXPECT_EQ(list.Keys(), (std::vector<std::string>{"a@example.com", "b.example"}));
    settings::ExtractEntries("whole,text", list, "");
    EXPECT_TRUE(list.Exists("whole,text")) << "no separator: the text is one entry";

    KeyedSet countries;
    EXPECT_EQ(settings::mergeSettingsIntoCollection({"CN", "ru", "", "cn"}, countries, true), 2);
    EXPECT_EQ(settings::getCommaStringFromCollection(countries), "cn,ru");
    EXPECT_EQ(settings::mergeSettingsIntoCollection({"RU", "de"}, countries, false), 1);
    EXPECT_EQ(settings::getCommaStringFromCollection(countries), "cn");
    EXPECT_EQ(settings::getCommaStringFromCollection(KeyedSet{}), "");
}

TEST(RequireEntry, AnEmptyEntryIsRefusedWithAMessage) {
    sim::SimEventLoop loop(OleDate(46000));
    sim::SimUserInterface ui(loop);
    EXPECT_TRUE(settings::requireEntry(ui, "a@example.com"));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(settings::requireEntry(ui, ""));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, "Please enter an address or domain.");
}

}  // namespace
}  // namespace tw::test
