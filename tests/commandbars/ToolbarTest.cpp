// The explorer toolbar, its menu and Help entries: building, reuse, placement, and every explorer.
#include <gtest/gtest.h>

#include "commandbars/ExplorerBars.h"
#include "scan/NewMailFixture.h"

namespace tw::test {
namespace {

class Toolbar : public NewMailFixture {
protected:
    std::shared_ptr<sim::SimCommandBar> bar(const std::shared_ptr<sim::SimExplorer>& explorer) {
        return explorer->bars()->bar("Velmora");
    }
    std::vector<std::string> captions(const sim::SimCommandBarControls& controls) {
        std::vector<std::string> out;
        for (const auto& c : controls.all()) out.push_back(c->Caption());
        return out;
    }
};

TEST_F(Toolbar, ThreeFacedButtonsAndTheMenuInOrderWithTheHelpEntries) {
    start();
    auto toolbar = bar(h.client.activeExplorer());
    ASSERT_TRUE(toolbar);
    EXPECT_EQ(captions(*toolbar->controls()),
              (std::vector<std::string>{"Belcastra", "Approve Message", "Block Message", "&Tarnwick"}));
    EXPECT_EQ(toolbar->controls()->all()[1]->Tag(), "Approve SenderTarnwick");
    EXPECT_EQ(toolbar->controls()->all()[1]->face(), 103);
    EXPECT_EQ(toolbar->controls()->all()[2]->face(), 102);
    auto menu = toolbar->controls()->all()[3]->popupControls();
    ASSERT_EQ(menu->Count(), 18);
    EXPECT_EQ(menu->all()[0]->Caption(), "&Settings ...");
    EXPECT_EQ(menu->all()[0]->face(), 101);
    EXPECT_TRUE(menu->all()[1]->BeginGroup());
    EXPECT_EQ(menu->all()[5]->Style(), office::msoButtonIconAndCaption);
    EXPECT_EQ(menu->all()[16]->Tag(), "mAboutTarnwick");
    EXPECT_EQ(menu->all()[17]->Caption(), "Why was this message judged so?");
    EXPECT_TRUE(menu->all()[17]->BeginGroup());
    auto help = h.client.activeExplorer()->bars()->bar("Menu Bar")->controls()->byCaption("&Help")->popupControls();
    auto helpCaptions = captions(*help);
    EXPECT_EQ(helpCaptions[2], "Tarnwick Online Help");
    EXPECT_EQ(helpCaptions.back(), "About Tarnwick...");
}

TEST_F(Toolbar, AnExistingToolbarIsReusedWithoutDuplicatesAndPlacementSurvivesARestart) {
    start();
    auto toolbar = bar(h.client.activeExplorer());
    toolbar->setPosition(office::msoBarLeft);
    toolbar->setRowIndex(3);
    toolbar->setLeft(12);
    // The client ends without the add-in's teardown: the bar stays in the profile.
    std::string kept = h.client.activeExplorer()->bars()->save(true);
    h.disconnectAddin();
    EXPECT_FALSE(bar(h.client.activeExplorer()));
    EXPECT_EQ(settings::SettingsKey(h.registry).read("toolbarposition").toInteger().value_or(-9), 0);

    AddinHarness second;
    second.client.setKeptCommandBars(kept);
    settings::SettingsKey from(h.registry), to(second.registry);
    for (const char* name : {"toolbarposition", "toolbarleft", "toolbartop", "toolbarrowindex"})
        to.writeNumber(name, from.read(name).toInteger().value_or(0));
    auto explorer = second.client.openExplorer();
    ASSERT_TRUE(explorer->bars()->bar("Velmora"));
    second.connectAddin();
    auto reused = explorer->bars()->bar("Velmora");
    EXPECT_EQ(reused->controls()->Count(), 4);
    EXPECT_EQ(reused->Position(), office::msoBarLeft);
    EXPECT_EQ(reused->RowIndex(), 3);
    EXPECT_EQ(reused->Left(), 12);

    // Without a kept bar the next start makes it anew where the settings say.
    AddinHarness third;
    settings::SettingsKey into(third.registry);
    for (const char* name : {"toolbarposition", "toolbarleft", "toolbartop", "toolbarrowindex"})
        into.writeNumber(name, from.read(name).toInteger().value_or(0));
    auto fresh = third.client.openExplorer();
    third.connectAddin();
    ASSERT_TRUE(fresh->bars()->bar("Velmora"));
    EXPECT_EQ(fresh->bars()->bar("Velmora")->Position(), office::msoBarLeft);
    EXPECT_EQ(fresh->bars()->bar("Velmora")->RowIndex(), 3);
}

TEST_F(Toolbar, HiddenToolbarIsStoredAtCloseAndEveryExplorerSharesTheClicks) {
    start();
    auto first = h.client.activeExplorer();
    auto second = h.client.openExplorer();
    ASSERT_TRUE(bar(second));
    settings().showsenderdialog = 1;
    auto item = deliver("bulk@bad.example", "deal");
    second->select({item});
    bar(second)->controls()->find(0, 0, commandbars::controlTag("Block Sender"), false, false)->click();
    EXPECT_EQ(item->parentFolder(), h.client.defaultFolder(outlook::olFolderDeletedItems));

    bar(second)->setVisible(false);
    second->switchTo(h.client.inbox());
    h.client.closeExplorer(second);
    EXPECT_EQ(settings::SettingsKey(h.registry).read("ToolbarExplShow").toInteger().value_or(-1), 0);
    // Closing the second of two explorers leaves the add-in running.
    EXPECT_TRUE(bar(first));
    EXPECT_TRUE(h.addin().senders());
    h.client.closeExplorer(first);
    EXPECT_FALSE(h.addin().senders());
}

TEST_F(Toolbar, AButtonWhoseFaceCannotBeSetIsStillSetUpAndBound) {
    h.client.commandBarHub().refusePictures = true;
    start();
    settings().showsenderdialog = 1;
    auto block = bar(h.client.activeExplorer())->controls()->all()[2];
    EXPECT_EQ(block->face(), 0);
    EXPECT_EQ(block->Style(), office::msoButtonIcon);
    EXPECT_EQ(block->TooltipText(), "Block Message");
    EXPECT_TRUE(block->Visible());
    auto item = deliver("bulk@bad.example", "deal");
    h.client.activeExplorer()->select({item});
    block->click();
    EXPECT_EQ(item->parentFolder(), h.client.defaultFolder(outlook::olFolderDeletedItems));
    EXPECT_TRUE(h.logHas("applyFace")) << "the failure went unlogged";
}

}  // namespace
}  // namespace tw::test
