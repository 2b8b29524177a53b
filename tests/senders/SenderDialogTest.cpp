// The sender dialog's countries, a command that fails part way, and the dialog of one open message.
#include <gtest/gtest.h>

#include "senders/ApproveBlock.h"
#include "senders/ApproveBlockFixture.h"
#include "settings/Countries.h"

namespace tw::test {
namespace {

class SenderDialog : public ApproveBlockFixture {
protected:
    /// Answers the next sender dialogs with OK after ticking exactly these countries.
    void answerSelecting(const std::vector<std::string>& names) {
        h.ui.onModal("frmSenderDialog", [this, names](platform::FormView& form) {
            auto& list = (*form.controls())["ListCountries"];
            listed = list.items;
            preticked = list.checked;
            // The countries are ticked as a user does, once the options show them.
            if (!list.visible) form.controls()->click("cmdOptions");
            for (size_t i = 0; i < list.items.size(); ++i)
                form.controls()->tick("ListCountries", i,
                                      std::find(names.begin(), names.end(), list.items[i]) != names.end());
            form.controls()->click("cmdYes");
        });
    }
    std::string name(const std::string& code) { return h.addin().countries()->GetNameFromCode(code); }
    std::string lastBox() { return h.ui.boxes.empty() ? std::string() : h.ui.boxes.back().prompt; }

    std::vector<std::string> listed;
    std::vector<bool> preticked;
};

TEST_F(SenderDialog, CountriesOfABlockAreAddedAndThoseOfAnApprovalRemovedAndTheEngineTold) {
    settings().home_country_list.Add("us");
    settings().blockedCountries.Add("cn");
    engine.setOption("info:countries", "cn,ca,us");
    auto item = deliver("x@far.example", "hello");
    select({item});
    // Deselecting an already blocked country does not unblock it: a block only adds.
    answerSelecting({name("ca")});
    size_t callsBefore = engine.calls().size();
    click("Block Sender");
    EXPECT_EQ(listed, (std::vector<std::string>{name("cn"), name("ca")})) << "the home country is not offered";
    EXPECT_EQ(preticked, (std::vector<bool>{true, false}));
    EXPECT_EQ(settings().blockedCountries.Keys(), (std::vector<std::string>{"cn", "ca"}));
    EXPECT_EQ(settingsKey().read("blockedCountries").text(), "cn,ca");
    auto calls = engine.calls();
    EXPECT_NE(std::find(calls.begin() + static_cast<long>(callsBefore), calls.end(),
                        "TW_setOption(1,blocked_country_list,cn,ca)"),
              calls.end());

    // An approval offers the blocked ones only, and removes those chosen.
    auto other = deliver("y@far.example", "again");
    select({other});
    answerSelecting({name("cn")});
    click("Approve Sender");
    EXPECT_EQ(listed, (std::vector<std::string>{name("cn"), name("ca")}));
    EXPECT_EQ(preticked, (std::vector<bool>{false, false}));
    EXPECT_EQ(settings().blockedCountries.Keys(), std::vector<std::string>{"ca"});
}

TEST_F(SenderDialog, ACommandThatFailsPartWaySaysHowFarItGot) {
    noDialog();
    auto a = deliver("a@bad.example", "first"), b = deliver("b@bad.example", "second"),
         c = deliver("c@bad.example", "third");
    select({a, b, c});
    h.client.faults().failNext("Move:second");
    click("Block Sender");
    EXPECT_EQ(a->parentFolder(), h.client.defaultFolder(outlook::olFolderDeletedItems));
    EXPECT_TRUE(inInbox(b));
    EXPECT_TRUE(inInbox(c));
    EXPECT_EQ(lastBox(), "The command could not finish: the senders had been added to the list, and 1 of the "
                         "selected messages trained and moved before it stopped.");
    EXPECT_EQ(h.ui.boxes.back().style & platform::vbExclamation, platform::vbExclamation);
    EXPECT_EQ(lastBox().find("too many"), std::string::npos);

    // Through the dialog's OK the same account is given.
    settings().showsenderdialog = 0;
    auto d = deliver("d@bad.example", "fourth");
    select({d});
    h.client.faults().failNext("Move:fourth");
    h.ui.onModal("frmSenderDialog", [](platform::FormView& form) { form.controls()->click("cmdYes"); });
    click("Block Sender");
    EXPECT_TRUE(inInbox(d));
    EXPECT_TRUE(senders().blockedSenders().entries.Exists("d@bad.example"));
    EXPECT_NE(lastBox().find("no message had been trained or moved"), std::string::npos) << lastBox();
}

TEST_F(SenderDialog, TheDialogOfOneOpenMessageActsOnItAloneNotOnTheSelection) {
    auto open = deliver("one@bad.example", "the open message");
    auto selected = deliver("two@else.example", "selected in the main window");
    select({selected});
    h.ui.onModal("frmSenderDialog", [](platform::FormView& form) { form.controls()->click("cmdYes"); });
    h.addin().commands().AddSingleSender(0, senders::dialogBlock, open);
    EXPECT_TRUE(senders().blockedSenders().entries.Exists("one@bad.example"));
    EXPECT_FALSE(senders().blockedSenders().entries.Exists("two@else.example"));
    EXPECT_TRUE(inInbox(selected));
    EXPECT_TRUE(selected->UnRead());
    EXPECT_EQ(open->parentFolder(), h.client.defaultFolder(outlook::olFolderDeletedItems));
    EXPECT_EQ(trainedWith(200), 1);
}

}  // namespace
}  // namespace tw::test
