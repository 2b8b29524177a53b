// The simulated file system: where Windows paths land, Windows' case-blind lookup, its errors and safe replacement.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "SimTestFolder.h"
#include "core/Error.h"
#include "sim/SimFileSystem.h"

namespace tw::sim {
namespace {

using testing::readFile;
using testing::writeFile;

class SimFileSystemTest : public ::testing::Test {
protected:
    testing::ScratchFolder folder;
    SimFileSystem files{folder.path()};
    std::filesystem::path driveC() const { return folder.path() / "drive_c"; }

    static long errorNumber(const std::function<void()>& call) { return testing::errorNumberOf(call); }
};

TEST_F(SimFileSystemTest, WindowsPathsMapBelowTheDriveFolder) {
    EXPECT_EQ(files.hostPath("C:\\Program Files\\Tarnwick\\report.txt"), driveC() / "Program Files" / "Tarnwick" / "report.txt");
    EXPECT_EQ(files.hostPath("d:/data/./list.txt"), folder.path() / "drive_d" / "data" / "list.txt");
    EXPECT_EQ(files.hostPath("C:\\a\\..\\b"), driveC() / "b");
    EXPECT_EQ(files.hostPath("C:\\"), driveC());
}

TEST_F(SimFileSystemTest, PathsThatLeaveTheRootOrAreNotAbsoluteAreRefused) {
    for (const char* path : {"C:\\..\\outside.txt", "C:\\a\\..\\..\\b", "C:/../../etc/passwd", "report.txt",
                             "\\\\server\\share\\x", "C:relative", "1:\\x"})
        EXPECT_EQ(errorNumber([&] { files.hostPath(path); }), 75) << path;
    EXPECT_EQ(errorNumber([&] { files.append("C:\\..\\escape.txt", "x"); }), 75);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "escape.txt"));
}

TEST_F(SimFileSystemTest, LookupIgnoresCaseWhenTheExactNameIsMissing) {
    writeFile(driveC() / "Program Files" / "Tarnwick" / "Report.TXT", "first\n");
    EXPECT_TRUE(files.fileExists("c:\\PROGRAM FILES\\tarnwick\\report.txt"));
    EXPECT_TRUE(files.folderExists("C:\\program files\\TARNWICK"));
    EXPECT_EQ(files.readAll("C:\\Program Files\\Tarnwick\\report.txt"), "first\n");

    files.append("C:\\program files\\tarnwick\\REPORT.txt", "second\n");
    files.replaceContents("C:\\PROGRAM FILES\\Tarnwick\\report.txt", "replaced");
    EXPECT_EQ(readFile(driveC() / "Program Files" / "Tarnwick" / "Report.TXT"), "replaced");
    EXPECT_EQ(files.listFiles("C:\\Program Files\\Tarnwick"), std::vector<std::string>{"Report.TXT"});
}

TEST_F(SimFileSystemTest, FailuresCarryTheNumbersWindowsGives) {
    files.createFolders("C:\\data\\sub");
    try {
        files.readAll("C:\\data\\missing.txt");
        ADD_FAILURE() << "a missing file was read";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 53);
        EXPECT_EQ(e.source(), "SimFileSystem");
    }
    EXPECT_EQ(errorNumber([&] { files.fileSize("C:\\data\\missing.txt"); }), 53);
    EXPECT_EQ(errorNumber([&] { files.removeFile("C:\\data\\missing.txt"); }), 53);
    EXPECT_EQ(errorNumber([&] { files.readAll("C:\\data\\sub"); }), 75);
    EXPECT_EQ(errorNumber([&] { files.listFiles("C:\\nowhere"); }), 76);
    EXPECT_EQ(errorNumber([&] { files.append("C:\\nowhere\\log.txt", "x"); }), 76);

    files.append("C:\\data\\a.txt", "a");
    files.append("C:\\data\\b.txt", "b");
    EXPECT_EQ(errorNumber([&] { files.renameFile("C:\\data\\a.txt", "C:\\data\\B.TXT"); }), 58);
    EXPECT_EQ(files.readAll("C:\\data\\b.txt"), "b");
}

TEST_F(SimFileSystemTest, FilesAreWrittenAppendedCopiedRenamedAndListed) {
    files.createFolders("C:\\data");
    files.append("C:\\data\\log.txt", "one,");
    files.append("C:\\data\\log.txt", "two");
    EXPECT_EQ(files.readAll("C:\\data\\log.txt"), "one,two");
    EXPECT_EQ(files.fileSize("C:\\data\\log.txt"), 7u);

    files.copyFile("C:\\data\\log.txt", "C:\\data\\copy.txt");
    files.copyFile("C:\\data\\log.txt", "C:\\data\\copy.txt");  // copying over a file replaces it
    files.renameFile("C:\\data\\log.txt", "C:\\data\\Log.old");
    files.renameFile("C:\\data\\Log.old", "C:\\data\\LOG.OLD");  // only the case changes
    EXPECT_EQ(files.listFiles("C:\\data"), (std::vector<std::string>{"copy.txt", "LOG.OLD"}));
    files.removeFile("C:\\data\\copy.txt");
    EXPECT_FALSE(files.fileExists("C:\\data\\copy.txt"));

    using namespace std::chrono;
    std::filesystem::last_write_time(driveC() / "data" / "LOG.OLD", file_clock::from_sys(sys_seconds{seconds{1700000000}}));
    EXPECT_EQ(files.lastModified("C:\\data\\log.old"), 1700000000);
}

TEST_F(SimFileSystemTest, FailedReplacementLeavesTheOldContentWholeAndNoTemporaryFile) {
    files.createFolders("C:\\data");
    files.replaceContents("C:\\data\\cache.txt", "old content");
    files.failNext("replaceContents:c:\\DATA\\cache.txt");
    EXPECT_EQ(errorNumber([&] { files.replaceContents("C:\\data\\cache.txt", "new content that is cut short"); }), 75);
    EXPECT_EQ(files.readAll("C:\\data\\cache.txt"), "old content");
    EXPECT_FALSE(std::filesystem::exists(driveC() / "data" / "cache.txt.tmp"));

    files.failAlways("readAll:C:/data/other.txt");
    files.replaceContents("C:\\data\\cache.txt", "new content");
    EXPECT_EQ(files.readAll("C:\\data\\cache.txt"), "new content") << "failures hit only their own path";
    EXPECT_EQ(files.listFiles("C:\\data"), std::vector<std::string>{"cache.txt"});
}

TEST_F(SimFileSystemTest, AReplacementStoppedLikeACrashLeavesTheOldFileAndOnlyItsTemporaryBehind) {
    files.createFolders("C:\\data");
    files.replaceContents("C:\\data\\cache.txt", "old content");
    // The second replacement of the file is the one stopped, half written.
    files.failNth("replaceContents.write:C:\\data\\cache.txt", 2);
    files.replaceContents("C:\\data\\cache.txt", "first new content");
    EXPECT_TRUE(files.failurePending());
    EXPECT_EQ(errorNumber([&] { files.replaceContents("C:\\data\\cache.txt", "0123456789"); }), 75);
    EXPECT_FALSE(files.failurePending());
    EXPECT_EQ(files.readAll("C:\\data\\cache.txt"), "first new content");
    EXPECT_EQ(readFile(driveC() / "data" / "cache.txt.tmp"), "01234") << "a crash leaves its temporary file";

    files.failNext("replaceContents.rename");
    EXPECT_EQ(errorNumber([&] { files.replaceContents("C:\\data\\cache.txt", "complete but not in place"); }), 75);
    EXPECT_EQ(files.readAll("C:\\data\\cache.txt"), "first new content");
    EXPECT_EQ(readFile(driveC() / "data" / "cache.txt.tmp"), "complete but not in place");

    files.replaceContents("C:\\data\\cache.txt", "new content");
    EXPECT_EQ(files.readAll("C:\\data\\cache.txt"), "new content") << "a leftover is no obstacle to the next write";
    EXPECT_EQ(files.listFiles("C:\\data"), std::vector<std::string>{"cache.txt"});
}

}  // namespace
}  // namespace tw::sim
