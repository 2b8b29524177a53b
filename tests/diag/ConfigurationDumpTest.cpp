// The configuration dump and the settings summary: names, order and value texts of their lines.
#include <gtest/gtest.h>

#include "core/Text.h"
#include "diag/ConfigurationDump.h"
#include "diag/DiagFakes.h"

namespace tw::diag {
namespace {

std::string nameOf(uint32_t platformId, uint32_t major, uint32_t minor) {
    return getWindowsVersionName(platform::OsVersion{platformId, major, minor, 0});
}

TEST(ConfigurationDumpWindows, NamesEveryKnownReleaseAndNothingElse) {
    EXPECT_EQ(nameOf(2, 5, 1), "Windows XP");
    EXPECT_EQ(nameOf(2, 5, 2), "Windows XP");
    EXPECT_EQ(nameOf(2, 5, 0), "Windows 2000");
    EXPECT_EQ(nameOf(2, 4, 0), "Windows NT 4.0");
    EXPECT_EQ(nameOf(2, 3, 51), "Windows NT 3.51");
    EXPECT_EQ(nameOf(1, 4, 0), "Windows 95");
    EXPECT_EQ(nameOf(1, 4, 10), "Windows 98");
    EXPECT_EQ(nameOf(1, 4, 90), "Windows Mellinnium");
    // Unknown releases of a known family are left blank; an unknown family means the call failed.
    EXPECT_EQ(nameOf(2, 6, 0), "");
    EXPECT_EQ(nameOf(1, 4, 3), "");
    EXPECT_EQ(nameOf(0, 3, 11), "Failed");
}

class ConfigurationDumpLines : public ::testing::Test {
protected:
    fakes::FakeShell shell;
    settings::Settings record;
    AddinFacts facts{{2, 1, 0, 37}, "C:\\Program Files\\Tarnwick", "9.0.0.2711", true, true, true, 3, &record};

    void SetUp() override {
        record.reportspam = 0;
        record.filteringState = settings::filteringDisabled;
        record.threshold = 87.5;
        record.threshold2 = 95;
        record.MarkSpamAsRead = true;
        record.processed = 1234;
        record.caught = 56;
        record.scanInboxOnStartup = true;
    }
};

TEST_F(ConfigurationDumpLines, DumpListsEveryFactInOrderWithInternetMailModeOnlyForTheOldestClient) {
    const std::vector<std::string> expected = {
        "TW Version: 2.1.37", "Installed to: C:\\Program Files\\Tarnwick", "Windows version: Windows XP",
        "Outlook 9.0.0.2711", "MSIE: Internet Explorer 6.0.2900", "IMO: True", "TW Network: 0", "enabled: 16",
        "exclusive: True", "threshold: 87.5", "threshold2: 95", "customthr: False", "tbarI: True", "tbarE: True",
        "markasread: True", "ping: True", "connecterr: True", "autoupdate: True", "useuserprops: True",
        "processed: 1234", "caught: 56", "bounce: False", "proxy: False", "upgrades: True", "scaninbox: True"};
    EXPECT_EQ(text::split(configurationDump(facts, shell), "\r\n"), expected);

    facts.isOutlook2k = false;
    shell.browserFails = true;
    const std::vector<std::string> lines = text::split(configurationDump(facts, shell), "\r\n");
    ASSERT_EQ(lines.size(), expected.size() - 1);
    EXPECT_EQ(lines[4], "MSIE: ");
    EXPECT_EQ(lines[5], "TW Network: 0");
}

TEST_F(ConfigurationDumpLines, SummaryIsTheShortFormWithOwnAddressCount) {
    facts.isInternetMailMode = false;
    const std::vector<std::string> expected = {"TW Version: 2.1.37", "Outlook 9.0.0.2711", "IMO: False",
                                               "TW Network: 0", "enabled: 16", "exclusive: True",
                                               "threshold: 87.5", "threshold2: 95", "customthr: False",
                                               "useuserprops: True", "tome: 3"};
    EXPECT_EQ(text::split(settingsSummary(facts), "\r\n"), expected);

    facts.isOutlook2k = false;
    EXPECT_EQ(text::split(settingsSummary(facts), "\r\n")[2], "TW Network: 0");
}

}  // namespace
}  // namespace tw::diag
