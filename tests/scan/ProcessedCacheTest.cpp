// The processed cache file's text and the hexadecimal form of entry identifiers.
#include <gtest/gtest.h>

#include "scan/MsgQueue.h"
#include "scan/ProcessedCache.h"
#include "sim/SimFileSystem.h"
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

TEST(BinaryToHex, GivesTwoUpperCaseDigitsPerByte) {
    EXPECT_EQ(scan::binaryToHex(std::string("\x00\x0f\x10\xab\xff", 5)), "000F10ABFF");
    EXPECT_EQ(scan::binaryToHex(""), "");
}

}  // namespace
}  // namespace tw::test
