// The engine's stores and their backups stay whole when saving is stopped at any point, as by a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "AddressStore.h"
#include "FileIo.h"
#include "WordStore.h"
#include "support/CrashPoints.h"
#include "support/TempFolder.h"

namespace tarn::engine {
namespace {

namespace fs = std::filesystem;
using tw::test::CrashCountdown;
using tw::test::SimulatedCrash;

void putBytes(const std::string& path, const std::optional<std::string>& bytes) {
    std::error_code ec;
    if (!bytes) {
        fs::remove(path, ec);
        return;
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << *bytes;
}

// Saves `after` over a store whose file and backup hold `file` and `backup`, stopped at every stage
// in turn; after each stop the file must hold the old or the new store whole, the backup the old
// backup or the old store, and the next save must succeed over whatever the stop left.
template <class Store>
void expectEveryStopLeavesWholeFiles(const Store& before, const Store& after) {
    tw::test::TempFolder folder;
    const std::string path = (folder.path() / "store.db").string();
    ASSERT_TRUE(before.save(path));
    ASSERT_TRUE(before.save(path));  // now with a backup
    const auto oldFile = readWholeFile(path), oldBackup = readWholeFile(path + ".bak");
    const std::string newFile = after.serialize();
    ASSERT_TRUE(oldFile && oldBackup);

    tw::test::ScopedStageHook<WriteStageHook> hook(setWriteStageHookForTesting,
                                                    &CrashCountdown::hook<WriteStage, std::string>);
    int stops = tw::test::forEveryCrashPoint([&](int k) {
        putBytes(path, oldFile);
        putBytes(path + ".bak", oldBackup);
        CrashCountdown::arm(k);
        bool saved = false;
        try {
            saved = after.save(path);
        } catch (const SimulatedCrash&) {
        }
        CrashCountdown::disarm();
        const bool stopped = CrashCountdown::hasStruck();
        EXPECT_EQ(saved, !stopped) << "stop " << k;

        const auto file = readWholeFile(path), backup = readWholeFile(path + ".bak");
        EXPECT_TRUE(file == oldFile || file == newFile) << "the store after stop " << k << " is neither old nor new";
        EXPECT_TRUE(backup == oldBackup || backup == oldFile) << "the backup after stop " << k << " is torn";
        Store reread;
        EXPECT_TRUE(reread.load(path)) << "stop " << k;
        EXPECT_TRUE(reread.size() == before.size() || reread.size() == after.size()) << "stop " << k;

        EXPECT_TRUE(after.save(path)) << "a save after stop " << k << " fails over what it left";
        EXPECT_EQ(readWholeFile(path), newFile);
        return stopped;
    });
    // Two stages each for the backup and the store itself.
    EXPECT_EQ(stops, 4);
}

TEST(StoreCrash, TheWordStoreAndItsBackupSurviveAStopAtEveryStage) {
    WordStore before;
    before.train({1, 2, 3}, true, 2);
    WordStore after = before;
    after.train({4, 5}, false, 1);
    expectEveryStopLeavesWholeFiles(before, after);
}

TEST(StoreCrash, TheAddressStoreAndItsBackupSurviveAStopAtEveryStage) {
    AddressStore before;
    before.change("ann@example.org", true, 2, true);
    AddressStore after = before;
    after.change("bob@example.org", false, 1, true);
    expectEveryStopLeavesWholeFiles(before, after);
}

}  // namespace
}  // namespace tarn::engine
