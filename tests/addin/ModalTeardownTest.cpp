// The client tears the add-in down while one of its modal forms is open: the command behind the form stops instead of reaching a released client.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tw::test
