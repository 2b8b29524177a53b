// The engine's files: the word store, the address store and the report queue survive damage and crashes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AddressStore.h"
#include "FileIo.h"
#include "ReportQueue.h"
#include "WordStore.h"
#include "support/TempFolder.h"

namespace tarn::engine {
namespace {

namespace fs = std::filesystem;

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

WordStore trainedStore() {
    WordStore store;
    store.train({1, 2, 3}, true, 2);
    store.train({3, 4}, false, 1);
    return store;
}

TEST(WordStore, CountsTotalsAndRoundTripsThroughItsFile) {
    tw::test::TempFolder folder;
    std::string path = (folder.path() / "words.db").string();
    WordStore store = trainedStore();
    WordCounts counts;
    ASSERT_TRUE(store.find(3, counts));
    EXPECT_EQ(counts.spam, 2u);
    EXPECT_EQ(counts.ham, 1u);
    EXPECT_FALSE(store.find(99, counts));
    ASSERT_TRUE(store.save(path));

    WordStore loaded;
    ASSERT_TRUE(loaded.load(path));
    EXPECT_EQ(loaded.size(), 4u);
    EXPECT_EQ(loaded.totals().spamMessages, 1u);
    EXPECT_EQ(loaded.totals().hamMessages, 1u);
    EXPECT_EQ(loaded.totals().spamWeight, 2u);
    ASSERT_TRUE(loaded.find(1, counts));
    EXPECT_EQ(counts.spam, 2u);
}

TEST(WordStore, RejectsDamagedDataAndFallsBackToTheBackup) {
    tw::test::TempFolder folder;
    std::string path = (folder.path() / "words.db").string();
    WordStore first = trainedStore();
    ASSERT_TRUE(first.save(path));
    WordStore second = trainedStore();
    second.train({5}, true, 1);
    ASSERT_TRUE(second.save(path));  // the first version becomes the backup

    std::string bytes = *readWholeFile(path);
    bytes[bytes.size() / 2] ^= 0x5A;
    writeBytes(path, bytes);
    WordStore loaded;
    ASSERT_TRUE(loaded.load(path));
    EXPECT_EQ(loaded.totals().spamMessages, 1u) << "the damaged file was used instead of its backup";

    WordStore check;
    EXPECT_FALSE(check.deserialize(bytes));
    EXPECT_FALSE(check.deserialize(bytes.substr(0, 20)));
    EXPECT_FALSE(check.deserialize(""));
    EXPECT_EQ(check.size(), 0u);
}

TEST(WordStore, AnInterruptedWriteLeavesTheLastCompleteStore) {
    tw::test::TempFolder folder;
    std::string path = (folder.path() / "words.db").string();
    ASSERT_TRUE(trainedStore().save(path));
    // A crash while writing leaves a partial temporary file beside the store.
    std::string full = trainedStore().serialize();
    writeBytes(path + ".tmp", full.substr(0, full.size() / 3));
    WordStore loaded;
    ASSERT_TRUE(loaded.load(path));
    EXPECT_EQ(loaded.size(), 4u);
    ASSERT_TRUE(loaded.save(path));  // and the next write replaces the leftover
    EXPECT_TRUE(loaded.load(path));
}

TEST(WordStore, PruningKeepsTheMostUsefulEntries) {
    WordStore store;
    for (uint64_t key = 1; key <= 3000; ++key) store.train({key}, key % 2 == 0, 1);
    for (int i = 0; i < 5; ++i) store.train({7, 8}, true, 1);  // seen often
    store.prune(1000);
    EXPECT_EQ(store.size(), 1000u);
    WordCounts counts;
    EXPECT_TRUE(store.find(7, counts));
    EXPECT_TRUE(store.find(8, counts));
    EXPECT_TRUE(store.find(2999, counts)) << "among equals the newest stay";
    EXPECT_FALSE(store.find(1, counts));
    store.train({1}, true, 1);  // the table still grows after pruning
    EXPECT_TRUE(store.find(1, counts));
}

TEST(AddressStore, NormalizesCountsAndPersists) {
    tw::test::TempFolder folder;
    std::string path = (folder.path() / "addresses.db").string();
    AddressStore store;
    EXPECT_EQ(AddressStore::normalize(" <Ann@Example.ORG> "), "ann@example.org");
    EXPECT_EQ(AddressStore::normalize("no-at-sign"), "");
    EXPECT_EQ(AddressStore::normalize("a b@c.d"), "");
    EXPECT_FALSE(store.change("not an address", true, 1, true));

    EXPECT_TRUE(store.change("Ann@Example.org", true, 1, true));
    EXPECT_TRUE(store.change("ann@example.org", false, 3, true));
    EXPECT_TRUE(store.change("ann@example.org", false, 1, false));
    EXPECT_EQ(store.lookup("ANN@example.org").to, 1u);
    EXPECT_EQ(store.lookup("ANN@example.org").from, 2u);
    ASSERT_TRUE(store.save(path));

    AddressStore loaded;
    ASSERT_TRUE(loaded.load(path));
    EXPECT_EQ(loaded.lookup("ann@example.org").from, 2u);
    EXPECT_TRUE(loaded.change("ann@example.org", true, 1, false));
    EXPECT_TRUE(loaded.change("ann@example.org", false, 5, false));
    EXPECT_EQ(loaded.size(), 0u) << "an address with no sightings left is forgotten";

    std::string bytes = *readWholeFile(path);
    bytes[bytes.find("ann")] = 'x';
    AddressStore damaged;
    EXPECT_FALSE(damaged.deserialize(bytes));
}

TEST(AddressStore, ImportsOlderListsWithoutCountingTwice) {
    AddressStore store;
    std::string list = "# exported\r\nto bob@example.com 4\r\nfrom carol@example.com\r\ndave@example.net\r\n"
                       "erin@example.net\t2\t7\r\ngarbage line\r\nto\r\n";
    EXPECT_EQ(store.importList(list), 4);
    EXPECT_EQ(store.importList(list), 4);
    EXPECT_EQ(store.lookup("bob@example.com").to, 4u);
    EXPECT_EQ(store.lookup("carol@example.com").from, 1u);
    EXPECT_EQ(store.lookup("dave@example.net").from, 1u);
    EXPECT_EQ(store.lookup("erin@example.net").to, 2u);
    EXPECT_EQ(store.lookup("erin@example.net").from, 7u);
}

TEST(ReportQueue, KeepsIntactRecordsWhenOneIsTorn) {
    tw::test::TempFolder folder;
    std::string queueFile = (folder.path() / "reports.queue").string();
    ReportQueue queue(queueFile);
    ASSERT_TRUE(queue.add({0, "spammer@example.com", "Subject: buy\r\n", "TWREPORT 1 2 3 4 5\n body"}));
    ASSERT_TRUE(queue.add({1, "friend@example.com", "Subject: hi\r\n", ""}));
    std::string torn = ReportQueue::encode({0, "half@example.com", "Subject: x\r\n", "body"});
    ASSERT_TRUE(appendToFile(queueFile, torn.substr(0, torn.size() - 6)));

    auto pending = queue.pending();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].body, "TWREPORT 1 2 3 4 5\n body");
    EXPECT_EQ(pending[1].action, 1);

    std::string outbox = (folder.path() / "outbox").string();
    EXPECT_EQ(queue.sendTo(outbox), 2);
    EXPECT_TRUE(queue.pending().empty());
    EXPECT_EQ(queue.sendTo(outbox), 0);
    int batches = 0;
    for (const auto& entry : fs::directory_iterator(outbox)) {
        ++batches;
        EXPECT_EQ(ReportQueue::decode(*readWholeFile(entry.path().string())).size(), 2u);
    }
    EXPECT_EQ(batches, 1);
}

}  // namespace
}  // namespace tarn::engine

namespace tarn::engine {
namespace {

TEST(EngineFiles, DrivePathsAreFoundBelowTheFolderTheHostNamesForTheDrive) {
    tw::test::TempFolder temp;
    ::setenv("TARNENGINE_DRIVE_Q", temp.path().c_str(), 1);
    ASSERT_TRUE(ensureDirectory("Q:\\Documents and Settings\\demo"));
    ASSERT_TRUE(replaceFileAtomically("q:\\Documents and Settings\\demo\\store.db", "bytes"));
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "Documents and Settings/demo/store.db"));
    EXPECT_EQ(readWholeFile(joinPath("Q:\\Documents and Settings\\demo", "store.db")), "bytes");
    ::unsetenv("TARNENGINE_DRIVE_Q");
}

}  // namespace
}  // namespace tarn::engine
