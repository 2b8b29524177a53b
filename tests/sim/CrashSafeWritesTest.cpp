// The sim's own files (the profile's registry file, Maildir messages, the store index) and the host's
// outbox stay whole when a write is stopped at any point, as by a crash.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "SimTestFolder.h"
#include "host/OutboxFolder.h"
#include "sim/DurableFile.h"
#include "sim/MaildirStore.h"
#include "sim/SimRegistry.h"
#include "sim/StoreIndex.h"
#include "support/CrashPoints.h"

namespace tw::sim {
namespace {

namespace fs = std::filesystem;
using platform::Hive;
using platform::RegValue;
using test::CrashCountdown;
using test::SimulatedCrash;
using testing::readFile;
using testing::writeFile;

class CrashSafeSimFiles : public ::testing::Test {
protected:
    /// Runs `write` stopped at stage k; answers whether it was stopped.
    template <class Write>
    static bool stopAt(int k, Write write) {
        CrashCountdown::arm(k);
        try {
            write();
        } catch (const SimulatedCrash&) {
        }
        CrashCountdown::disarm();
        return CrashCountdown::hasStruck();
    }

    testing::ScratchFolder folder;
    test::ScopedStageHook<WriteStageHook> hook{setWriteStageHookForTesting, &CrashCountdown::hook<WriteStage, fs::path>};
};

TEST_F(CrashSafeSimFiles, TheRegistryFileIsTheOldOrTheNewOneAfterAStopAnywhere) {
    const auto file = folder.path() / "registry.reg";
    SimRegistry reg;
    reg.createKey(Hive::CurrentUser, "Software\\Orvenna");
    reg.setValue(Hive::CurrentUser, "Software\\Orvenna", "threshold", RegValue::ofDword(90));
    reg.saveToFile(file);
    const std::string before = readFile(file);
    reg.setValue(Hive::CurrentUser, "Software\\Orvenna", "threshold", RegValue::ofDword(50));
    reg.setValue(Hive::CurrentUser, "Software\\Orvenna", "junkfolder", RegValue::ofString("Tarnwick"));
    const std::string after = reg.toRegFile();

    int stops = test::forEveryCrashPoint([&](int k) {
        writeFile(file, before);
        bool stopped = stopAt(k, [&] { reg.saveToFile(file); });
        const std::string now = readFile(file);
        EXPECT_EQ(now, stopped ? before : after) << "stop " << k;
        EXPECT_EQ(SimRegistry::loadFromFile(file).toRegFile(), now) << "the file after stop " << k << " does not load";
        return stopped;
    });
    EXPECT_EQ(stops, 2);
    EXPECT_FALSE(fs::exists(folder.path() / "registry.reg.tmp")) << "the completed save took the leftover with it";
}

TEST_F(CrashSafeSimFiles, AMaildirMessageAppearsWholeOrNotAtAllAndStaleLeftoversGo) {
    MaildirStore store(folder.path(), [](const std::string&) {});
    const std::string kept = "Subject: kept\r\n\r\nkept body\r\n";
    const std::string delivered = "Subject: new\r\n\r\n" + std::string(4000, 'x') + "\r\n";
    const auto original = store.addMessage("", kept, false);

    int stops = test::forEveryCrashPoint([&](int k) {
        bool stopped = stopAt(k, [&] { store.addMessage("", delivered, false); });
        auto files = store.scanFolder("");
        EXPECT_EQ(files.size(), stopped ? 1u : 2u) << "stop " << k;
        for (const auto& file : files) {
            auto bytes = store.readMessage(file);
            EXPECT_TRUE(bytes == kept || bytes == delivered) << "a torn message after stop " << k;
        }
        return stopped;
    });
    EXPECT_EQ(stops, 2);

    const std::string edited = "Subject: kept\r\nX-Tarnwick: 1\r\n\r\nkept body\r\n";
    stops = test::forEveryCrashPoint([&](int k) {
        bool stopped = stopAt(k, [&] { store.replaceMessage(original, edited); });
        EXPECT_EQ(store.readMessage(original), stopped ? kept : edited) << "stop " << k;
        return stopped;
    });
    EXPECT_EQ(stops, 2);

    // Four stopped writes left their temporary files; the reader never saw them. A day and a half on,
    // the next look at the folder clears them, and not a moment earlier.
    std::vector<fs::path> leftovers;
    for (const auto& entry : fs::directory_iterator(folder.path() / "tmp")) leftovers.push_back(entry.path());
    ASSERT_EQ(leftovers.size(), 4u);
    fs::last_write_time(leftovers[0], fs::file_time_type::clock::now() - std::chrono::hours(37));
    store.scanFolder("");
    EXPECT_FALSE(fs::exists(leftovers[0]));
    EXPECT_TRUE(fs::exists(leftovers[1]));
}

TEST_F(CrashSafeSimFiles, TheStoreIndexKeepsEveryChangeThroughAStoppedRewrite) {
    auto log = [](const std::string&) {};
    StoreIndex index(folder.path(), log);
    index.load();
    index.setStoreId("STORE1");
    index.putFolder("", "INBOX1");
    index.compact();
    const std::string before = readFile(index.indexFile());
    index.putFolder(".Tarnwick", "JUNK1");

    int stops = test::forEveryCrashPoint([&](int k) {
        bool stopped = stopAt(k, [&] { index.compact(); });
        if (stopped) {
            EXPECT_EQ(readFile(index.indexFile()), before) << "stop " << k;
        }
        StoreIndex reread(folder.path(), log);
        reread.load();
        EXPECT_EQ(reread.storeId(), "STORE1") << "stop " << k;
        EXPECT_EQ(reread.folders().size(), 2u) << "the change in the journal was lost at stop " << k;
        return stopped;
    });
    EXPECT_EQ(stops, 2);
}

TEST_F(CrashSafeSimFiles, AnOutboxMessageAppearsWholeOrNotAtAll) {
    const auto outbox = folder.path() / "outbox";
    const std::string raw = "Subject: report\r\n\r\n" + std::string(1000, 'r') + "\r\n";
    int stops = test::forEveryCrashPoint([&](int k) {
        bool stopped = stopAt(k, [&] { host::writeOutboxMessage(outbox, raw); });
        EXPECT_EQ(fs::exists(outbox / "0001.eml"), !stopped) << "stop " << k;
        return stopped;
    });
    EXPECT_EQ(stops, 2);
    EXPECT_EQ(readFile(outbox / "0001.eml"), raw);
    EXPECT_EQ(host::writeOutboxMessage(outbox, "next").filename(), "0002.eml");
    EXPECT_FALSE(fs::exists(outbox / "0001.eml.tmp")) << "the completed write took the leftover with it";
}

}  // namespace
}  // namespace tw::sim
