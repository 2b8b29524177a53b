// Training the profile's engine from message folders, and what that does to the next run.
#include <gtest/gtest.h>

#include <sstream>

#include "core/Error.h"
#include "host/HostSession.h"
#include "host/SettingsCommands.h"
#include "host/TrainCommand.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

TEST(TrainCommand, TrainsTheProfilesStoreFromFilesAndMaildirs) {
    TempFolder temp;
    host::Profile profile(temp.path() / "profile");
    profile.createFromDemoIfEmpty(sourceDir() + "/demo/profile");
    const fs::path store =
        profile.root() / "drive_c/Documents and Settings/demo/Application Data/Microsoft/Outlook/tarnwords.db";
    // Without its backup too, or the engine would take the store back from it.
    fs::remove(store);
    fs::remove(fs::path(store) += ".bak");

    // A Maildir of spam and a plain folder of ham.
    fs::create_directories(temp.path() / "spam/cur");
    fs::create_directories(temp.path() / "ham");
    fs::copy(sourceDir() + "/tests/engine/data/spam-base64.eml", temp.path() / "spam/cur/1:2,S");
    fs::copy(sourceDir() + "/tests/engine/data/spam-html-qp.eml", temp.path() / "spam/cur/2:2,S");
    fs::copy(sourceDir() + "/tests/engine/data/ham-list.eml", temp.path() / "ham/one.eml");

    host::RunOptions options;
    options.librarySearchFolders = {engineDir()};
    std::ostringstream progress;
    {
        host::HostSession session(profile, options);
        auto result = host::trainEngine(session, {{temp.path() / "spam"}, {temp.path() / "ham"}}, progress);
        EXPECT_EQ(result.spamTrained, 2);
        EXPECT_EQ(result.hamTrained, 1);
        EXPECT_EQ(result.skipped, 0);
        EXPECT_EQ(result.spamInStore, 2);
        EXPECT_EQ(result.hamInStore, 1);
        EXPECT_FALSE(result.minimumReached());
    }
    EXPECT_NE(progress.str().find("3 of 3"), std::string::npos);
    EXPECT_NE(progress.str().find("holds 2 spam and 1 legitimate"), std::string::npos) << progress.str();
    EXPECT_NE(progress.str().find("not reached"), std::string::npos) << progress.str();
    EXPECT_TRUE(fs::exists(store)) << "the engine keeps its store in the profile's data folder";

    // A second training adds to what the store holds; with a lower minimum it is enough.
    std::ostringstream out, err;
    ASSERT_EQ(host::setSettings(profile, {"min_training=2"}, out, err), 0) << err.str();
    std::ostringstream again;
    host::HostSession session(profile, options);
    auto result = host::trainEngine(session, {{}, {sourceDir() + "/tests/engine/data/ham-list.eml"}}, again);
    EXPECT_EQ(result.hamInStore, 2);
    EXPECT_TRUE(result.minimumReached());
    EXPECT_NE(again.str().find("minimum training (2 of each) is reached"), std::string::npos) << again.str();
}

TEST(TrainCommand, AMissingSourceIsRefusedBeforeAnythingIsTrained) {
    TempFolder temp;
    host::Profile profile(temp.path() / "profile");
    profile.createFromDemoIfEmpty(sourceDir() + "/demo/profile");
    host::RunOptions options;
    options.librarySearchFolders = {engineDir()};
    host::HostSession session(profile, options);
    std::ostringstream progress;
    EXPECT_THROW(host::trainEngine(session, {{temp.path() / "nowhere"}, {}}, progress), Error);
    EXPECT_EQ(progress.str(), "");
}

TEST(TrainCommand, WithoutAnEngineTheUserIsToldSo) {
    TempFolder temp;
    host::Profile profile(temp.path() / "profile");
    profile.createFromDemoIfEmpty(sourceDir() + "/demo/profile");
    host::HostSession session(profile, {});
    std::ostringstream progress;
    EXPECT_THROW(host::trainEngine(session, {{}, {sourceDir() + "/tests/engine/data/ham-list.eml"}}, progress), Error);
}

}  // namespace
}  // namespace tw::test
