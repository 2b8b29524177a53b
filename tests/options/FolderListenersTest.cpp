// The folder-listener page: folders added through the picker and removed reach the auto-scan at once.
#include <gtest/gtest.h>

#include "options/OptionsFixture.h"

namespace tw::test {
namespace {

class FolderListeners : public OptionsFixture {};

TEST_F(FolderListeners, AddedAndRemovedFoldersReachTheAutoScanAtOnce) {
    auto root = h.client.inbox()->parentFolder();
    auto work = std::dynamic_pointer_cast<sim::SimFolder>(root->Folders()->Add("Work", outlook::olFolderInbox));
    open();
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
}

}  // namespace
}  // namespace tw::test
