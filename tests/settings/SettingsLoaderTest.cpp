// Loading the settings: defaults, the checks and repairs, the mailbox-store defaults, lists and bad data.
#include <gtest/gtest.h>

#include "diag/CErrorHandler.h"
#include "settings/SettingsLoader.h"
#include "sim/SimEventLoop.h"
#include "sim/SimFileSystem.h"
#include "sim/SimMailClient.h"
#include "sim/SimRegistry.h"
#include "sim/SimShell.h"
#include "support/TempFolder.h"

namespace tw::test {
namespace {

using platform::Hive;
using platform::RegValue;
using settings::Settings;

constexpr const char* kKey = "Software\\Orvenna";

class SettingsLoad : public ::testing::Test {
protected:
    SettingsLoad() : files(temp.path()), loop(OleDate::fromCivil({2026, 12, 8, 9, 0, 0})), log(files, shell, loop) {
        files.createFolders("C:\\Program Files\\Tarnwick");
    }

    void put(const std::string& name, const RegValue& value) {
        registry.createKey(Hive::CurrentUser, kKey);
        registry.setValue(Hive::CurrentUser, kKey, name, value);
    }
    void putText(const std::string& name, const std::string& text) { put(name, RegValue::ofString(text)); }
    void putNumber(const std::string& name, uint32_t number) { put(name, RegValue::ofDword(number)); }
    std::optional<RegValue> stored(const std::string& name) { return registry.queryValue(Hive::CurrentUser, kKey, name); }

    bool load(outlook::NameSpace* nameSpace = nullptr) {
        return settings::loadUserSettings(settings::SettingsKey(registry), record, &log, nameSpace);
    }

    TempFolder temp;
    sim::SimRegistry registry;
    sim::SimFileSystem files;
    sim::SimShell shell;
    sim::SimEventLoop loop;
    diag::CErrorHandler log;
    Settings record;
};

TEST_F(SettingsLoad, AnEmptyRegistryGivesTheDefaultsAndStoresOnlyTheRepairedOnes) {
    ASSERT_TRUE(load());
    EXPECT_EQ(record.junkfolder, "\\Personal Folders\\Tarnwick");
    EXPECT_EQ(record.junkfolderName, "Tarnwick");
    EXPECT_EQ(record.reportspam, 1);
    EXPECT_EQ(record.threshold, 90);
    EXPECT_EQ(record.toolbarrowindex, -1);
    EXPECT_EQ(record.filteringState, settings::filteringEnabled);
    EXPECT_EQ(record.rbl_threshold, "1:99");
    EXPECT_EQ(record.allblacklists.Count(), 8u);
    EXPECT_TRUE(record.loaded);
    EXPECT_EQ(log.Enabled(), diag::oAll);

    EXPECT_EQ(registry.valueNames(Hive::CurrentUser, kKey),
              (std::vector<std::string>{"junkfolder", "threshold", "threshold2"}));
    EXPECT_EQ(stored("junkfolder")->text, "\\Personal Folders\\Tarnwick");
    EXPECT_EQ(*stored("threshold"), RegValue::ofString("90"));
}

TEST_F(SettingsLoad, ThresholdsOutOfRangeOrUnreadableAreRepairedAndStored) {
    const std::pair<std::string, double> cases[] = {
        {"", 90}, {"   ", 90}, {"-5", 90}, {"100.5", 90}, {"abc", 90}, {"nan", 90},
        {"100", 100}, {"0", 0}, {" 85 ", 85}, {"72,5", 72.5}, {"72.5", 72.5},
    };
    for (const auto& [text, expected] : cases) {
        putText("threshold", text);
        putText("threshold2", text);
        record = Settings{};
        load();
        EXPECT_EQ(record.threshold, expected) << '"' << text << '"';
        EXPECT_EQ(record.threshold2, expected) << '"' << text << '"';
        if (expected == 90 && text != "90") {
            EXPECT_EQ(stored("threshold")->text, "90") << '"' << text << '"';
            EXPECT_EQ(stored("threshold2")->text, "90") << '"' << text << '"';
        } else {
            EXPECT_EQ(stored("threshold")->text, text) << "a good value is left as it was";
        }
    }
    // A number stored as DWORD is read as well.
    putNumber("threshold", 75);
    load();
    EXPECT_EQ(record.threshold, 75);
}

TEST_F(SettingsLoad, CheckedNumbersFallBackAndOnlyTheStoredOnesAreWrittenBack) {
    putNumber("reportspam", 3);
    putNumber("showsenderdialog", 7);
    putNumber("debugginglevel", 5);
    load();
    EXPECT_EQ(record.reportspam, 1);
    EXPECT_EQ(*stored("reportspam"), RegValue::ofDword(1));
    EXPECT_EQ(record.showsenderdialog, 0);
    EXPECT_EQ(*stored("showsenderdialog"), RegValue::ofDword(0));
    EXPECT_EQ(record.debugginglevel, 1);
    EXPECT_EQ(log.Enabled(), diag::oAll);
    EXPECT_EQ(*stored("debugginglevel"), RegValue::ofDword(5)) << "the log level is not written back";

    putNumber("reportspam", 4);
    putText("showsenderdialog", "1");
    putNumber("debugginglevel", 2);
    load();
    EXPECT_EQ(record.reportspam, 4);
    EXPECT_EQ(record.showsenderdialog, 1);
    EXPECT_EQ(log.Enabled(), diag::oNothing);

    // Text where a checked number belongs is repaired too.
    putText("reportspam", "often");
    load();
    EXPECT_EQ(record.reportspam, 1);
    EXPECT_EQ(*stored("reportspam"), RegValue::ofDword(1));
}

TEST_F(SettingsLoad, ValuesOfTheWrongFormLeaveTheRecordAsItWas) {
    putNumber("EnableAutoUpdates", 0);
    putNumber("autoscan_interval", 12);
    load();
    EXPECT_FALSE(record.EnableAutoUpdates);
    EXPECT_EQ(record.autoscan_interval, 12);

    putText("EnableAutoUpdates", "sometimes");
    putText("autoscan_interval", "soon");
    putText("treduce", "lots");
    put("MarkSpamAsRead", RegValue::ofBinary({1, 0, 0, 0}));
    load();
    EXPECT_FALSE(record.EnableAutoUpdates);
    EXPECT_EQ(record.autoscan_interval, 12);
    EXPECT_EQ(record.treduce, 1.0) << "treduce has a check on load";
    EXPECT_FALSE(record.MarkSpamAsRead) << "a value of another type reads as absent";

    // Flags and numbers stored as text are read like their DWORD forms.
    putText("EnableAutoUpdates", "2");
    putText("autoscan_interval", " 30 ");
    putText("treduce", "2,5");
    putText("EnableTarnwick", "0");
    load();
    EXPECT_TRUE(record.EnableAutoUpdates);
    EXPECT_EQ(record.autoscan_interval, 30);
    EXPECT_EQ(record.treduce, 2.5);
    EXPECT_EQ(record.filteringState, settings::filteringDisabled);
}

TEST_F(SettingsLoad, ListsTakeEveryNonEmptyEntryLowerCased) {
    putText("blocked_ip_list", "10.0.0.1, 10.0.0.2,,X");
    putText("allblacklists", "Zone.One.Example,zone.two.example");
    putText("blockedCountries", "CN,ru,cn");
    load();
    EXPECT_EQ(record.blocked_ip_list.Keys(), (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "x"}));
    EXPECT_EQ(record.allblacklists.Keys(), (std::vector<std::string>{"zone.one.example", "zone.two.example"}));
    EXPECT_EQ(record.blockedCountries.Keys(), (std::vector<std::string>{"cn", "ru"}));
    EXPECT_EQ(record.rbl_list.Count(), 0u);
}

TEST_F(SettingsLoad, AMailboxStoreTurnsTheTwoStoreDefaultsAround) {
    sim::SimMailClient personal(loop);
    load(personal.nameSpace().get());
    EXPECT_TRUE(record.useuserprops);
    EXPECT_FALSE(record.scanInboxOnStartup);

    sim::SimMailClient exchange(loop, "10.0.0.4712", "Mailbox - Ann");
    load(exchange.nameSpace().get());
    EXPECT_FALSE(record.useuserprops);
    EXPECT_TRUE(record.scanInboxOnStartup);

    // Stored values win over either default.
    putNumber("useuserprops", 1);
    putNumber("scanInboxOnStartup", 0);
    load(exchange.nameSpace().get());
    EXPECT_TRUE(record.useuserprops);
    EXPECT_FALSE(record.scanInboxOnStartup);
}

TEST_F(SettingsLoad, ProxyTextsAreTrimmedAndCombined) {
    putNumber("useProxyServer", 1);
    putText("proxyServer", " proxy.example ");
    putText("proxyServerPort", "8080 ");
    putText("proxyServerUser", "ann");
    putText("proxyServerPassword", "secret");
    load();
    EXPECT_TRUE(record.useProxyServer);
    EXPECT_EQ(record.proxyHostAndPort, "proxy.example:8080");
    EXPECT_EQ(record.proxyUserAndPassword, "ann:secret");
}

TEST_F(SettingsLoad, ReleaseToIgnoreIsKeptUnlessItIsANumberNotAboveZero) {
    const std::pair<std::string, std::string> cases[] = {{"4.1.2", "4.1.2"}, {"5", "5"}, {"0", ""}, {"-1", ""}, {"", ""}};
    for (const auto& [text, expected] : cases) {
        putText("lastUpgradeNotification", text);
        load();
        EXPECT_EQ(record.lastUpgradeNotification, expected) << text;
    }
    putNumber("upgradeNotification", 0);
    load();
    EXPECT_FALSE(record.upgradeNotification);
    putText("upgradeNotification", "weekly");
    load();
    EXPECT_TRUE(record.upgradeNotification) << "anything but 0 counts as on";
}

TEST_F(SettingsLoad, ARegistryThatCannotBeReadGivesTheDefaultsWithoutStopping) {
    putNumber("reportspam", 0);
    putNumber("MarkSpamAsRead", 1);
    registry.failAlways("queryValue");
    registry.failAlways("setValue");
    EXPECT_TRUE(load());
    EXPECT_EQ(record.reportspam, 1);
    EXPECT_FALSE(record.MarkSpamAsRead);
    EXPECT_EQ(record.junkfolder, "\\Personal Folders\\Tarnwick");
    EXPECT_EQ(record.threshold, 90);
    EXPECT_EQ(log.lastErrorNumber(), 1) << "nothing was logged as an error";
}

}  // namespace
}  // namespace tw::test
