// The folder-listener page: folders added through the picker and removed reach the auto-scan at once.
#include <gtest/gtest.h>

#include <algorithm>

#include "options/OptionsFixture.h"
#include "scan/AutoScan.h"

namespace tw::test {
namespace {

class FolderListeners : public OptionsFixture {};

TEST_F(FolderListeners, AddedAndRemovedFoldersReachTheAutoScanAtOnce) {
    auto root = h.client.inbox()->parentFolder();
    auto work = std::dynamic_pointer_cast<sim::SimFolder>(root->Folders()->Add("Work", outlook::olFolderInbox));
    open();
    form->tvwOptions_NodeClick("ScanFolders");
    const size_t before = ctl("lstFolders").items.size();
    h.client.setPickFolderAnswer(work);
    form->controls()->click("cmdAddFolder");
    ASSERT_EQ(ctl("lstFolders").items.size(), before + 1);
    EXPECT_NE(ctl("lstFolders").items.back().find("Work"), std::string::npos);
    EXPECT_EQ(h.addin().autoScan()->listenerCount(), static_cast<int32_t>(before + 1));

    h.client.setPickFolderAnswer(nullptr);
    form->controls()->click("cmdAddFolder");
    EXPECT_EQ(ctl("lstFolders").items.size(), before + 1) << "a cancelled picker changes nothing";

    ctl("lstFolders").selected.back() = true;
    form->controls()->click("cmdRemoveFolder");
    EXPECT_EQ(ctl("lstFolders").items.size(), before);
    EXPECT_EQ(h.addin().autoScan()->listenerCount(), static_cast<int32_t>(before));

    // No clean exit follows: the next start, after a crash, reads the list as it stands now.
    auto afterCrash = std::make_shared<scan::AutoScan>(h.addin());
    EXPECT_EQ(afterCrash->listenerCount(), static_cast<int32_t>(before));
    EXPECT_TRUE(afterCrash->pendingFolders().empty());
}

TEST_F(FolderListeners, AFolderWhoseStoreStaysAwayIsShownMarkedAndCanBeRemoved) {
    auto mailbox = std::make_shared<sim::SimFolder>(h.client, "Mailbox - Demo", h.client.newEntryId(),
                                                    "00C0FFEE00C0FFEE", std::weak_ptr<sim::SimFolder>());
    h.client.stores()->adopt(mailbox);
    auto projects =
        std::dynamic_pointer_cast<sim::SimFolder>(mailbox->Folders()->Add("Projects", outlook::olFolderInbox));
    int32_t index = 0;
    ASSERT_TRUE(h.addin().autoScan()->addListener(projects, index));
    const std::string path = h.addin().folderPath(*projects);
    const std::string cache = h.addin().dataFolder() + "/" + projects->EntryID();
    h.disconnectAddin();
    h.client.stores()->release(mailbox);  // the mailbox is offline from now on
    h.files.replaceContents(cache, "0011");
    h.connectAddin();
    ASSERT_EQ(h.addin().autoScan()->pendingFolders().size(), 1u);

    open();
    form->tvwOptions_NodeClick("ScanFolders");
    ASSERT_FALSE(ctl("lstFolders").items.empty());
    EXPECT_EQ(ctl("lstFolders").items.back(), path + " (not available)");
    ctl("lstFolders").selected.back() = true;
    form->controls()->click("cmdRemoveFolder");
    EXPECT_TRUE(h.addin().autoScan()->pendingFolders().empty());
    EXPECT_EQ(std::count(ctl("lstFolders").items.begin(), ctl("lstFolders").items.end(), path + " (not available)"), 0);
    EXPECT_FALSE(h.files.fileExists(cache)) << "its processed cache goes with it";

    auto afterCrash = std::make_shared<scan::AutoScan>(h.addin());
    EXPECT_TRUE(afterCrash->pendingFolders().empty()) << "the removal is stored at once";
}

TEST_F(FolderListeners, TheListScrollsAcrossItsWidestFolderWhenLoadedAndWhenAFolderIsAdded) {
    auto root = h.client.inbox()->parentFolder();
    auto shortName = std::dynamic_pointer_cast<sim::SimFolder>(root->Folders()->Add("Q", outlook::olFolderInbox));
    int32_t index = 0;
    h.addin().autoScan()->addListener(shortName, index);
    open();
    form->tvwOptions_NodeClick("ScanFolders");
    auto widest = [this] {
        int width = 0;
        for (const auto& path : ctl("lstFolders").items) width = std::max(width, h.ui.textWidth(path));
        return width;
    };
    ASSERT_FALSE(ctl("lstFolders").items.empty());
    EXPECT_EQ(ctl("lstFolders").horizontalExtent, widest());
    const int loaded = ctl("lstFolders").horizontalExtent;
    EXPECT_GT(loaded, 0);

    auto deep = std::dynamic_pointer_cast<sim::SimFolder>(
        shortName->Folders()->Add("Newsletters from the far side of the mountains", outlook::olFolderInbox));
    h.client.setPickFolderAnswer(deep);
    form->controls()->click("cmdAddFolder");
    EXPECT_EQ(ctl("lstFolders").horizontalExtent, widest());
    EXPECT_GT(ctl("lstFolders").horizontalExtent, loaded) << "a longer path widens the scrolling";

    ctl("lstFolders").selected.back() = true;
    form->controls()->click("cmdRemoveFolder");
    EXPECT_EQ(ctl("lstFolders").horizontalExtent, widest()) << "and removing it narrows it again";
}

}  // namespace
}  // namespace tw::test
