// The monitor's arguments and its wait: it connects the add-in once a main window is open, and gives up when the client ends.
#include <gtest/gtest.h>

#include "hostwatch/Watch.h"

namespace tw::hostwatch {
namespace {

TEST(HostWatchArguments, ReadTheAddInTheProcessAndTheThreadInAnyCase) {
    auto parsed = parseArguments({"/n", "OrvennaOutlookAddIn.Connect", "/P", "4242", "/t", "1717"});
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->progId, "OrvennaOutlookAddIn.Connect");
    EXPECT_EQ(parsed->processId, 4242u);
    EXPECT_EQ(parsed->threadId, 1717u);
    EXPECT_TRUE(parseArguments({"/p", "7", "/n", "X.Connect"})) << "the thread is not needed";
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {}, {"/n", "X.Connect"}, {"/p", "7"}, {"/n", "X.Connect", "/p", "seven"}, {"/n", "X.Connect", "/p", "0"},
             {"/n", "X.Connect", "/p", "7", "/t"}, {"/n", "X.Connect", "/p", "7", "/x", "1"}, {"/n", "X.Connect", "/p", "-7"}})
        EXPECT_FALSE(parseArguments(bad)) << bad.size();
}

/// A client scripted round by round: when its window opens, when it ends, how connections go.
struct ScriptedClient : Client {
    int round = 0, explorerFrom = 1000, endsAt = 1000;
    std::vector<bool> connectResults;
    std::vector<int> reconnectRounds;
    std::vector<int> waits;

    bool waitForEnd(int milliseconds) override {
        waits.push_back(milliseconds);
        return ++round >= endsAt;
    }
    bool hasExplorer() override { return round >= explorerFrom; }
    bool reconnect(const std::string& progId) override {
        EXPECT_EQ(progId, "X.Connect");
        reconnectRounds.push_back(round);
        size_t at = reconnectRounds.size() - 1;
        return at < connectResults.size() && connectResults[at];
    }
};

TEST(HostWatchLoop, ConnectsOnceTheFirstMainWindowIsOpenAndEndsThen) {
    ScriptedClient client;
    client.explorerFrom = 4;
    client.connectResults = {true};
    EXPECT_EQ(watch(client, "X.Connect", 250), Outcome::Connected);
    EXPECT_EQ(client.reconnectRounds, std::vector<int>{4});
    EXPECT_EQ(client.waits, std::vector<int>(4, 250)) << "every round waits on the process, none spins";
}

TEST(HostWatchLoop, EndsWithTheClientWhetherOrNotAWindowEverOpened) {
    ScriptedClient windowless;
    windowless.endsAt = 6;
    EXPECT_EQ(watch(windowless, "X.Connect"), Outcome::ClientEnded);
    EXPECT_TRUE(windowless.reconnectRounds.empty());

    // An add-in that never comes up is tried a few times, then the monitor only waits for the end.
    ScriptedClient failing;
    failing.explorerFrom = 1;
    failing.endsAt = 40;
    EXPECT_EQ(watch(failing, "X.Connect"), Outcome::ClientEnded);
    EXPECT_EQ(failing.reconnectRounds.size(), static_cast<size_t>(kConnectAttempts));

    ScriptedClient secondTime;
    secondTime.explorerFrom = 1;
    secondTime.connectResults = {false, true};
    EXPECT_EQ(watch(secondTime, "X.Connect"), Outcome::Connected);
    EXPECT_EQ(secondTime.reconnectRounds, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace tw::hostwatch
