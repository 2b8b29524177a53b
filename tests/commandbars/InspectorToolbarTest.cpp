// The message window's toolbar and menu: which windows get it, that each window's buttons act on
// that window's message alone, its placement kept from one window to the next, and teardown.
#include <gtest/gtest.h>

#include <set>

#include "commandbars/ExplorerBars.h"
#include "commandbars/InspWrap.h"
#include "scan/NewMailFixture.h"
#include "sim/SimCommandBars.h"

namespace tw::test {
namespace {

class InspectorToolbar : public NewMailFixture {
protected:
    void SetUp() override {
        engine.setScore(0);
        start();
        engine.reset();
    }
    std::shared_ptr<sim::SimItem> deliverTo(const std::shared_ptr<sim::SimFolder>& folder, const std::string& from,
                                            const std::string& subject) {
        return h.client.deliverMessage(message(from, "me@home.example", subject), folder);
    }
    static std::shared_ptr<sim::SimCommandBar> bar(const std::shared_ptr<sim::SimInspector>& window) {
        return window->bars()->bar("Velmora");
    }
    /// The wrapper the add-in keeps for the window opened last.
    std::shared_ptr<commandbars::InspWrap> lastWrapper() { return h.library.colInspWraps.values().back(); }
    std::shared_ptr<sim::SimCommandBarControl> menuEntry(const std::shared_ptr<sim::SimInspector>& window,
                                                         const std::string& caption) {
        for (const auto& control : bar(window)->controls()->all()[3]->popupControls()->all())
            if (control->Caption() == caption) return control;
        return nullptr;
    }
    int trainedWith(int32_t weight) {
        int n = 0;
        for (const auto& call : engine.callsStartingWith("TW_addMessage(1,"))
            if (call.find("," + std::to_string(weight) + ",0)") != std::string::npos) ++n;
        return n;
    }
    std::optional<int64_t> stored(const char* name) { return settingsKey().read(name).toInteger(); }
};

TEST_F(InspectorToolbar, ReceivedMailGetsTheToolbarAndMenuWithTagsOfItsOwnWindow) {
    auto window = h.client.openInspector(deliver("ann@a.example", "hello"));
    auto toolbar = bar(window);
    ASSERT_TRUE(toolbar) << h.logText();
    const auto& controls = toolbar->controls()->all();
    ASSERT_EQ(controls.size(), 4u);
    EXPECT_EQ(controls[0]->Caption(), "Belcastra");
    EXPECT_EQ(controls[0]->TooltipText(), "Tarnwick Options");
    EXPECT_EQ(controls[1]->Caption(), "Approve Message");
    EXPECT_EQ(controls[2]->face(), 102);
    EXPECT_EQ(controls[1]->Tag(), lastWrapper()->windowTag("InspApproveSender"));
    EXPECT_EQ(controls[1]->Tag().rfind("InspApproveSenderTarnwick", 0), 0u);
    EXPECT_EQ(controls[3]->Caption(), "&Tarnwick");
    auto menu = controls[3]->popupControls();
    ASSERT_EQ(menu->Count(), 18);
    EXPECT_EQ(menu->all()[10]->Caption(), "Report a Bu&g");
    EXPECT_EQ(menu->all()[13]->Caption(), "Report Frau&d");
    EXPECT_FALSE(menuEntry(window, "Scan &Folder...")) << "the message window has no folder scan";
    std::set<std::string> tags;
    for (const auto& entry : menu->all()) tags.insert(entry->Tag());
    EXPECT_EQ(tags.size(), 18u) << "menu entries share a Tag";
    EXPECT_TRUE(tags.count(lastWrapper()->windowTag("InspmBlockSender")));
    auto help = window->bars()->bar("Menu Bar")->controls()->byCaption("&Help")->popupControls();
    EXPECT_EQ(help->all().back()->Caption(), "About Tarnwick...");
    // The main window's bar is another bar, left as it was.
    EXPECT_EQ(h.client.activeExplorer()->bars()->bar("Velmora")->controls()->Count(), 4);
}

TEST_F(InspectorToolbar, TheMessagesOwnFolderDecidesNotTheMainWindowsNorTheFolderName) {
    auto sent = h.client.defaultFolder(outlook::olFolderSentMail);
    auto drafts = h.client.defaultFolder(outlook::olFolderDrafts);
    auto userDrafts = h.client.inbox()->subfolder("Drafts");
    auto explorer = h.client.activeExplorer();

    // The main window shows Sent Items, yet the message opened is received mail.
    explorer->switchTo(sent);
    auto received = h.client.openInspector(deliver("ann@a.example", "received"));
    EXPECT_TRUE(bar(received)) << "received mail lost its toolbar because of the main window's folder";

    explorer->switchTo(h.client.inbox());
    auto sentWindow = h.client.openInspector(deliverTo(sent, "me@home.example", "sent"));
    EXPECT_FALSE(bar(sentWindow)) << "a sent message got the toolbar";
    EXPECT_EQ(lastWrapper()->fromFolderName(), "Sent Items");
    auto draftWindow = h.client.openInspector(deliverTo(drafts, "me@home.example", "draft"));
    EXPECT_FALSE(bar(draftWindow)) << "a draft got the toolbar";
    auto userWindow = h.client.openInspector(deliverTo(userDrafts, "bob@b.example", "filed"));
    EXPECT_TRUE(bar(userWindow)) << "a user's own folder named Drafts kept the toolbar away";

    // A message being written is in no folder; a contact is no message.
    auto composing = h.client.openInspector(h.client.createItem(outlook::olMail, "new"));
    EXPECT_FALSE(bar(composing));
    auto contact = h.client.openInspector(h.client.createItem(outlook::olContact, "Ann"));
    EXPECT_FALSE(bar(contact));

    // Closing a window without the toolbar stores nothing of it.
    h.client.closeInspector(sentWindow);
    EXPECT_FALSE(stored("ToolbarInspShow"));
    EXPECT_FALSE(stored("toolbarpositionInsp"));
    EXPECT_FALSE(h.logHas("Error #")) << h.logText();
}

TEST_F(InspectorToolbar, OneClickOnBlockWithThreeWindowsOpenActsOnceOnThatWindowsMessage) {
    settings().showsenderdialog = 1;
    settings().ShowReportSpamConfirmation = false;
    auto first = h.client.openInspector(deliver("one@first.example", "one"));
    auto secondItem = deliver("two@second.example", "two");
    auto second = h.client.openInspector(secondItem);
    auto third = h.client.openInspector(deliver("three@third.example", "three"));
    ASSERT_TRUE(bar(first) && bar(second) && bar(third));
    EXPECT_NE(bar(first)->controls()->all()[2]->Tag(), bar(second)->controls()->all()[2]->Tag());
    engine.reset();

    bar(second)->controls()->all()[2]->click();
    const auto& blocked = senders().blockedSenders().entries;
    EXPECT_EQ(blocked.Count(), 1);
    EXPECT_TRUE(blocked.Exists("two@second.example"));
    EXPECT_EQ(trainedWith(200), 1) << "one click trained more than once";
    EXPECT_TRUE(inInbox(secondItem)) << "the window's command moves nothing";

    // The menu's entries, too, act on their own window's message.
    menuEntry(first, "Appro&ve Domain")->click();
    EXPECT_TRUE(senders().approvedSenders().entries.Exists("first.example"));
    EXPECT_EQ(senders().approvedSenders().entries.Count(), 1);
    const size_t sentBefore = h.client.defaultFolder(outlook::olFolderSentMail)->simItems()->all().size();
    menuEntry(third, "Report S&pam")->click();
    auto sentNow = h.client.defaultFolder(outlook::olFolderSentMail)->simItems()->all();
    ASSERT_EQ(sentNow.size(), sentBefore + 1) << "one report was expected";
    ASSERT_EQ(sentNow.back()->Attachments()->Count(), 1);
    EXPECT_NE(sentNow.back()->Attachments()->Item(1)->DisplayName().find("three"), std::string::npos);
}

TEST_F(InspectorToolbar, PlacementAndVisibilityAreStoredAtCloseAndGiveTheNextWindow) {
    auto window = h.client.openInspector(deliver("ann@a.example", "one"));
    auto toolbar = bar(window);
    ASSERT_TRUE(toolbar);
    EXPECT_EQ(toolbar->Position(), office::msoBarTop);
    toolbar->setPosition(office::msoBarLeft);
    toolbar->setRowIndex(2);
    toolbar->setLeft(7);
    toolbar->setTop(30);
    toolbar->setVisible(false);
    h.client.closeInspector(window);
    EXPECT_EQ(stored("toolbarpositionInsp"), 0);
    EXPECT_EQ(stored("toolbarrowindexInsp"), 2);
    EXPECT_EQ(stored("toolbarleftInsp"), 7);
    EXPECT_EQ(stored("toolbartopInsp"), 30);
    EXPECT_EQ(stored("ToolbarInspShow"), 0);
    EXPECT_FALSE(stored("toolbarposition")) << "the main window's placement was written";

    auto next = h.client.openInspector(deliver("bob@b.example", "two"));
    ASSERT_TRUE(bar(next));
    EXPECT_FALSE(bar(next)->Visible());
    EXPECT_EQ(bar(next)->Position(), office::msoBarLeft);

    // The next start reads the stored placement.
    restart();
    auto afterRestart = h.client.openInspector(deliver("cy@c.example", "three"));
    ASSERT_TRUE(bar(afterRestart));
    EXPECT_EQ(bar(afterRestart)->RowIndex(), 2);
    EXPECT_EQ(bar(afterRestart)->Left(), 7);
    EXPECT_FALSE(bar(afterRestart)->Visible());
}

TEST_F(InspectorToolbar, ClosingAMessageKeepsTheAddinWhileTheMainWindowIsOpenAndTeardownTakesTheBarsAway) {
    auto window = h.client.openInspector(deliver("ann@a.example", "one"));
    auto other = h.client.openInspector(deliver("bob@b.example", "two"));
    h.client.closeInspector(window);
    EXPECT_FALSE(h.logHas("UnInitHandler()"));
    EXPECT_TRUE(h.addin().senders());

    // The last main window closes with a message still open: the add-in goes, and so do the
    // window's buttons, which nothing would answer any more.
    h.client.closeExplorer(h.client.activeExplorer());
    EXPECT_TRUE(h.logHas("End of UnInitHandler()"));
    EXPECT_FALSE(bar(other));
    auto help = other->bars()->bar("Menu Bar")->controls()->byCaption("&Help")->popupControls();
    EXPECT_FALSE(help->byCaption("About Tarnwick..."));
}

TEST_F(InspectorToolbar, TheMessagesReadBuildsTheToolbarOnceAndTheWindowsActivateStandsInWithoutIt) {
    auto item = deliver("ann@a.example", "one");
    auto window = h.client.openInspector(item);
    ASSERT_TRUE(bar(window));
    EXPECT_TRUE(h.logHas("m_objMail_Read()"));
    EXPECT_TRUE(h.logHas("m_objMail_Open"));
    // The client shows the message again and brings the window to the front again.
    item->Events().Read().raise();
    window->Activate().raise();
    EXPECT_EQ(h.logCount("InspExpl ShowToolBarMenu"), 1) << "the toolbar was built more than once";
    EXPECT_EQ(bar(window)->controls()->Count(), 4);

    // A window whose item tells nothing of its reading gets its toolbar when it first comes up.
    auto quietItem = deliver("bob@b.example", "two");
    auto quiet = std::make_shared<sim::SimInspector>(quietItem);
    quiet->setBars(std::make_shared<sim::SimCommandBars>(h.client.commandBarHub()));
    quiet->bars()->addBuiltInBars();
    auto wrapper = std::make_shared<commandbars::InspWrap>(h.addin());
    wrapper->setInspector(quiet);
    wrapper->setItem(quietItem, outlook::olMail);
    wrapper->setKey(99);
    quiet->Activate().raise();
    quiet->Activate().raise();
    EXPECT_TRUE(bar(quiet));
    EXPECT_EQ(h.logCount("InspExpl ShowToolBarMenu"), 2);
    wrapper->detach();
    EXPECT_FALSE(h.logHas("Error #")) << h.logText();
}

TEST_F(InspectorToolbar, TheMessagesCloseTakesTheToolbarAwayAndTheWindowsCloseAfterItFindsNobody) {
    auto item = deliver("ann@a.example", "one");
    auto window = h.client.openInspector(item);
    auto other = h.client.openInspector(deliver("bob@b.example", "two"));
    ASSERT_TRUE(bar(window));
    bar(window)->setRowIndex(3);
    bar(window)->setVisible(false);

    // The message closes; its window has not closed yet.
    item->Events().Close().raise();
    EXPECT_TRUE(h.logHas("m_objMail_Close()"));
    EXPECT_TRUE(h.logHas("End of m_objMail_Close()"));
    EXPECT_FALSE(bar(window)) << "the closed message's toolbar stayed";
    EXPECT_EQ(stored("toolbarrowindexInsp"), 3);
    EXPECT_EQ(stored("ToolbarInspShow"), 0);
    EXPECT_EQ(h.library.colInspWraps.count(), 1u);
    EXPECT_FALSE(h.logHas("UnInitHandler")) << "an explorer is open: the add-in stays";

    // The window's Close that follows, and a second Close of the message, reach nothing.
    h.client.closeInspector(window);
    item->Events().Close().raise();
    EXPECT_EQ(h.logCount("End of m_objMail_Close()"), 1);
    EXPECT_FALSE(h.logHas("m_objInsp_Close"));
    EXPECT_EQ(h.logCount("KillInsp"), 1);

    // A window whose own Close comes first does the work once; the message's Close after it is not heard.
    auto otherItem = other->CurrentItem();
    other->Close().raise();
    otherItem->Events().Close().raise();
    EXPECT_EQ(h.logCount("End of m_objInsp_Close()"), 1);
    EXPECT_EQ(h.logCount("End of m_objMail_Close()"), 1);
    EXPECT_EQ(h.library.colInspWraps.count(), 0u);
    EXPECT_FALSE(h.logHas("Error #")) << h.logText();
}

TEST_F(InspectorToolbar, SendingAMessageFromItsWindowIsLogged) {
    auto draft = h.client.createItem(outlook::olMail, "going out");
    draft->Recipients()->Add("bob@b.example");
    auto window = h.client.openInspector(draft);
    EXPECT_FALSE(bar(window)) << "a message being written got the toolbar";
    draft->Send();
    EXPECT_TRUE(h.logHas("m_objMail_Send()"));
    h.client.closeInspector(window);
    EXPECT_TRUE(h.logHas("End of m_objMail_Close()"));
    EXPECT_FALSE(h.logHas("Error #")) << h.logText();
}

}  // namespace
}  // namespace tw::test
