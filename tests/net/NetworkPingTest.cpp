// The connectivity check through the simulated client: the 10-second rule, the one-time warning, hasConnected,
// and the queue leaving new mail for a later pass while the service cannot be reached.
#include <gtest/gtest.h>

#include "core/StringTable.h"
#include "fetchapi/tarnfetch_api.h"
#include "net/NetworkPing.h"
#include "net/frmConnect.h"
#include "scan/NewMailFixture.h"
#include "settings/ServiceAddresses.h"
#include "support/FetchRecording.h"

namespace tw::test {
namespace {

class NetworkPing : public NewMailFixture {
protected:
    void SetUp() override {
        // The release check asks at start-up too; these tests count the connectivity requests alone.
        settingsKey().writeFlag(false, "upgradeNotification");
    }
    /// Checks, then answers the warning the check left open, as the user would.
    bool ping() {
        const bool reached = h.addin().TWPingUI();
        if (auto* form = h.ui.visibleForm("frmConnect")) {
            auto& warning = static_cast<net::frmConnect&>(*form);
            warnings.push_back(warning.Label1());
            if (tickDontShow) warning.chkConnectErr_Click(true);
            warning.cmdOK_Click();
        }
        return reached;
    }
    std::optional<platform::RegValue> stored(const std::string& name) {
        return h.registry.queryValue(platform::Hive::CurrentUser, "Software\\Orvenna", name);
    }

    FetchRecording fetch;
    std::vector<std::string> warnings;
    bool tickDontShow = false;
};

TEST_F(NetworkPing, AnUnreachableServiceIsWarnedOfOnceAndAskedAtMostEveryTenSeconds) {
    fetch.setResult(TF_CANNOT_CONNECT);
    start();
    EXPECT_FALSE(ping());
    ASSERT_EQ(fetch.count(), 1u);
    EXPECT_EQ(fetch.calls()[0].rfind("GET http://service.tarnwick.example/tarnwick/tarnwickping.txt connect=3 total=5 "
                                     "buffer=24 ",
                                     0),
              0u)
        << "short time-outs on the window thread: " << fetch.calls()[0];
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], loadString(283) + "\r\n\r\n" + loadString(284));

    h.loop.advance(3000);
    EXPECT_FALSE(ping());
    EXPECT_EQ(fetch.count(), 1u) << "three seconds later the answer stands without a request";

    h.loop.advance(8000);
    EXPECT_FALSE(ping());
    EXPECT_EQ(fetch.count(), 2u);
    EXPECT_EQ(warnings.size(), 1u) << "the warning is shown once per connection";
    EXPECT_EQ(h.logCount("cannot connect to Network"), 2);
    EXPECT_FALSE(stored("hasConnected").has_value());
}

TEST_F(NetworkPing, AtStartUpTheWarningWaitsForNobodyAndTeardownClosesIt) {
    // Every network setting as a new user has it: the release check pings while the client starts.
    settingsKey().writeFlag(true, "upgradeNotification");
    fetch.setResult(TF_CANNOT_CONNECT);
    start();
    ASSERT_TRUE(h.ui.isFormVisible("frmConnect")) << "the start-up went on with the warning open beside the client";
    EXPECT_FALSE(h.ui.formShows.back().modal);
    const size_t shows = h.ui.formShows.size();
    h.loop.advance(11000);
    EXPECT_FALSE(h.addin().TWPingUI());
    EXPECT_EQ(h.ui.formShows.size(), shows) << "warned once per connection";

    h.addin().UnInitHandler();
    EXPECT_FALSE(h.ui.isFormVisible("frmConnect"));
}

TEST_F(NetworkPing, AReachedServiceIsNotAskedAgainInThisConnectionAndIsRememberedForGood) {
    start();
    EXPECT_TRUE(ping());
    h.loop.advance(60000);
    EXPECT_TRUE(ping());
    EXPECT_EQ(fetch.count(), 1u);
    EXPECT_EQ(stored("hasConnected"), platform::RegValue::ofDword(1));

    // The next connection asks afresh; its warning leaves out the proxy hint, the service was reached before.
    fetch.setResult(TF_TIMED_OUT);
    restart();
    EXPECT_FALSE(ping());
    EXPECT_EQ(fetch.count(), 2u);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], loadString(283));
}

TEST_F(NetworkPing, AFailureOfAnyKindNeverCountsAsReached) {
    fetch.setResult(-1);
    start();
    EXPECT_FALSE(ping());
    EXPECT_FALSE(settings().hasConnected);
    EXPECT_FALSE(stored("hasConnected").has_value());
}

TEST_F(NetworkPing, ALoginPageInTheServicesPlaceIsNotTheServiceReached) {
    // A hotel's network answers every address with its own page, and with success.
    fetch.setPingBody("<html><body>Sign in to continue</body></html>");
    start();
    EXPECT_FALSE(ping());
    EXPECT_FALSE(stored("hasConnected").has_value());
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(h.logHas("the answer is not the service's ping page")) << h.logText();

    // Signed in, the service's own page comes through; a line end after its text is allowed.
    fetch.setPingBody(std::string(settings::kPingPageText) + "\r\n");
    h.loop.advance(11000);
    EXPECT_TRUE(ping());
    EXPECT_EQ(stored("hasConnected"), platform::RegValue::ofDword(1));
}

TEST(PingAnswer, OnlyThePagesOwnTextCounts) {
    const std::string text(settings::kPingPageText);
    EXPECT_TRUE(net::isPingAnswer(text));
    EXPECT_TRUE(net::isPingAnswer(text + "\n"));
    for (const std::string& other : {std::string(), text.substr(0, text.size() - 1), text + " and more",
                                     " " + text, std::string("\r\n")})
        EXPECT_FALSE(net::isPingAnswer(other)) << other;
}

TEST_F(NetworkPing, TickingTheWarningsBoxTurnsTheWarningOffButNotTheCheck) {
    fetch.setResult(TF_CANNOT_CONNECT);
    tickDontShow = true;
    start();
    EXPECT_FALSE(ping());
    EXPECT_EQ(stored("EnableConnectErr"), platform::RegValue::ofDword(0));
    restart();
    EXPECT_FALSE(ping());
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_EQ(fetch.count(), 2u);
}

TEST_F(NetworkPing, NewMailWaitsWhileTheServiceCannotBeReachedAndIsCheckedOnceItAnswers) {
    fetch.setResult(TF_CANNOT_CONNECT);
    start();
    auto spam = deliver("spammer@y.example", "Cheap pills");
    engine.setScoreFor("Cheap pills", 99);
    runQueue(5000);
    EXPECT_TRUE(inInbox(spam));
    EXPECT_FALSE(marked(spam)) << "left unmarked, so a later pass finds it";
    EXPECT_EQ(timesScored("spammer@y.example"), 0);

    fetch.setResult(0);
    runQueue();
    EXPECT_TRUE(inJunk(spam));
    EXPECT_EQ(timesScored("spammer@y.example"), 1);
}

TEST_F(NetworkPing, WithTheServiceNotInUseOrTheChecksOffNoRequestIsMade) {
    fetch.setResult(TF_CANNOT_CONNECT);
    settingsKey().writeNumber("reportspam", 0);
    start();
    auto good = deliver("colleague@z.example", "Minutes");
    runQueue();
    EXPECT_TRUE(marked(good));
    EXPECT_EQ(fetch.count(), 0u);

    settingsKey().writeFlag(false, "EnablePingChecks");
    settingsKey().writeNumber("reportspam", 1);
    restart();
    EXPECT_TRUE(ping());
    EXPECT_EQ(fetch.count(), 0u);
}

}  // namespace
}  // namespace tw::test
