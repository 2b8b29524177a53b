// The client tears the add-in down while one of its modal forms is open: the command behind the form stops instead of reaching a released client.
#include <gtest/gtest.h>

#include "classify/Training.h"
#include "commandbars/ExplorerBars.h"
#include "options/frmOrvennaOptions.h"
#include "scan/NewMailFixture.h"
#include "senders/ApproveBlock.h"

namespace tw::test {
namespace {

class ModalTeardown : public NewMailFixture {
protected:
    void SetUp() override {
        engine.setScore(0);
        start();
    }
    void select(const std::shared_ptr<sim::SimItem>& item) { h.client.activeExplorer()->select({item}); }
    /// While the named form is open the user closes the main window (the teardown runs; with
    /// `disconnect` the client also disconnects and drops the add-in), then presses the button.
    void closeClientDuring(const std::string& formName, const std::string& button, bool disconnect) {
        h.ui.onModal(formName, [this, button, disconnect](platform::FormView& form) {
            h.client.closeExplorer(h.client.activeExplorer());
            if (disconnect) h.disconnectAddin();
            form.controls()->click(button);
            if (h.ui.isFormVisible(form)) h.ui.hideForm(form);
        });
    }
    /// The same while a message box is open: the box is answered after the client closed.
    void closeClientDuringBox(bool disconnect) {
        h.ui.whileBoxOpen = [this, disconnect](const std::string&) {
            h.ui.whileBoxOpen = nullptr;
            h.client.closeExplorer(h.client.activeExplorer());
            if (disconnect) h.disconnectAddin();
        };
    }
    void reopen() {
        if (h.client.explorers()->Count() == 0) h.client.openExplorer();
        h.connectAddin();
    }
    size_t sentCount() { return h.client.defaultFolder(outlook::olFolderSentMail)->simItems()->all().size(); }
};

TEST_F(ModalTeardown, TheReportConfirmationOfAMessageWindowSendsNothingAfterTheMainWindowClosed) {
    for (bool disconnect : {false, true}) {
        SCOPED_TRACE(disconnect ? "and disconnected" : "torn down");
        if (h.client.explorers()->Count() == 0) h.client.openExplorer();
        h.connectAddin();
        auto item = deliver("seller@spam.example", "cheap pills");
        auto window = h.client.openInspector(item);
        const size_t sentBefore = sentCount();
        closeClientDuring("frmConfirmReportSpam", "cmdYes", disconnect);
        auto& addin = h.addin();
        const bool askedAgain = settings().ShowReportSpamConfirmation;
        addin.reportMessageCommand(item, 1);
        EXPECT_EQ(sentCount(), sentBefore);
        EXPECT_FALSE(h.ui.isFormVisible("frmConfirmReportSpam"));
        EXPECT_EQ(settings().ShowReportSpamConfirmation, askedAgain);
        h.client.closeInspector(window);
    }
}

TEST_F(ModalTeardown, TheMainWindowsReportConfirmationAndNoStopQuietly) {
    auto item = deliver("seller@spam.example", "cheap pills");
    select(item);
    closeClientDuring("frmConfirmReportSpam", "cmdNo", true);
    auto& addin = h.addin();
    addin.reportCommand(1);
    EXPECT_FALSE(h.ui.isFormVisible("frmConfirmReportSpam"));
    EXPECT_FALSE(settingsKey().read("ShowReportSpamConfirmation").toInteger().has_value());
}

TEST_F(ModalTeardown, TheSenderDialogChangesNoListAfterTheClientClosed) {
    auto item = deliver("seller@spam.example", "cheap pills");
    select(item);
    const auto blockedBefore = senders().blockedSenders().entries.Count();
    closeClientDuring("frmSenderDialog", "cmdYes", true);
    auto& commands = h.addin().commands();
    commands.cmdBlockSender_Click();
    EXPECT_FALSE(h.ui.isFormVisible("frmSenderDialog"));
    EXPECT_TRUE(inInbox(item)) << "nothing moved";
    start();
    EXPECT_EQ(senders().blockedSenders().entries.Count(), blockedBefore);
}

TEST_F(ModalTeardown, TheOptionsDialogStoresNothingOnOkAfterTheClientClosed) {
    for (bool disconnect : {false, true}) {
        SCOPED_TRACE(disconnect ? "and disconnected" : "torn down");
        if (h.client.explorers()->Count() == 0) h.client.openExplorer();
        h.connectAddin();
        h.ui.onModal("frmOrvennaOptions", [this, disconnect](platform::FormView& form) {
            form.controls()->type("txtScanInterval", "42");
            h.client.closeExplorer(h.client.activeExplorer());
            if (disconnect) h.disconnectAddin();
            form.controls()->click("cmdOK");
        });
        auto& addin = h.addin();
        options::frmOrvennaOptions::showModal(addin);
        EXPECT_FALSE(h.ui.isFormVisible("frmOrvennaOptions"));
        EXPECT_NE(settingsKey().read("autoscan_interval").toInteger().value_or(0), 42);
    }
}

TEST_F(ModalTeardown, TeardownClosesTheWindowsLeftOpenSoTheirCommandsReturn) {
    using Open = std::function<void(commandbars::ExplorerBars&)>;
    const std::vector<std::pair<std::string, Open>> windows = {
        {"frmStats", [](commandbars::ExplorerBars& bars) { bars.cmdViewStats_Click(); }},
        {"frmViewLog", [](commandbars::ExplorerBars& bars) { bars.cmdViewLogReport_Click(); }},
        {"frmAboutOrvenna", [](commandbars::ExplorerBars& bars) { bars.cmdAboutMenuItem_Click(); }},
    };
    for (const auto& [name, open] : windows)
        for (bool disconnect : {false, true}) {
            SCOPED_TRACE(name + (disconnect ? " and disconnected" : " torn down"));
            reopen();
            // The client closes around the window and nobody answers it: only the teardown can.
            h.ui.onModal(name, [this, disconnect](platform::FormView&) {
                h.client.closeExplorer(h.client.activeExplorer());
                if (disconnect) h.disconnectAddin();
            });
            const size_t shows = h.ui.formShows.size();
            open(*h.addin().explorerBars());
            ASSERT_EQ(h.ui.formShows.size(), shows + 1);
            EXPECT_FALSE(h.ui.formShows.back().closedBySim) << "the window outlived the add-in";
            EXPECT_FALSE(h.ui.isFormVisible(name));
            h.ui.onModal(name, nullptr);
        }
}

TEST_F(ModalTeardown, AnEntryDialogOpenFromTheOptionsClosesWithThemAndChangesNothing) {
    const auto approvedBefore = senders().approvedSenders().entries.Count();
    h.ui.onModal("frmOrvennaOptions", [](platform::FormView& form) {
        auto& options = static_cast<options::frmOrvennaOptions&>(form);
        options.tvwOptions_MouseDown(false);
        options.tvwOptions_NodeClick("ApprovedSenders");
        form.controls()->click("cmdAdd");
    });
    h.ui.onModal("frmEnterEmailDomain", [this](platform::FormView& form) {
        (*form.controls())["txtEntry"].text = "new@friend.example";
        h.client.closeExplorer(h.client.activeExplorer());
    });
    auto& addin = h.addin();
    options::frmOrvennaOptions::showModal(addin);
    for (const auto& show : h.ui.formShows) EXPECT_FALSE(show.closedBySim) << show.formName << " outlived the add-in";
    EXPECT_FALSE(h.ui.isFormVisible("frmOrvennaOptions"));
    reopen();
    EXPECT_EQ(senders().approvedSenders().entries.Count(), approvedBefore);
}

TEST_F(ModalTeardown, TheMinimumTrainingBoxStoresNothingAfterTheClientClosed) {
    engine.setOption("wordtraining_totalspam", "100");
    engine.setOption("wordtraining_totalham", "100");
    settings().use_training = false;
    for (bool disconnect : {false, true}) {
        SCOPED_TRACE(disconnect ? "and disconnected" : "torn down");
        reopen();
        const size_t calls = engine.callsStartingWith("TW_setOption(").size();
        closeClientDuringBox(disconnect);
        classify::Training(h.addin()).checkIfUserWantsMinTraining();
        EXPECT_EQ(engine.callsStartingWith("TW_setOption(").size(), calls) << "no engine after teardown";
        EXPECT_FALSE(settingsKey().read("use_training").toInteger().has_value());
    }
}

TEST_F(ModalTeardown, ABlockCommandStopsAtTheBoxThatTheSenderIsApproved) {
    for (bool disconnect : {false, true}) {
        SCOPED_TRACE(disconnect ? "and disconnected" : "torn down");
        reopen();
        settings().showsenderdialog = 1;
        bool moved = false;
        senders().AddApprovedSenders({"friend@good.example"}, moved, false, {});
        auto item = deliver("friend@good.example", "lunch");
        auto other = deliver("seller@spam.example", "cheap pills");
        h.client.activeExplorer()->select({item, other});
        closeClientDuringBox(disconnect);
        auto& commands = h.addin().commands();
        commands.cmdBlockSender_Click();
        EXPECT_TRUE(inInbox(item));
        EXPECT_TRUE(inInbox(other)) << "nothing moved after the client closed";
        reopen();
        EXPECT_FALSE(senders().blockedSenders().entries.Exists("seller@spam.example"));
    }
}

}  // namespace
}  // namespace tw::test
