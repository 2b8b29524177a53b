// The approve and block commands from the toolbar: lists, training, threshold, moves and the sender dialog.
#include <gtest/gtest.h>

#include "senders/ApproveBlockFixture.h"
#include "senders/ApproveBlock.h"
#include "senders/frmEnterEmailDomain.h"

namespace tw::test {
namespace {

class ApproveBlock : public ApproveBlockFixture {};

TEST_F(ApproveBlock, ApprovingInTheJunkFolderMovesToTheInboxAndTrainsAsLegitimate) {
    noDialog();
    auto item = h.client.deliverMessage(message("friend@good.example", "me@home.example", "hello"), junk());
    explorer()->switchTo(junk());
    select({item});
    click("Approve Sender");
    EXPECT_TRUE(senders().isApprovedSender("friend@good.example"));
    EXPECT_TRUE(inInbox(item));
    EXPECT_EQ(trainedWith(-200), 1);
    // In the Inbox an approval leaves the message where it is.
    auto other = deliver("pal@good.example", "hi");
    explorer()->switchTo(h.client.inbox());
    select({other});
    click("Approve Sender");
    EXPECT_TRUE(inInbox(other));
}

TEST_F(ApproveBlock, BlockingMarksReadMovesToDeletedItemsAndTrainsAsSpam) {
    noDialog();
    auto item = deliver("spammer@bad.example", "offer");
    select({item});
    click("Block Sender");
    auto deleted = h.client.defaultFolder(outlook::olFolderDeletedItems);
    EXPECT_EQ(item->parentFolder(), deleted);
    EXPECT_FALSE(item->UnRead());
    EXPECT_TRUE(senders().blockedSenders().entries.Exists("spammer@bad.example"));
    EXPECT_EQ(trainedWith(200), 1);
    // Inside Deleted Items nothing moves.
    explorer()->switchTo(deleted);
    select({item});
    click("Block Sender");
    EXPECT_EQ(item->parentFolder(), deleted);
}

TEST_F(ApproveBlock, AContactIsNotBlockedButStillTrainedAndMoved) {
    noDialog();
    h.client.addContact("Ann", {"ann@friends.example"});
    auto item = deliver("ann@friends.example", "news");
    select({item});
    click("Block Sender");
    EXPECT_FALSE(senders().blockedSenders().entries.Exists("ann@friends.example"));
    ASSERT_FALSE(h.ui.boxes.empty());
    EXPECT_NE(h.ui.boxes.back().prompt.find("list of contacts"), std::string::npos);
    EXPECT_EQ(trainedWith(200), 1);
    EXPECT_EQ(item->parentFolder(), h.client.defaultFolder(outlook::olFolderDeletedItems));
}

TEST(ThresholdAdaptation, ApprovalsRiseToTheCapBlocksFallToTheFloorAndNoApprovalLowers) {
    EXPECT_NEAR(senders::adaptedThreshold(90, 1, true), 90.9, 1e-9);
    EXPECT_NEAR(senders::adaptedThreshold(90, 1, false), 89.1, 1e-9);
    EXPECT_DOUBLE_EQ(senders::adaptedThreshold(91.5, 1, true), 92);
    EXPECT_DOUBLE_EQ(senders::adaptedThreshold(50, 1, false), 88);
    // Above the cap an approval used to pull the threshold down to 92.
    EXPECT_DOUBLE_EQ(senders::adaptedThreshold(95, 1, true), 95);
}

TEST_F(ApproveBlock, TheDialogUsesSingularTextsForTwoMessagesOfOneSenderAndYesActs) {
    settings().reportspam = 0;
    auto a = deliver("x@bad.example", "one");
    auto b = deliver("X@bad.example", "two");
    select({a, b});
    std::string caption, description;
    std::vector<std::string> listed;
    h.ui.onModal("frmSenderDialog", [&](platform::FormView& form) {
        auto& c = *form.controls();
        caption = c.caption;
        description = c["lblDescription"].caption;
        listed = c["lstSenders"].items;
        c.click("cmdYes");
    });
    click("Block Sender");
    EXPECT_EQ(caption, "Block Message");
    EXPECT_EQ(description,
              "Do you want to block this message? All future messages from this sender will be blocked, "
              "and the Wordloom training database will be updated.")
        << "one sentence, unbroken";
    EXPECT_EQ(listed, std::vector<std::string>{"x@bad.example"});
    EXPECT_TRUE(senders().blockedSenders().entries.Exists("x@bad.example"));
    EXPECT_EQ(a->parentFolder(), h.client.defaultFolder(outlook::olFolderDeletedItems));
}

TEST_F(ApproveBlock, DontShowAgainWithCancelSuppressesTheDialogWithoutActing) {
    auto item = deliver("y@bad.example", "one");
    select({item});
    h.ui.onModal("frmSenderDialog", [](platform::FormView& form) {
        form.controls()->operator[]("chkDontShow").value = true;
        form.controls()->click("cmdNo");
    });
    click("Block Sender");
    EXPECT_FALSE(senders().blockedSenders().entries.Exists("y@bad.example"));
    EXPECT_EQ(settings().showsenderdialog, 1);
    size_t shows = h.ui.formShows.size();
    click("Block Sender");
    EXPECT_EQ(h.ui.formShows.size(), shows);
    EXPECT_TRUE(senders().blockedSenders().entries.Exists("y@bad.example"));
}

TEST_F(ApproveBlock, ABlockDomainDialogDoesNotWarnAboutAnApprovedDomain) {
    bool removed = false;
    senders().AddApprovedSenders({"partner.example"}, removed, false, {});
    auto item = deliver("sales@partner.example", "one");
    select({item});
    h.ui.onModal("frmSenderDialog", [](platform::FormView& form) { form.controls()->click("cmdNo"); });
    size_t boxes = h.ui.boxes.size();
    click("mBlockDomain");
    // The dialog used to check the domain as if it were an address of a block-sender action.
    EXPECT_EQ(h.ui.boxes.size(), boxes);
}

TEST_F(ApproveBlock, CheckOnlyModeChangesNoListAndMovesOnlySpam) {
    noDialog();
    settings().nospamengine = 2;
    engine.setScoreFor("winner", 99);
    auto spam = deliver("s@bad.example", "winner");
    auto ham = deliver("h@ok.example", "lunch");
    select({spam, ham});
    click("Block Sender");
    EXPECT_EQ(senders().blockedSenders().entries.Count(), 0u);
    EXPECT_TRUE(inJunk(spam));
    EXPECT_TRUE(inInbox(ham));
}

TEST_F(ApproveBlock, TheEntryDialogLowerCasesAndEditsOnlyTheEntryShown) {
    bool removed = false;
    senders().AddApprovedSenders({"bob@x.com", "carol@x.com"}, removed, false, {});
    senders::frmEnterEmailDomain add(senders(), h.ui, h.library.ensureLog());
    add.setKind(1);
    add.setMode(senders::entryAdd);
    (*add.controls())["txtEntry"].text = "  Bob@X.com ";
    add.cmdOK_Click();
    EXPECT_TRUE(senders().blockedSenders().entries.Exists("bob@x.com"));
    EXPECT_FALSE(senders().isApprovedSender("bob@x.com"));

    senders::frmEnterEmailDomain edit(senders(), h.ui, h.library.ensureLog());
    edit.setKind(0);
    edit.setMode(senders::entryEdit);
    (*edit.controls())["txtEntry"].text = "dave@x.com";
    edit.cmdOK_Click();  // nothing selected: said so, nothing dropped
    EXPECT_NE(h.ui.boxes.back().prompt.find("select the entry"), std::string::npos);
    edit.setEditedEntry("carol@x.com");
    (*edit.controls())["txtEntry"].text = "Dave@X.com";
    edit.cmdOK_Click();
    EXPECT_TRUE(senders().isApprovedSender("dave@x.com"));
    EXPECT_FALSE(senders().isApprovedSender("carol@x.com"));

    // Shown, each mode says what the text is for.
    std::string prompt;
    h.ui.onModal("frmEnterEmailDomain", [&](platform::FormView& form) {
        prompt = (*form.controls())["lblPrompt"].caption;
        form.controls()->pressEscape();
    });
    edit.show();
    EXPECT_EQ(prompt, "Enter the new email address or domain of the sender.");
    add.show();
    EXPECT_EQ(prompt, "Enter the email address or domain of the sender to be added.");
}

TEST_F(ApproveBlock, BlockedFromTheToolbarTheNextMessageOfThatSenderGoesToJunk) {
    engine.setScore(10);
    auto slipped = deliver("promo@spam.example", "cheap pills");
    runQueue();
    ASSERT_TRUE(inInbox(slipped));
    select({slipped});
    h.ui.onModal("frmSenderDialog", [](platform::FormView& form) { form.controls()->pressEnter(); });
    click("Block Sender");
    EXPECT_EQ(slipped->parentFolder(), h.client.defaultFolder(outlook::olFolderDeletedItems));
    auto next = deliver("promo@spam.example", "more pills");
    runQueue();
    EXPECT_TRUE(inJunk(next));
}

}  // namespace
}  // namespace tw::test
