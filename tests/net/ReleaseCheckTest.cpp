// The release check at start-up through the simulated client: which answers offer a release, which start the
// rule updater, and which do nothing.
#include <gtest/gtest.h>

#include "fetchapi/tarnfetch_api.h"
#include "net/ReleaseVersion.h"
#include "net/frmNewRelease.h"
#include "scan/NewMailFixture.h"
#include "support/FetchRecording.h"

namespace tw::test {
namespace {

class ReleaseCheck : public NewMailFixture {
protected:
    void SetUp() override {
        h.ui.onModal("frmNewRelease", [this](platform::FormView& form) {
            auto& offer = static_cast<net::frmNewRelease&>(form);
            offers.push_back(offer.offeredVersion());
            labels.push_back(offer.label());
            if (ignore) offer.chkIgnore_Click(true);
            offer.cmdIgnore_Click();
        });
    }
    /// Connects with the release file answering `body`, and disconnects again.
    void startWith(const std::string& body, int32_t result = 0) {
        fetch.setBody(body);
        fetch.setResult(result);
        start();
        h.disconnectAddin();
    }
    size_t updaterStarts() {
        size_t n = 0;
        for (const auto& run : h.shell.shellRuns)
            if (run.file == "C:\\Program Files\\Tarnwick\\twupdate.exe") ++n;
        return n;
    }

    FetchRecording fetch;
    std::vector<std::string> offers, labels;
    bool ignore = false;
};

TEST_F(ReleaseCheck, ANewerReleaseIsOfferedUntilTheUserIgnoresIt) {
    ignore = true;
    startWith("version=4.0.1\r\n");
    ASSERT_EQ(offers, std::vector<std::string>{"4.0.1"});
    EXPECT_NE(labels[0].find("http://service.tarnwick.example/tarnwick/download.html"), std::string::npos) << labels[0];
    EXPECT_EQ(settingsKey().read("lastUpgradeNotification").toText(), "4.0.1");
    auto calls = fetch.calls();
    ASSERT_EQ(calls.size(), 2u) << "the connectivity check, then the release file";
    EXPECT_EQ(calls[1].rfind("GET http://service.tarnwick.example/tarnwick/release/version.txt connect=5 total=10 "
                             "buffer=100 ", 0),
              0u)
        << calls[1];

    startWith("version=4.0.1\r\n");
    EXPECT_EQ(offers.size(), 1u) << "an ignored release is not offered again";
    EXPECT_EQ(updaterStarts(), 0u);
}

TEST_F(ReleaseCheck, TickingDoNotRemindDisablesYesAndMakesNoTheButtonEnterPresses) {
    std::vector<std::string> seen;
    h.ui.onModal("frmNewRelease", [&](platform::FormView& form) {
        auto& c = *form.controls();
        seen = {c.caption, c["cmdOK"].caption, c["cmdIgnore"].caption, c["chkIgnore"].caption};
        c["chkIgnore"].value = true;
        c.click("chkIgnore");  // as the window reports a tick
        EXPECT_FALSE(c["cmdOK"].enabled);
        c.pressEnter();
    });
    startWith("version=4.0.1\r\n");
    EXPECT_EQ(seen, (std::vector<std::string>{"New Tarnwick Release", "&Yes", "&No", "Do not remind me about this release."}));
    EXPECT_EQ(settingsKey().read("lastUpgradeNotification").toText(), "4.0.1") << "Enter pressed No with the box ticked";
    EXPECT_TRUE(h.shell.opened.empty()) << "the download page was not opened";
}

TEST_F(ReleaseCheck, AReleaseNewerThanTheIgnoredOneIsOfferedWhenItsPartsCompareAsNumbers) {
    settingsKey().writeString("lastUpgradeNotification", "4.9.0");
    startWith("version=4.10.0");
    EXPECT_EQ(offers, std::vector<std::string>{"4.10.0"});
    startWith("version=4.9.0");
    EXPECT_EQ(offers.size(), 1u);
}

TEST_F(ReleaseCheck, AnEqualOrOlderReleaseStartsTheRuleUpdater) {
    startWith("version=4.0.0\n");
    ASSERT_EQ(updaterStarts(), 1u);
    const auto& run = h.shell.shellRuns.back();
    EXPECT_EQ(run.verb, "open");
    EXPECT_EQ(run.parameters, "1");
    EXPECT_EQ(run.directory, "C:\\Program Files\\Tarnwick");
    EXPECT_EQ(run.showCommand, 1);
    startWith("version=3.12.7");
    EXPECT_EQ(updaterStarts(), 2u);
    EXPECT_TRUE(offers.empty());
}

TEST_F(ReleaseCheck, FailedRequestsAndUnreadableFilesDoNothing) {
    startWith("<html>version=9.9.9</html>", 404);
    startWith("version=9.9.9", TF_TIMED_OUT);
    startWith("no version here");
    startWith("version=four");
    startWith("version=4.1");
    // A web page that happens to hold the words is not the release file.
    startWith("<html><p>version=9.9.9\n</p></html>");
    startWith("");
    EXPECT_TRUE(offers.empty());
    EXPECT_EQ(updaterStarts(), 0u);
    EXPECT_FALSE(h.logHas("Error #")) << h.logText();
}

TEST_F(ReleaseCheck, TheVersionIsTheTextAfterVersionEqualsEvenWhenTheAnswerFillsTheBuffer) {
    // 100 bytes: exactly the release request's buffer, with no room for a terminator from the library.
    std::string body = "product=tarnwick\r\nversion=4.0.2\r\n";
    body += std::string(100 - body.size(), '#');
    startWith(body);
    EXPECT_EQ(offers, std::vector<std::string>{"4.0.2"});
}

TEST_F(ReleaseCheck, NoCheckWhenSwitchedOffOrWhenTheServiceCannotBeReached) {
    settingsKey().writeFlag(false, "upgradeNotification");
    startWith("version=4.0.0");
    EXPECT_EQ(fetch.count(), 0u);
    settingsKey().writeFlag(true, "upgradeNotification");
    startWith("version=4.0.0", TF_CANNOT_CONNECT);
    EXPECT_EQ(fetch.count(), 1u) << "only the connectivity check";
    EXPECT_EQ(updaterStarts(), 0u);
}

TEST_F(ReleaseCheck, TheStartUpStopsWhenTheClientClosesWhileTheOfferIsOpen) {
    settingsKey().writeFlag(true, "scanInboxOnStartup");
    deliver("seller@spam.example", "cheap pills");
    // The client closes its last window, then drops the add-in, while the offer waits for an answer.
    h.ui.onModal("frmNewRelease", [this](platform::FormView&) {
        h.client.closeExplorer(h.client.activeExplorer());
        h.disconnectAddin();
    });
    fetch.setBody("version=4.0.1\r\n");
    start();
    for (const auto& show : h.ui.formShows) {
        EXPECT_NE(show.formName, "frmScanning") << "the start-up scan ran on an add-in the client had dropped";
        EXPECT_FALSE(show.closedBySim) << show.formName << " outlived the add-in";
    }
}

TEST(ReleaseVersion, PartsAreNumbersAndOnlyThreeOfThemMakeARelease) {
    using net::parseRelease;
    EXPECT_EQ(parseRelease("4.10.0"), (net::ReleaseNumber{4, 10, 0}));
    for (const char* bad : {"", "4", "4.0", "4.0.0.1", "4..0", "4.0.x", " 4.0.0", "4.0.-1", "4.0.99999999999"})
        EXPECT_FALSE(parseRelease(bad).has_value()) << bad;
    EXPECT_TRUE(net::isNewer({4, 10, 0}, {4, 9, 0}));
    EXPECT_FALSE(net::isNewer({4, 9, 9}, {4, 10, 0}));
    EXPECT_TRUE(net::shouldRemind({4, 0, 1}, "not a release"));
    EXPECT_EQ(net::offeredVersionText("a=1\nversion= 4.0.3 \r\nb=2"), "4.0.3");
}

}  // namespace
}  // namespace tw::test
