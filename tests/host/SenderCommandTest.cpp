// The host's folder listing and its approve and block commands over a profile on disk.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <utility>

#include "addin/DataFolder.h"
#include "core/Error.h"
#include "core/Text.h"
#include "host/FolderListing.h"
#include "host/SenderCommand.h"
#include "scan/MsgQueue.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class SenderCommand : public ::testing::Test {
protected:
    /// A profile whose Inbox holds one message of each sender, and whose junk folder holds one more.
    void SetUp() override {
        std::ofstream(profile.registryFile(), std::ios::binary)
            << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvenna]\r\n" << settings
            << "\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\r\n"
               "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n";
        auto s = session();
        for (const char* from : {"Promo@Spam.example", "friend@good.example"})
            s->client().deliverMessage(message(from, std::string("from ") + from));
        auto junk = s->client().inbox()->parentFolder()->subfolder("Tarnwick");
        s->client().deliverMessage(message("pal@good.example", "caught by mistake"), junk);
    }
    static std::string message(const std::string& from, const std::string& subject) {
        return "From: " + from + "\r\nTo: me@home.example\r\nSubject: " + subject + "\r\n\r\nHello.\r\n";
    }
    std::unique_ptr<host::HostSession> session() {
        host::RunOptions options;
        options.librarySearchFolders = {engineDir()};
        return std::make_unique<host::HostSession>(profile, options);
    }
    host::SenderRequest request(bool block, const std::string& selection, std::optional<bool> answer) {
        host::SenderRequest r;
        r.block = block;
        r.selection = host::parseSelection(selection);
        r.answer = answer;
        return r;
    }
    /// Runs one command in a session of its own, as the program does.
    int run(const host::SenderRequest& r, const host::AskUser& ask = nullptr) {
        out.str("");
        err.str("");
        return host::runSenderCommand(*session(), r, ask, out, err);
    }
    std::string listing(const std::string& folder) {
        std::ostringstream text;
        host::showFolder(*session(), folder, text);
        return text.str();
    }

    std::string settings;
    TempFolder temp;
    host::Profile profile{temp.path()};
    std::ostringstream out, err;
};

TEST_F(SenderCommand, ShowFolderNumbersTheMessagesWithReadStateAndRefusesWhatIsNotThere) {
    std::string inbox = listing("inbox");
    EXPECT_TRUE(has(inbox, "\\Personal Folders\\Inbox: 2 messages\n")) << inbox;
    EXPECT_TRUE(has(inbox, "  1. unread  ")) << inbox;
    EXPECT_TRUE(has(inbox, "  Promo@Spam.example  from Promo@Spam.example\n")) << inbox;
    EXPECT_TRUE(has(inbox, "  2. unread  ")) << inbox;
    EXPECT_TRUE(has(listing("\\Personal Folders\\Tarnwick"), "1. unread"));
    EXPECT_THROW(listing("Nowhere"), Error);
    EXPECT_THROW(run(request(true, "Inbox:3", true)), Error) << "the Inbox has two messages";
}

TEST_F(SenderCommand, ShowFolderMarksWhatTheAddinCheckedByMarkerOrInTheFoldersCache) {
    EXPECT_TRUE(has(listing("Inbox"), "  -       Promo@Spam.example  from Promo@Spam.example\n")) << listing("Inbox");
    {
        auto s = session();
        // By sender: the store lists two messages of one second in no promised order.
        auto inbox = s->client().inbox()->simItems()->all();
        if (inbox[0]->SenderName() != "Promo@Spam.example") std::swap(inbox[0], inbox[1]);
        inbox[0]->UserProperties()->Add(scan::MsgQueue::kMarkerName, outlook::olDateTime, true)->setValue(s->loop().now());
        inbox[0]->Save();
        const std::string data = addin::findDataFolder(s->shell(), s->registry(), s->files());
        s->files().replaceContents(data + "/tarnwickmpc.txt", "\r\n " + text::upper(inbox[1]->EntryID()) + " ");
        auto junk = s->client().inbox()->parentFolder()->subfolder("Tarnwick");
        s->files().replaceContents(data + "/" + junk->EntryID(), text::lower(junk->simItems()->all()[0]->EntryID()));
    }
    std::string inbox = listing("Inbox");
    EXPECT_TRUE(has(inbox, "  1. unread  ")) << inbox;
    EXPECT_TRUE(has(inbox, "  marked  Promo@Spam.example  from Promo@Spam.example\n")) << inbox;
    EXPECT_TRUE(has(inbox, "  cached  friend@good.example  ")) << "the Inbox queue's cache file, read as the queue reads it";
    EXPECT_TRUE(has(listing("Tarnwick"), "  cached  pal@good.example  ")) << listing("Tarnwick");
    EXPECT_TRUE(has(listing("Deleted Items"), ": 0 messages\n"));
}

TEST_F(SenderCommand, BlockPrintsTheDialogActsOnOkAndTellsWhatChanged) {
    ASSERT_EQ(run(request(true, "Inbox:1", true)), 0) << err.str();
    std::string text = out.str();
    EXPECT_TRUE(has(text, "Pressed \"Block Message\" with 1 message selected in \\Personal Folders\\Inbox")) << text;
    EXPECT_TRUE(has(text, "The sender dialog \"Block Message\" asks:\n  Do you want to block this message?")) << text;
    EXPECT_TRUE(has(text, "  Senders:\n    promo@spam.example\n")) << text;
    EXPECT_TRUE(has(text, "Answered OK\n"));
    EXPECT_TRUE(has(text, "moved from \\Personal Folders\\Inbox to \\Personal Folders\\Deleted Items, read")) << text;
    EXPECT_TRUE(has(text, "blocked senders: 1 entry, added promo@spam.example")) << text;
    EXPECT_TRUE(has(text, "approved senders: 0 entries, unchanged")) << text;
    EXPECT_TRUE(has(text, "Threshold: 90 -> 89.1")) << text;
    EXPECT_TRUE(has(text, "spam (+1)")) << text;
    // What the command did is kept in the profile.
    EXPECT_TRUE(has(listing("Deleted Items"), "1. read    ")) << listing("Deleted Items");
    EXPECT_TRUE(has(readFile(profile.registryFile()), "\"threshold\"=\"89.1\""));
}

TEST_F(SenderCommand, WithoutAnAnswerNothingIsDoneAndTheTerminalAnswerIsUsed) {
    EXPECT_EQ(run(request(true, "Inbox:1,2", std::nullopt)), 1);
    EXPECT_TRUE(has(err.str(), "give --yes (OK) or --no (Cancel). Nothing was done.")) << err.str();
    EXPECT_TRUE(has(out.str(), "Do you want to block these messages?")) << "the question was shown first";
    EXPECT_TRUE(has(listing("Inbox"), "2 messages"));

    bool asked = false;
    EXPECT_EQ(run(request(true, "Inbox:2", std::nullopt), [&] { return asked = true, std::optional<bool>(false); }), 0);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(has(out.str(), "Answered Cancel"));
    EXPECT_TRUE(has(out.str(), "blocked senders: 0 entries, unchanged")) << out.str();
    EXPECT_TRUE(has(out.str(), "Threshold: 90, unchanged")) << out.str();
    EXPECT_TRUE(has(listing("Inbox"), "2 messages"));
}

TEST_F(SenderCommand, DontAskAgainThenApproveDomainFromTheMenuGoesWithoutTheDialog) {
    auto approve = request(false, "Tarnwick:1", true);
    approve.dontAskAgain = true;
    ASSERT_EQ(run(approve), 0) << err.str();
    EXPECT_TRUE(has(out.str(), "moved from \\Personal Folders\\Tarnwick to \\Personal Folders\\Inbox")) << out.str();
    EXPECT_TRUE(has(out.str(), "will not be shown again"));

    auto domain = request(false, "Inbox:2", std::nullopt);
    domain.domain = true;
    ASSERT_EQ(run(domain), 0) << err.str();
    EXPECT_TRUE(has(out.str(), "Pressed \"Approve Domain\"")) << out.str();
    EXPECT_FALSE(has(out.str(), "sender dialog")) << out.str();
    EXPECT_TRUE(has(out.str(), "approved senders: 2 entries, added good.example")) << out.str();
    EXPECT_TRUE(has(out.str(), "stays in \\Personal Folders\\Inbox"));
}

}  // namespace
}  // namespace tw::test
