// The host's lists and options commands over a demo profile: the lists kept across runs, an
// approval taking a sender off the blocked list, bad input refused, and the dialog printed.
#include <gtest/gtest.h>

#include <sstream>

#include "host/CommandLine.h"
#include "host/ListsCommand.h"
#include "host/OptionsCommand.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

class ListsAndOptionsCommand : public ::testing::Test {
protected:
    ListsAndOptionsCommand() : profile(temp.path() / "profile") {
        profile.createFromDemoIfEmpty(sourceDir() + "/demo/profile");
        std::filesystem::remove_all(profile.root() / "incoming");
    }
    host::RunOptions options() {
        host::RunOptions o;
        o.librarySearchFolders = {engineDir(), fetchDir()};
        return o;
    }
    int lists(const std::string& action, const std::string& list, const std::vector<std::string>& values = {}) {
        out.str("");
        err.str("");
        host::HostSession session(profile, options());
        return host::runListsCommand(session, host::parseListsRequest(action, list, values), out, err);
    }

    TempFolder temp;
    host::Profile profile;
    std::ostringstream out, err;
};

TEST_F(ListsAndOptionsCommand, ListsChangeThroughTheStoreAndLastAcrossRuns) {
    ASSERT_EQ(lists("add", "blocked", {"Pest@spam.example", "spam.example"}), 0) << err.str();
    ASSERT_EQ(lists("add", "approved", {"pest@spam.example"}), 0) << err.str();
    EXPECT_NE(out.str().find("Taken off the blocked senders"), std::string::npos) << out.str();
    ASSERT_EQ(lists("show", "blocked"), 0);
    EXPECT_EQ(out.str(), "spam.example\n");

    EXPECT_EQ(lists("edit", "approved", {"pest@spam.example", "friend@spam.example"}), 0) << err.str();
    ASSERT_EQ(lists("show", "approved"), 0);
    EXPECT_NE(out.str().find("friend@spam.example\n"), std::string::npos);
    EXPECT_EQ(out.str().find("pest@spam.example"), std::string::npos);

    EXPECT_EQ(lists("edit", "approved", {"nobody@x.example", "a@x.example"}), 1);
    EXPECT_NE(err.str().find("nobody@x.example is not in the approved senders"), std::string::npos);
    EXPECT_EQ(lists("remove", "blocked", {"spam.example", "other.example"}), 1);
    EXPECT_NE(out.str().find("Removed spam.example"), std::string::npos);
    ASSERT_EQ(lists("show", "blocked"), 0);
    EXPECT_EQ(out.str(), "No blocked senders.\n");

    ASSERT_EQ(lists("add", "my-addresses", {"me@home.example"}), 0);
    ASSERT_EQ(lists("show", "my-addresses"), 0);
    EXPECT_EQ(out.str(), "me@home.example\n");
}

TEST_F(ListsAndOptionsCommand, BadListRequestsAreRefusedWithTheReason) {
    auto refused = [](std::vector<std::string> args) {
        try {
            host::parseCommandLine(args);
        } catch (const host::UsageError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_NE(refused({"lists", "show", "friends"}).find("no list \"friends\""), std::string::npos);
    EXPECT_NE(refused({"lists", "drop", "approved"}).find("show, add, remove or edit"), std::string::npos);
    EXPECT_NE(refused({"lists", "add", "approved"}).find("needs at least one entry"), std::string::npos);
    EXPECT_NE(refused({"lists", "edit", "approved", "a@b.example"}).find("the old entry and the new one"),
              std::string::npos);
    EXPECT_NE(refused({"lists", "add", "approved", "a@b.example,c@d.example"}).find("is not an address or domain"),
              std::string::npos);
    EXPECT_EQ(host::parseCommandLine({"lists", "add", "mailing-lists", "news@list.example"}).command,
              host::Command::lists);
}

TEST_F(ListsAndOptionsCommand, OptionsPrintsTheTreeWithTicksAndTheStrengthPage) {
    host::HostSession session(profile, options());
    ASSERT_EQ(host::runOptionsCommand(session, out, err), 0) << err.str();
    const std::string shown = out.str();
    EXPECT_NE(shown.find("Tarnwick Options\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("    General Options\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("      [x] Enable Tarnwick\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Enable Block/Approve Confirmations"), std::string::npos);
    EXPECT_NE(shown.find("Spam filter strength: "), std::string::npos);
    EXPECT_NE(shown.find("(o) "), std::string::npos) << "one strength is chosen";
    EXPECT_NE(shown.find("Spam folder: "), std::string::npos);
}

TEST_F(ListsAndOptionsCommand, OptionsPrintsOnePageWithTheControlsItShows) {
    {
        host::HostSession session(profile, options());
        ASSERT_EQ(host::runOptionsCommand(session, out, err, "ApprovedSenders"), 0) << err.str();
    }
    const std::string shown = out.str();
    EXPECT_NE(shown.find("Page ApprovedSenders: Senders\n  Messages from your Approved Senders"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Shows: lstEntries cmdAdd cmdEdit cmdDelete cmdImport\n"), std::string::npos) << shown;

    host::HostSession again(profile, options());
    EXPECT_EQ(host::runOptionsCommand(again, out, err, "NoSuchPage"), 1);
    EXPECT_NE(err.str().find("no page \"NoSuchPage\""), std::string::npos) << err.str();
}

}  // namespace
}  // namespace tw::test
