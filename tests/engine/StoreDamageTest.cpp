// A damaged store is recovered from its backup, or kept aside so that nothing overwrites it, and said.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "AddressStore.h"
#include "FileIo.h"
#include "StoreRecovery.h"
#include "WordStore.h"
#include "engineapi/EngineLibrary.h"
#include "engineapi/StoreReport.h"
#include "sim/SimLibraryLoader.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tarn::engine {
namespace {

namespace fs = std::filesystem;

void cutShort(const std::string& path) {
    std::string bytes = *readWholeFile(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes.substr(0, bytes.size() / 2);
}

WordStore trained(int trainings) {
    WordStore store;
    for (int i = 0; i < trainings; ++i) store.train({static_cast<uint64_t>(i + 1), 99}, i % 2 == 0, 1);
    return store;
}

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(StoreDamage, ACutShortWordStoreComesBackFromItsBackupAndIsWrittenBackInPlace) {
    tw::test::TempFolder folder;
    std::string path = (folder.path() / "tarnwords.db").string();
    ASSERT_TRUE(trained(3).save(path));
    ASSERT_TRUE(trained(4).save(path));  // the three-training store is the backup now
    cutShort(path);
    std::string cut = *readWholeFile(path);

    WordStore loaded;
    StoreLoad found = loaded.load(path);
    EXPECT_EQ(found.source, StoreLoad::Source::backup);
    EXPECT_EQ(loaded.totals().serial, 3u);
    ASSERT_EQ(found.keptAside.size(), 1u);
    EXPECT_EQ(found.keptAside[0].first, path);
    EXPECT_EQ(readWholeFile(found.keptAside[0].second), cut) << "the damaged file was not kept as it was";

    WordStore again;
    EXPECT_EQ(again.load(path).source, StoreLoad::Source::file) << "the store was not written back in its place";
    EXPECT_EQ(again.totals().serial, 3u);
}

TEST(StoreDamage, WithoutAnIntactBackupTheDamagedFileIsKeptAsideAndNoSaveTouchesIt) {
    tw::test::TempFolder folder;
    std::string path = (folder.path() / "tarnwords.db").string();
    ASSERT_TRUE(trained(5).save(path));
    cutShort(path);
    std::string cut = *readWholeFile(path);
    std::ofstream(path + ".bak", std::ios::binary) << "not a store";

    WordStore loaded;
    StoreLoad found = loaded.load(path);
    EXPECT_FALSE(found);
    EXPECT_TRUE(found.damaged);
    EXPECT_EQ(loaded.size(), 0u);
    ASSERT_EQ(found.keptAside.size(), 2u);
    const std::string aside = found.keptAside[0].second;
    EXPECT_EQ(aside.rfind(path + ".damaged-", 0), 0u) << aside;
    EXPECT_EQ(aside.size(), path.size() + std::string(".damaged-YYYYMMDD-HHMMSS").size()) << aside;
    EXPECT_EQ(found.keptAside[1].first, path + ".bak");
    EXPECT_FALSE(found.keptAside[1].second.empty());

    // Two saves: the first writes the new store, the second makes it the backup; the kept file stays.
    ASSERT_TRUE(trained(1).save(path));
    ASSERT_TRUE(trained(2).save(path));
    EXPECT_EQ(readWholeFile(aside), cut);
    // The next load finds an intact store and has nothing to report.
    WordStore next;
    StoreLoad later = next.load(path);
    EXPECT_EQ(later.source, StoreLoad::Source::file);
    EXPECT_FALSE(later.damaged);
    EXPECT_TRUE(later.keptAside.empty());
}

TEST(StoreDamage, KeptFilesNeverReplaceOneAnotherAndAMissingStoreIsNoDamage) {
    tw::test::TempFolder folder;
    std::string path = (folder.path() / "tarnaddresses.db").string();
    AddressStore none;
    StoreLoad missing = none.load(path);
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.damaged);
    EXPECT_TRUE(filesIn(folder.path()).empty());

    std::vector<std::string> kept;
    for (int i = 0; i < 3; ++i) {
        std::ofstream(path, std::ios::binary) << "tarnwick address store 1\nann@example.org\t1\t0\n#crc 0000";
        AddressStore store;
        StoreLoad found = store.load(path);
        ASSERT_EQ(found.keptAside.size(), 1u);
        kept.push_back(found.keptAside[0].second);
    }
    EXPECT_EQ(filesIn(folder.path()).size(), 3u);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(std::unique(kept.begin(), kept.end()), kept.end()) << "a kept file was replaced";
    EXPECT_EQ(damagedFileName("x.db", 0).size(), std::string("x.db.damaged-YYYYMMDD-HHMMSS").size());
}

TEST(StoreDamage, TheEngineReportsRecoveredAndKeptFilesThroughAReadOnlyOption) {
    tw::test::TempFolder folder;
    const std::string words = (folder.path() / "tarnwords.db").string();
    const std::string addresses = (folder.path() / "tarnaddresses.db").string();
    ASSERT_TRUE(trained(2).save(words));
    ASSERT_TRUE(trained(3).save(words));
    cutShort(words);
    std::ofstream(addresses, std::ios::binary) << "garbage";

    tw::sim::SimLibraryLoader loader({tw::test::engineDir()});
    tw::engineapi::EngineLibrary engine(loader);
    int32_t handle = engine.TW_constructor("Outlook", folder.path().string());
    engine.TW_setOption(handle, "offsetdir", folder.path().string());
    EXPECT_NE(engine.TW_setOption(handle, TW_STORE_RECOVERY_OPTION, "x"), 0) << "the report can be overwritten";
    ASSERT_EQ(engine.TW_initialize(handle), 0);
    int32_t status = -1;
    auto events = tw::engineapi::parseStoreRecovery(engine.getLongOption(handle, TW_STORE_RECOVERY_OPTION, &status));
    EXPECT_EQ(status, 0);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_TRUE(events[0].recovered);
    EXPECT_EQ(events[0].store, "words");
    EXPECT_FALSE(events[1].recovered);
    EXPECT_EQ(events[1].path, words);
    EXPECT_FALSE(events[2].recovered);
    EXPECT_EQ(events[2].store, "addresses");
    EXPECT_TRUE(fs::exists(events[2].keptAs));
    EXPECT_EQ(engine.TW_getOption(handle, "wordtraining_totalspam"), "1");
    engine.TW_destructor(handle);

    // A new engine over the same folder finds nothing more to tell.
    handle = engine.TW_constructor("Outlook", folder.path().string());
    engine.TW_setOption(handle, "offsetdir", folder.path().string());
    engine.TW_initialize(handle);
    EXPECT_EQ(engine.getLongOption(handle, TW_STORE_RECOVERY_OPTION), "");
    engine.TW_destructor(handle);
}

TEST(StoreDamage, ADamagedStoreThatCannotBeMovedAsideIsNeverSavedOver) {
    tw::test::TempFolder folder;
    const std::string addresses = (folder.path() / "tarnaddresses.db").string();
    std::ofstream(addresses, std::ios::binary) << "garbage";
    // Every name the damaged file could be kept under in the next seconds is taken.
    const std::time_t now = std::time(nullptr);
    for (std::time_t when = now; when < now + 5; ++when) {
        const std::string base = damagedFileName(addresses, when);
        std::ofstream(base) << "older";
        for (int n = 2; n <= 100; ++n) std::ofstream(base + "-" + std::to_string(n)) << "older";
    }

    tw::sim::SimLibraryLoader loader({tw::test::engineDir()});
    tw::engineapi::EngineLibrary engine(loader);
    int32_t handle = engine.TW_constructor("Outlook", folder.path().string());
    engine.TW_setOption(handle, "offsetdir", folder.path().string());
    ASSERT_EQ(engine.TW_initialize(handle), 0);
    auto events = tw::engineapi::parseStoreRecovery(engine.getLongOption(handle, TW_STORE_RECOVERY_OPTION));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(events[0].keptAs.empty());
    // What the session learns stays in memory; the damaged file is left for the user to rescue.
    EXPECT_EQ(engine.TW_addSpamAddrFrom(handle, "new@friend.example", 1, true), 0);
    int32_t seen = 0;
    EXPECT_EQ(engine.TW_getSpamAddrFrom(handle, "new@friend.example", seen), 0);
    EXPECT_EQ(seen, 1);
    engine.TW_destructor(handle);
    EXPECT_EQ(readWholeFile(addresses), "garbage") << "the only copy of the damaged store was saved over";
}

}  // namespace
}  // namespace tarn::engine
