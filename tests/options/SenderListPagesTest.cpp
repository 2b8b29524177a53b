// The sender list pages: Add, Edit and Delete change the Senders store at once and the page shows it.
#include <gtest/gtest.h>

#include "options/OptionsFixture.h"

namespace tw::test {
namespace {

class SenderListPages : public OptionsFixture {
protected:
    void answerEntry(const std::string& formName, const std::string& entry) {
        h.ui.onModal(formName, [entry](platform::FormView& view) {
            (*view.controls())["txtEntry"].text = entry;
            view.controls()->click("cmdOK");
        });
    }
    void showPage(const std::string& key) {
        form->tvwOptions_MouseDown(false);
        form->tvwOptions_NodeClick(key);
    }
    void selectEntry(const std::string& entry) {
        auto& list = ctl("lstEntries");
        for (size_t i = 0; i < list.items.size(); ++i) list.selected[i] = list.items[i] == entry;
    }
};

TEST_F(SenderListPages, ApprovedAndMailingListPagesChangeTheStoreAtOnce) {
    bool removed = false;
    senders().AddBlockedSenders({"pal@far.example"}, removed, false, {});
    open();
    showPage("ApprovedSenders");
    answerEntry("frmEnterEmailDomain", "Pal@Far.example");
    form->controls()->click("cmdAdd");
    EXPECT_TRUE(senders().isApprovedSender("pal@far.example"));
    EXPECT_EQ(ctl("lstEntries").items, std::vector<std::string>{"pal@far.example"});
    EXPECT_TRUE(senders().getBlockedSenders().empty()) << "approving takes the sender off the blocked list";

    selectEntry("pal@far.example");
    answerEntry("frmEnterEmailDomain", "buddy@far.example");
    form->controls()->click("cmdEdit");
    EXPECT_EQ(ctl("lstEntries").items, std::vector<std::string>{"buddy@far.example"});

    selectEntry("buddy@far.example");
    form->controls()->click("cmdDelete");
    EXPECT_TRUE(ctl("lstEntries").items.empty());
    EXPECT_TRUE(senders().getApprovedSenders().empty());

    showPage("MailingLists");
    answerEntry("frmToMe", "news@list.example");
    form->controls()->click("cmdAdd");
    EXPECT_EQ(senders().getMailingList(), std::vector<std::string>{"news@list.example"});
    form->cmdCancel_Click();
    EXPECT_EQ(senders().getMailingList(), std::vector<std::string>{"news@list.example"})
        << "Cancel leaves the lists as changed";
}

TEST_F(SenderListPages, TheListScrollsAcrossItsWidestAddress) {
    bool removed = false;
    const std::string longest = "someone.with.a.very.long.name@mail.departments.of.a.large.company.example";
    senders().AddBlockedSenders({"a@b.example", longest}, removed, false, {});
    open();
    showPage("BlockedSenders");
    EXPECT_EQ(ctl("lstEntries").horizontalExtent, h.ui.textWidth(longest));
    showPage("ApprovedSenders");
    EXPECT_EQ(ctl("lstEntries").horizontalExtent, 0) << "an empty list does not scroll";
}

TEST_F(SenderListPages, ImportOnTheApprovedPageApprovesTheBookAndShowsTheList) {
    h.client.addAddressBook({"Friends", {{"Ann", "SMTP", "Ann@A.example", "Ann@A.example"}}});
    open();
    showPage("ApprovedSenders");
    h.ui.onModal("frmImportAddresses", [](platform::FormView& shown) {
        (*shown.controls())["ImportList"].selected.at(0) = true;
        shown.controls()->click("cmdOK");
    });
    form->controls()->click("cmdImport");
    EXPECT_TRUE(senders().isApprovedSender("ann@a.example"));
    EXPECT_EQ(ctl("lstEntries").items, std::vector<std::string>{"ann@a.example"});
}

}  // namespace
}  // namespace tw::test
