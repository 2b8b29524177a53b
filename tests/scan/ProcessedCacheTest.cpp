// The processed cache file's text and the hexadecimal form of entry identifiers.
#include <gtest/gtest.h>

#include "core/Error.h"
#include "scan/MsgQueue.h"
#include "scan/ProcessedCache.h"
#include "sim/SimFileSystem.h"
#include "support/CrashPoints.h"
#include "support/TempFolder.h"

namespace tw::test {
namespace {

TEST(ProcessedCacheFile, LoadsTrimmedLowerCaseIdsAndWritesThemWithoutATrailingLineEnd) {
    TempFolder temp;
    sim::SimFileSystem files(temp.path());
    files.createFolders("C:\\data");
    files.replaceContents("C:\\data\\c.txt", "  00AB12 \r\n\r\n\tff00\r\n00ab12\r\n\r\n");
    scan::ProcessedCache cache;
    cache.load(files, "C:\\data/c.txt");
    EXPECT_EQ(cache.snapshot(), (std::vector<std::string>{"00ab12", "ff00"}));
    cache.save(files, "C:\\data/c.txt");
    EXPECT_EQ(files.readAll("C:\\data\\c.txt"), "00ab12\r\nff00");

    scan::ProcessedCache missing;
    missing.load(files, "C:\\data\\none.txt");
    EXPECT_EQ(missing.size(), 0u);
    EXPECT_EQ(scan::ProcessedCache::format({}), "");
}

TEST(ProcessedCacheFile, AFailedSaveLeavesThePreviousFileWhole) {
    TempFolder temp;
    sim::SimFileSystem files(temp.path());
    files.createFolders("C:\\data");
    scan::ProcessedCache cache;
    cache.add("aa");
    cache.save(files, "C:\\data\\c.txt");
    for (int i = 0; i < 1000; ++i) cache.add("id" + std::to_string(i));
    files.failNext("replaceContents");
    EXPECT_ANY_THROW(cache.save(files, "C:\\data\\c.txt"));
    EXPECT_EQ(files.readAll("C:\\data\\c.txt"), "aa");
}

TEST(ProcessedCacheFile, ASaveStoppedAtAnyPointLeavesTheOldOrTheNewSetWhole) {
    TempFolder temp;
    sim::SimFileSystem files(temp.path());
    files.createFolders("C:\\data");
    const std::string path = "C:\\data\\c.txt";
    scan::ProcessedCache saved;
    saved.add("00aa");
    for (int i = 0; i < 200; ++i) saved.add("00bb" + std::to_string(i));
    const std::string before = "00aa";
    for (const char* stage : {"replaceContents.write", "replaceContents.rename"}) {
        int stops = forEveryCrashPoint([&](int k) {
            files.replaceContents(path, before);
            files.failNth(stage, k);
            bool raised = false;
            try {
                saved.save(files, path);
            } catch (const Error&) {
                raised = true;
            }
            const bool stopped = !files.failurePending();
            files.clearFailures();
            EXPECT_EQ(raised, stopped);
            scan::ProcessedCache reread;
            reread.load(files, path);
            EXPECT_EQ(reread.size(), stopped ? 1u : saved.size()) << stage << " stop " << k;
            return stopped;
        });
        EXPECT_EQ(stops, 1) << stage;
    }
}

TEST(BinaryToHex, GivesTwoUpperCaseDigitsPerByte) {
    EXPECT_EQ(scan::binaryToHex(std::string("\x00\x0f\x10\xab\xff", 5)), "000F10ABFF");
    EXPECT_EQ(scan::binaryToHex(""), "");
}

}  // namespace
}  // namespace tw::test
