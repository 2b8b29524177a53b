// The host's approve, block and report commands run from a message's own window.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/Error.h"
#include "host/CommandLine.h"
#include "host/ReportCommand.h"
#include "host/SenderCommand.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class InWindowCommand : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(profile.registryFile(), std::ios::binary)
            << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvenna]\r\n"
               "\"ShowReportSpamConfirmation\"=dword:00000000\r\n\"showsenderdialog\"=dword:00000001\r\n"
               "\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\r\n"
               "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n";
        auto s = session();
        for (const char* from : {"promo@spam.example", "friend@good.example"})
            s->client().deliverMessage("From: " + std::string(from) + "\r\nTo: me@home.example\r\nSubject: from " +
                                       from + "\r\n\r\nHello.\r\n");
        s->client().deliverMessage("From: me@home.example\r\nTo: a@b.example\r\nSubject: mine\r\n\r\nHi.\r\n",
                                   s->client().defaultFolder(outlook::olFolderSentMail));
    }
    std::unique_ptr<host::HostSession> session() {
        host::RunOptions options;
        options.librarySearchFolders = {engineDir()};
        return std::make_unique<host::HostSession>(profile, options);
    }
    host::SenderRequest request(bool block, const std::string& selection) {
        host::SenderRequest r;
        r.block = block;
        r.inWindow = true;
        r.answer = true;
        r.selection = host::parseSelection(selection);
        return r;
    }
    int run(const host::SenderRequest& r) {
        out.str("");
        return host::runSenderCommand(*session(), r, nullptr, out, err);
    }

    TempFolder temp;
    host::Profile profile{temp.path()};
    std::ostringstream out, err;
};

// Without the sender dialog a window's command lists and trains its message and moves nothing.
TEST_F(InWindowCommand, BlockFromTheWindowListsAndTrainsTheOneMessageAndMovesNothing) {
    ASSERT_EQ(run(request(true, "Inbox:1")), 0) << err.str();
    const std::string text = out.str();
    EXPECT_TRUE(has(text, "Pressed \"Block Message\" in the window of message 1 of \\Personal Folders\\Inbox")) << text;
    EXPECT_TRUE(has(text, "stays in \\Personal Folders\\Inbox")) << text;
    EXPECT_TRUE(has(text, "blocked senders: 1 entry, added promo@spam.example")) << text;
    EXPECT_TRUE(has(text, "Threshold: 90, unchanged")) << text;
    EXPECT_TRUE(has(text, "spam (+1)")) << text;

    auto domain = request(false, "Inbox:2");
    domain.domain = true;
    ASSERT_EQ(run(domain), 0) << err.str();
    EXPECT_TRUE(has(out.str(), "Pressed \"Approve Domain\" in the window")) << out.str();
    EXPECT_TRUE(has(out.str(), "added good.example")) << out.str();

    // A sent message's window has no toolbar to press.
    EXPECT_THROW(run(request(true, "Sent Items:1")), Error);
    EXPECT_THROW(run(request(true, "Inbox:1,2")), Error) << "a window shows one message";
}

TEST_F(InWindowCommand, ReportFromTheWindowSendsThatMessageAndTheCommandLineTakesTheFlag) {
    auto line = host::parseCommandLine({"report", "--in-window", "spam", "Inbox:2"});
    ASSERT_TRUE(line.report.inWindow);
    std::ostringstream said;
    auto written = host::reportMessages(*session(), line.report, said);
    ASSERT_EQ(written.size(), 1u) << said.str();
    std::ifstream in(written[0], std::ios::binary);
    std::stringstream mail;
    mail << in.rdbuf();
    EXPECT_TRUE(has(mail.str(), "Subject: from friend@good.example")) << mail.str();
    EXPECT_FALSE(has(mail.str(), "Subject: from promo@spam.example"));

    EXPECT_TRUE(host::parseCommandLine({"block", "--in-window", "--yes", "Inbox:1"}).sender.inWindow);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"block", "--in-window", "Inbox:1,2"},
                                                 std::vector<std::string>{"report", "--in-window", "spam", "Inbox:1,2"}})
        EXPECT_THROW(host::parseCommandLine(args), host::UsageError);
}

}  // namespace
}  // namespace tw::test
