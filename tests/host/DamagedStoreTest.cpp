// A word store cut short by a crash or a full disk, or missing, through the add-in over the demo profile and the real engine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/HostSession.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

class DamagedStore : public ::testing::Test {
protected:
    DamagedStore() : profile(temp.path() / "profile") {
        profile.createFromDemoIfEmpty(sourceDir() + "/demo/profile");
        options.librarySearchFolders = {engineDir(), fetchDir()};
    }

    fs::path dataFolder() const {
        return profile.root() / "drive_c/Documents and Settings/demo/Application Data/Microsoft/Outlook";
    }
    fs::path store() const { return dataFolder() / "tarnwords.db"; }
    void cutStoreShort() { fs::resize_file(store(), fs::file_size(store()) / 3); }
    std::string log() const { return readFile(profile.root() / "drive_c/Program Files/Tarnwick/report.txt"); }
    std::vector<fs::path> keptAside() const {
        std::vector<fs::path> kept;
        for (const auto& entry : fs::directory_iterator(dataFolder()))
            if (entry.path().filename().string().rfind("tarnwords.db.damaged-", 0) == 0) kept.push_back(entry.path());
        return kept;
    }

    /// One start of the client with the add-in; the prompts of the message boxes about damaged stores.
    std::vector<std::string> start(bool expectSorted) {
        host::HostSession session(profile, options);
        session.run();
        for (const auto& delivery : session.deliveries()) {
            if (!expectSorted) break;
            bool spam = delivery.source.rfind("spam-", 0) == 0;
            EXPECT_EQ(delivery.verdict, spam ? "spam" : "legitimate") << delivery.source;
        }
        std::vector<std::string> prompts;
        for (const auto& box : session.ui().boxes)
            if (box.prompt.find("damaged") != std::string::npos) prompts.push_back(box.prompt);
        return prompts;
    }

    TempFolder temp;
    host::Profile profile;
    host::RunOptions options;
};

TEST_F(DamagedStore, WithItsBackupTheTrainingIsBackAndOnlyTheLogSaysSo) {
    cutStoreShort();
    const auto cutSize = fs::file_size(store());
    auto boxes = start(true);  // the demo's mail is sorted by the training from the backup
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_NE(log().find("was damaged or missing and was restored from its backup"), std::string::npos) << log();
    EXPECT_GT(fs::file_size(store()), cutSize) << "the store was not written back whole";
}

TEST_F(DamagedStore, WithoutABackupTheFileIsKeptAsideAndTheUserIsToldOnce) {
    cutStoreShort();
    const auto cutSize = fs::file_size(store());
    fs::remove(dataFolder() / "tarnwords.db.bak");

    auto boxes = start(false);
    auto kept = keptAside();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(fs::file_size(kept[0]), cutSize);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(kept[0].filename().string()), std::string::npos) << boxes[0];
    const std::string firstLog = log();
    EXPECT_NE(firstLog.find("was damaged and had no intact backup"), std::string::npos) << firstLog;
    EXPECT_NE(firstLog.find(kept[0].filename().string()), std::string::npos);

    // The next start has nothing to tell, and the kept file is still there as it was.
    boxes = start(false);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_EQ(log().find("no intact backup", firstLog.size()), std::string::npos);
    ASSERT_EQ(keptAside().size(), 1u);
    EXPECT_EQ(fs::file_size(kept[0]), cutSize);
}

TEST_F(DamagedStore, ANewUserWithNoStoreAtAllIsProtectedByTheShippedRules) {
    fs::remove(store());
    fs::remove(dataFolder() / "tarnwords.db.bak");
    EXPECT_TRUE(start(true).empty());
    EXPECT_TRUE(fs::exists(profile.root() / "drive_c/Program Files/Tarnwick/tw1.bin"));
}

}  // namespace
}  // namespace tw::test
