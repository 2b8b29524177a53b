// The host's scan command over a profile on disk: the figures of the result window, Scan Read,
// the junk folder refused, an unknown folder, and Ctrl-C.
#include <gtest/gtest.h>

#include <sstream>

#include "core/Error.h"
#include "host/ScanCommand.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ScanCommand : public ::testing::Test {
protected:
    /// Three unread and two read messages in the Inbox, and one unread in the junk folder.
    void SetUp() override {
        auto s = session();
        for (int i = 0; i < 5; ++i) {
            auto item = s->client().deliverMessage("From: friend" + std::to_string(i) +
                                                   "@good.example\r\nTo: me@home.example\r\nSubject: Note " +
                                                   std::to_string(i) + "\r\n\r\nHello.\r\n");
            if (i >= 3) item->setUnRead(false);
        }
        auto junk = s->client().inbox()->parentFolder()->subfolder("Tarnwick");
        s->client().deliverMessage("From: x@y.example\r\nTo: me@home.example\r\nSubject: Caught\r\n\r\nHi.\r\n", junk);
    }
    std::unique_ptr<host::HostSession> session() {
        host::RunOptions options;
        options.librarySearchFolders = {engineDir()};
        return std::make_unique<host::HostSession>(profile, options);
    }
    int run(const std::string& folder, bool read = false) {
        out.str("");
        err.str("");
        return host::runScanCommand(*session(), host::ScanRequest{folder, read}, host::ProgressStyle::lines, out, err);
    }

    TempFolder temp;
    host::Profile profile{temp.path()};
    std::ostringstream out, err;
};

TEST_F(ScanCommand, PrintsTheResultWindowsFiguresAndGoesOnWithTheReadMessages) {
    ASSERT_EQ(run("Inbox"), 0) << err.str();
    std::string text = out.str();
    EXPECT_TRUE(has(text, "Scanning \\Personal Folders\\Inbox\nChecking unread messages. Please wait.\n")) << text;
    EXPECT_TRUE(has(text, "3 of 3 checked")) << text;
    EXPECT_TRUE(has(text, "Scan Results:\n  Processed: 3\n  Caught as spam: 0\n  Time: 0 seconds\n")) << text;
    EXPECT_FALSE(has(text, "Scan Read")) << text;

    ASSERT_EQ(run("\\Personal Folders\\Inbox", true), 0) << err.str();
    text = out.str();
    EXPECT_TRUE(has(text, "Processed: 3\n")) << text;
    EXPECT_TRUE(has(text, "Pressed \"Scan Read\"\nChecking read messages. Please wait.\n")) << text;
    EXPECT_TRUE(has(text, "2 of 2 checked")) << text;
    EXPECT_TRUE(has(text, "Scan Results:\n  Processed: 2\n")) << text;
}

TEST_F(ScanCommand, TheJunkFolderAndUnknownFoldersAreRefused) {
    EXPECT_EQ(run("Tarnwick"), 1);
    EXPECT_EQ(err.str(), "tarnwick: Please select another folder to scan.\n");
    EXPECT_FALSE(has(out.str(), "Scan Results")) << out.str();
    EXPECT_THROW(run("Nowhere"), Error);
}

TEST_F(ScanCommand, CtrlCCancelsLikeTheProgressWindowAndTheNextScanStillChecksEverything) {
    host::requestScanCancel();
    ASSERT_EQ(run("Inbox", true), 0) << err.str();
    std::string text = out.str();
    EXPECT_TRUE(has(text, "Scan Results (cancelled):\n  Processed: 0\n")) << text;
    EXPECT_TRUE(has(text, "Cancelled;")) << text;
    EXPECT_FALSE(has(text, "Scan Read")) << "a cancelled scan does not go on";

    ASSERT_EQ(run("Inbox"), 0) << err.str();
    EXPECT_TRUE(has(out.str(), "Processed: 3\n")) << out.str();
    EXPECT_FALSE(has(out.str(), "cancelled")) << "Ctrl-C counts for the scan it came in only";
}

}  // namespace
}  // namespace tw::test
