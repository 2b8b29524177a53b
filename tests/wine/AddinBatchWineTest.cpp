// The add-in DLL in the stand-in client where the client is awkward: a batch of mail that arrives
// without ItemAdd, and version 9's message windows that edit with Word and raise no NewInspector.
#include <gtest/gtest.h>

#include <algorithm>

#include "wine/AddinHost.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Registry.h"

namespace tw::winetest {
namespace {

using platform::Hive;
using platform::RegValue;
using standin::StandInClient;

constexpr const char* kToolbar = "Velmora";


class AddinAwkwardClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(registerForFirstRun(&dataFolder)) << "regsvr32 could not register the add-in";
        win32::Win32Registry registry;
        registry.createKey(Hive::CurrentUser, "Software\\Orvenna");
        registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "MarkSpamAsRead", RegValue::ofDword(1));
    }
    void TearDown() override { EXPECT_EQ(regsvr32(true), 0) << "regsvr32 /u failed"; }

    /// Twenty messages; every fourth from a blocked sender.
    std::vector<standin::MailSpec> batch() {
        std::vector<standin::MailSpec> specs;
        for (int i = 0; i < 20; ++i) {
            standin::MailSpec mail = mailFromFile("ham.eml");
            if (i % 4 == 0) {
                mail.senderName = "Blocked Sender";
                mail.senderAddress = "blocked@spammer.example";
                mail.headers = "From: Blocked Sender <blocked@spammer.example>\r\nSubject: blocked\r\n";
                mail.subject = "blocked " + std::to_string(i);
            } else {
                mail.subject = "ham " + std::to_string(i);
            }
            specs.push_back(mail);
        }
        return specs;
    }

    std::string dataFolder;
};

TEST_F(AddinAwkwardClient, ABatchThatArrivesWithoutItemAddIsCheckedByTheQueue) {
    win32::Win32FileSystem files;
    files.replaceContents(dataFolder + "\\Junk Senders.txt", "blocked@spammer.example\r\n");
    StandInClient client;
    // The queue gives the folder's first message its field before filtering on it; the batch
    // should not stand or fall with how the client then reads that message.
    standin::MailSpec earlier = mailFromFile("ham.eml");
    earlier.unread = false;
    client.addMail(kInbox, earlier);
    const long failuresBefore = client.sinkFailures();
    const int explorer = client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);

    const auto specs = batch();
    client.deliverBatch(kInbox, specs);
    auto allBlockedMoved = [&] {
        for (size_t i = 0; i < specs.size(); i += 4)
            if (!bySubject(client, kJunk, specs[i].subject)) return false;
        return true;
    };
    for (int waited = 0; waited < 30000 && !allBlockedMoved(); waited += 250) client.pump(250);
    ASSERT_TRUE(allBlockedMoved()) << addinLog();
    // The queue checks two messages a tick: let it reach the last of the others too.
    client.pump(4000);
    for (size_t i = 0; i < specs.size(); ++i) {
        if (i % 4 == 0) continue;
        auto kept = bySubject(client, kInbox, specs[i].subject);
        ASSERT_TRUE(kept) << specs[i].subject;
        EXPECT_TRUE(kept->unread) << specs[i].subject;
        EXPECT_TRUE(kept->userProperties.count("tarnwickd")) << specs[i].subject << " was not checked";
    }
    const std::string log = addinLog();
    EXPECT_FALSE(contains(log, "itemAdd got message")) << "the stand-in raised ItemAdd for a large batch";
    EXPECT_TRUE(contains(log, "new messages arrived without an item-added event")) << log;
    EXPECT_FALSE(contains(log, "Error #")) << log;

    client.closeExplorer(explorer);
    EXPECT_EQ(client.exitAfterLastWindow(), 0);
    EXPECT_EQ(client.sinkFailures(), failuresBefore);
}

TEST_F(AddinAwkwardClient, ASmallBatchRaisesItemAdd) {
    StandInClient client;
    client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    auto specs = batch();
    specs.resize(StandInClient::kItemAddBatchLimit);
    client.deliverBatch(kInbox, specs);
    client.pump(500);
    EXPECT_TRUE(contains(addinLog(), "itemAdd got message ham 1")) << addinLog();
    client.disconnectAddIns();
}

TEST_F(AddinAwkwardClient, AVersion9WordEditorWindowGetsNoToolbarAndHoldsNothing) {
    StandInClient client;
    client.setVersion("9.0.0.2711");
    const long failuresBefore = client.sinkFailures();
    const int explorer = client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    const std::string id = client.addMail(kInbox, mailFromFile("ham.eml"));
    const int window = client.openWordEditorInspector(id);
    EXPECT_EQ(client.inspectorCount(), 1);
    auto names = client.barNames(window);
    EXPECT_EQ(std::count(names.begin(), names.end(), kToolbar), 0);
    client.pump(500);

    client.closeInspector(window);
    client.closeExplorer(explorer);
    const std::string log = addinLog();
    EXPECT_FALSE(contains(log, "colInsp_NewInspector()")) << log;
    EXPECT_TRUE(contains(log, "End of UnInitHandler()")) << log;
    EXPECT_FALSE(contains(log, "Error #")) << log;
    EXPECT_EQ(client.exitAfterLastWindow(), 0) << "the add-in holds the client's objects: it could not end";
    EXPECT_EQ(client.sinkFailures(), failuresBefore);
}

TEST_F(AddinAwkwardClient, AVersion9WordEditorWindowOpenAtConnectionIsLetGoWhenItCloses) {
    StandInClient client;
    client.setVersion("9.0.0.2711");
    const std::string id = client.addMail(kInbox, mailFromFile("ham.eml"));
    const int explorer = client.openExplorer(kInbox);
    const int window = client.openWordEditorInspector(id);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    client.pump(500);
    auto names = client.barNames(window);
    EXPECT_EQ(std::count(names.begin(), names.end(), kToolbar), 0);

    client.closeInspector(window);
    client.closeExplorer(explorer);
    const std::string log = addinLog();
    EXPECT_TRUE(contains(log, "End of UnInitHandler()")) << log;
    EXPECT_FALSE(contains(log, "Error #")) << log;
    EXPECT_EQ(client.exitAfterLastWindow(), 0);
}

TEST_F(AddinAwkwardClient, AVersion9AddInLetsGoWhenTheLastWindowItHearsClosesBesideAWordEditedOne) {
    StandInClient client;
    client.setVersion("9.0.0.2711");
    const std::string ordinary = client.addMail(kInbox, mailFromFile("ham.eml"));
    const std::string written = client.addMail(kInbox, mailFromFile("ham.eml"));
    const int message = client.openInspector(ordinary);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    const int word = client.openWordEditorInspector(written);
    client.pump(500);

    // The Word window's close goes unheard, so the add-in lets go when the ordinary one closes.
    client.closeInspector(message);
    const std::string log = addinLog();
    EXPECT_TRUE(contains(log, "End of UnInitHandler()")) << log;
    EXPECT_FALSE(contains(log, "Error #")) << log;
    client.closeInspector(word);
    EXPECT_EQ(client.exitAfterLastWindow(), 0) << "the add-in holds the client's objects: it could not end";
}

}  // namespace
}  // namespace tw::winetest
