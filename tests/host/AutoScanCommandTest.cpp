// The host's autoscan command and run --deliver-to: a watched folder's spam goes to the junk folder, run after run.
#include <gtest/gtest.h>

#include <sstream>

#include "host/AutoScanCommand.h"
#include "host/CommandLine.h"
#include "host/FolderListing.h"
#include "host/HostSession.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

const std::string kIncoming = sourceDir() + "/demo/profile/incoming/";

class AutoScanCommand : public ::testing::Test {
protected:
    AutoScanCommand() : profile(temp.path() / "profile") {
        profile.createFromDemoIfEmpty(sourceDir() + "/demo/profile");
        std::filesystem::remove_all(profile.root() / "incoming");
    }

    host::RunOptions options() {
        host::RunOptions o;
        o.librarySearchFolders = {engineDir(), fetchDir()};
        return o;
    }
    /// One run that delivers the files into the folder; the deliveries it reports.
    std::vector<host::DeliveryRecord> runDelivering(const std::string& folder, const std::vector<std::string>& files,
                                                    int seconds = 10) {
        auto o = options();
        o.deliverTo = folder;
        o.deliver = files;
        o.runSeconds = seconds;
        host::HostSession session(profile, o);
        session.run();
        return session.deliveries();
    }
    int autoscan(const std::string& action, const std::string& folder = {}) {
        out.str("");
        err.str("");
        host::HostSession session(profile, options());
        return host::runAutoScanCommand(session, host::parseAutoScanRequest(action, folder), out, err);
    }
    int itemsIn(const std::string& folder) {
        host::HostSession session(profile, options());
        return host::findFolder(session.client(), folder)->Items()->Count();
    }

    TempFolder temp;
    host::Profile profile;
    std::ostringstream out, err;
};

TEST_F(AutoScanCommand, AWatchedFolderGetsItsSpamMovedAndStaysWatchedAfterARestart) {
    // The folder is made by the first delivery into it; not watched yet, its spam stays.
    auto first = runDelivering("Work", {kIncoming + "spam-00003.eml"});
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].verdict, "unchecked");
    EXPECT_EQ(first[0].folder, "\\Personal Folders\\Work");

    EXPECT_EQ(autoscan("add", "Work"), 0) << err.str();
    EXPECT_EQ(out.str(), "Watching \\Personal Folders\\Work\n");
    EXPECT_EQ(autoscan("add", "\\Personal Folders\\Work"), 0);
    EXPECT_EQ(out.str(), "\\Personal Folders\\Work is watched already\n");

    // New spam is checked as it arrives, the older spam by the pass five minutes in.
    auto second = runDelivering("Work", {kIncoming + "spam-00011.eml", kIncoming + "ham-00015.eml"}, 360);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].verdict, "spam");
    EXPECT_EQ(second[0].folder, "\\Personal Folders\\Tarnwick");
    EXPECT_EQ(second[1].verdict, "legitimate");
    EXPECT_EQ(second[1].folder, "\\Personal Folders\\Work");
    EXPECT_EQ(itemsIn("Work"), 1) << "the spam that came before the folder was watched went in the pass";

    EXPECT_EQ(autoscan("list"), 0);
    EXPECT_EQ(out.str(), "\\Personal Folders\\Work\n");
    auto third = runDelivering("Work", {kIncoming + "spam-00023.eml"});
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third[0].verdict, "spam");

    EXPECT_EQ(autoscan("remove", "Work"), 0);
    EXPECT_EQ(out.str(), "No longer watching \\Personal Folders\\Work\n");
    EXPECT_EQ(autoscan("list"), 0);
    EXPECT_EQ(out.str(), "No folders are watched.\n");
    EXPECT_EQ(autoscan("remove", "Work"), 1);
    EXPECT_NE(err.str().find("is not watched"), std::string::npos);
}

TEST_F(AutoScanCommand, AnUnknownFolderIsRefusedAndNothingIsWatched) {
    EXPECT_EQ(autoscan("add", "Nowhere"), 1);
    EXPECT_NE(err.str().find("Nowhere"), std::string::npos) << err.str();
    EXPECT_EQ(autoscan("list"), 0);
    EXPECT_EQ(out.str(), "No folders are watched.\n");
}

TEST(AutoScanCommandLine, TheCommandAndDeliverToRead) {
    auto add = host::parseCommandLine({"autoscan", "add", "\\Personal Folders\\Work"});
    EXPECT_EQ(add.command, host::Command::autoscan);
    EXPECT_EQ(add.autoscan.action, host::AutoScanRequest::Action::add);
    EXPECT_EQ(add.autoscan.folder, "\\Personal Folders\\Work");
    EXPECT_EQ(host::parseCommandLine({"autoscan", "list"}).autoscan.action, host::AutoScanRequest::Action::list);
    for (auto args : std::vector<std::vector<std::string>>{
             {"autoscan"}, {"autoscan", "watch", "Work"}, {"autoscan", "add"}, {"autoscan", "list", "Work"},
             {"run", "a.eml"}})
        EXPECT_THROW(host::parseCommandLine(args), host::UsageError) << args.back();

    auto run = host::parseCommandLine({"run", "--seconds", "300", "--deliver-to", "Work", "a.eml", "b.eml"});
    EXPECT_EQ(run.run.deliverTo, "Work");
    EXPECT_EQ(run.run.deliver, (std::vector<std::string>{"a.eml", "b.eml"}));
    EXPECT_EQ(run.run.runSeconds, 300);
}

}  // namespace
}  // namespace tw::test
