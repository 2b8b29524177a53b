// The add-in against the stand-in client's less forgiving habits: versions without some members, and an
// exit that only succeeds when the add-in let go of every object of the client.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/Error.h"
#include "wine/AddinHost.h"
#include "win32/com/Dispatch.h"
#include "win32/Win32Registry.h"

namespace tw::winetest {
namespace {

using standin::StandInClient;
using win32::ComPtr;
using win32::Dispatch;



class StandInBehavioursWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(registerForFirstRun()) << "regsvr32 could not register the add-in";
    }
    void TearDown() override { regsvr32(true); }
};

/// Whether a mail item of the client has that member, as a script's late binding finds out.
bool mailHas(StandInClient& client, const std::string& entryId, const char* member) {
    Dispatch session(Dispatch(ComPtr<IDispatch>::share(client.application())).call("GetNamespace", "MAPI").toDispatch());
    Dispatch item(session.call("GetItemFromID", entryId).toDispatch());
    try {
        item.idOf(member);
        return true;
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 438) << member;
        return false;
    }
}

TEST_F(StandInBehavioursWineTest, OlderVersionsLackTheSendersAddressAndTheMapiObjects) {
    standin::MailSpec mail;
    mail.senderAddress = "someone@example.org";
    for (auto [version, address, mapi] : {std::tuple{"9.0.0.2711", false, false}, {"10.0.2627.1", false, true}, {"11.0.0.8312", true, true}}) {
        StandInClient client;
        client.setVersion(version);
        const std::string id = client.addMail(kInbox, mail);
        EXPECT_EQ(mailHas(client, id, "SenderEmailAddress"), address) << version;
        Dispatch session(Dispatch(ComPtr<IDispatch>::share(client.application())).call("GetNamespace", "MAPI").toDispatch());
        bool sessionHasMapi = true;
        try {
            session.idOf("MAPIOBJECT");
        } catch (const Error&) {
            sessionHasMapi = false;
        }
        EXPECT_EQ(sessionHasMapi, mapi) << version;
        EXPECT_TRUE(mailHas(client, id, "SenderName")) << version;
    }
}

TEST_F(StandInBehavioursWineTest, AfterTheLastExplorerClosesTheAddInHoldsNothingOfTheClient) {
    StandInClient client;
    const int explorer = client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    const standin::MailSpec spam = mailFromFile("spam.eml");
    client.deliver(kInbox, mailFromFile("ham.eml"));
    client.deliver(kInbox, spam);
    client.pump(3000);
    const std::string ham = client.items(kInbox).at(0).entryId;
    client.select(explorer, {ham});
    const int window = client.openInspector(ham);
    client.pump(300);
    client.closeInspector(window);
    client.closeExplorer(explorer);
    ASSERT_TRUE(contains(addinLog(), "End of UnInitHandler()")) << addinLog();
    EXPECT_EQ(client.exitAfterLastWindow(), 0) << "objects of the client the add-in still holds";
    EXPECT_EQ(client.addIns()[0].disconnection, S_OK);
}

TEST_F(StandInBehavioursWineTest, AfterTheLastMessageWindowClosesWithoutAnExplorerTheAddInHoldsNothing) {
    // The main window closes first, then the message window that outlived it.
    {
        StandInClient client;
        const int explorer = client.openExplorer(kInbox);
        ASSERT_EQ(client.loadAddIns().size(), 1u);
        const int window = client.openInspector(client.addMail(kInbox, mailFromFile("ham.eml")));
        client.closeExplorer(explorer);
        client.closeInspector(window);
        EXPECT_EQ(client.exitAfterLastWindow(), 0) << "objects of the client the add-in still holds: " << addinLog();
    }
    // The client was started to show one message: its window was open before the add-in connected.
    removeAddinLog();
    StandInClient client;
    const int window = client.openInspector(client.addMail(kInbox, mailFromFile("ham.eml")));
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    client.closeInspector(window);
    EXPECT_TRUE(contains(addinLog(), "End of UnInitHandler()")) << addinLog();
    EXPECT_EQ(client.exitAfterLastWindow(), 0) << "objects of the client the add-in still holds: " << addinLog();
}

}  // namespace
}  // namespace tw::winetest

namespace tw::winetest {
namespace {

constexpr const char* kAddIns = "Software\\Microsoft\\Office\\Outlook\\Addins";
constexpr const char* kProgId = "OrvennaOutlookAddIn.Connect";

TEST_F(StandInBehavioursWineTest, TheClientLoadsTheAddInAsItsLoadBehaviorSaysUnderTheUserOrTheMachine) {
    using platform::Hive;
    using platform::RegValue;
    win32::Win32Registry registry;
    const std::string userKey = std::string(kAddIns) + "\\" + kProgId;
    auto loadedWith = [&](Hive hive, uint32_t behavior) {
        registry.setValue(hive, userKey, "LoadBehavior", RegValue::ofDword(behavior));
        StandInClient client;
        const bool loaded = !client.loadAddIns().empty();
        client.disconnectAddIns();
        return loaded;
    };
    EXPECT_TRUE(loadedWith(Hive::CurrentUser, 3));
    EXPECT_FALSE(loadedWith(Hive::CurrentUser, 2)) << "an add-in that is not loaded";
    EXPECT_FALSE(loadedWith(Hive::CurrentUser, 8)) << "on demand";
    EXPECT_TRUE(loadedWith(Hive::CurrentUser, 16)) << "the first start";
    EXPECT_EQ(registry.queryValue(Hive::CurrentUser, userKey, "LoadBehavior")->dword, 9u);
    EXPECT_FALSE(loadedWith(Hive::CurrentUser, 9)) << "on demand after the first start";

    registry.deleteTree(Hive::CurrentUser, userKey);
    registry.createKey(Hive::LocalMachine, userKey);
    EXPECT_TRUE(loadedWith(Hive::LocalMachine, 3)) << "installed for every user of the machine";
    EXPECT_FALSE(loadedWith(Hive::LocalMachine, 2));
    registry.deleteTree(Hive::LocalMachine, userKey);
}

}  // namespace
}  // namespace tw::winetest
