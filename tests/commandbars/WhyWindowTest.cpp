// The "Why?" window from the menus: the message it explains, the approve and block it offers, and
// what it does when there is nothing to explain or the client goes away under it.
#include <gtest/gtest.h>

#include "classify/frmWhy.h"
#include "commandbars/ExplorerBars.h"
#include "core/StringTable.h"
#include "scan/NewMailFixture.h"

namespace tw::test {
namespace {

class WhyWindow : public NewMailFixture {
protected:
    void SetUp() override {
        engine.setScore(10);
        start();
        settings().showsenderdialog = 1;  // approve and block act at once
    }
    /// Opens the window from the main window's menu and presses `button` in it.
    void whyFromMainWindow(const std::shared_ptr<sim::SimItem>& item, const std::string& button) {
        h.client.activeExplorer()->select({item});
        h.ui.onModal("frmWhy", [this, button](platform::FormView& form) {
            shown = static_cast<classify::frmWhy&>(form).reasons();
            form.controls()->click(button);
        });
        h.addin().explorerBars()->cmdWhy_Click();
    }
    std::string shown;
};

TEST_F(WhyWindow, ExplainsTheSelectedMessageAndItsButtonsRunTheCommandsAfterItCloses) {
    auto kept = deliver("colleague@work.example", "Minutes");
    whyFromMainWindow(kept, "cmdBlock");
    EXPECT_NE(shown.find("10 is below the threshold"), std::string::npos) << shown;
    EXPECT_TRUE(senders().blockedSenders().entries.Exists("colleague@work.example"));
    EXPECT_FALSE(h.ui.isFormVisible("frmWhy"));

    // From a message window, its own message.
    auto other = deliver("friend@ok.example", "Lunch");
    auto window = h.client.openInspector(other);
    h.ui.onModal("frmWhy", [](platform::FormView& form) { form.controls()->click("cmdApprove"); });
    window->bars()->bar("Velmora")->controls()->byCaption("&Tarnwick")->popupControls()
        ->byCaption(loadString(classify::kWhyCaptionId))->click();
    EXPECT_TRUE(senders().approvedSenders().entries.Exists("friend@ok.example"));
    EXPECT_FALSE(senders().blockedSenders().entries.Exists("friend@ok.example"));
}

TEST_F(WhyWindow, AsksForOneMessageAndOffersNothingToListForAMessageWithoutSender) {
    h.client.activeExplorer()->select({});
    h.addin().explorerBars()->cmdWhy_Click();
    ASSERT_EQ(h.ui.boxes.size(), 1u);
    EXPECT_EQ(h.ui.boxes.back().prompt, "You must select a mail message before performing this operation.");

    auto anonymous = h.client.deliverMessage("To: me@home.example\r\nSubject: \r\n\r\nHello.\r\n");
    h.client.activeExplorer()->select({anonymous});
    h.ui.onModal("frmWhy", [this](platform::FormView& form) {
        EXPECT_FALSE((*form.controls())["cmdApprove"].enabled);
        EXPECT_FALSE((*form.controls())["cmdBlock"].enabled);
        EXPECT_EQ(static_cast<classify::frmWhy&>(form).messageLabel(), "\"(no subject)\" from no sender address");
        h.ui.hideForm(form);
    });
    h.addin().explorerBars()->cmdWhy_Click();
}

TEST_F(WhyWindow, ABlockPressedAfterTheClientDroppedTheAddInDoesNothing) {
    auto item = deliver("seller@spam.example", "cheap pills");
    h.client.activeExplorer()->select({item});
    h.ui.onModal("frmWhy", [this](platform::FormView& form) {
        h.client.closeExplorer(h.client.activeExplorer());
        h.disconnectAddin();
        form.controls()->click("cmdBlock");
    });
    auto& bars = *h.addin().explorerBars();
    bars.cmdWhy_Click();
    EXPECT_TRUE(inInbox(item));
    start();
    EXPECT_FALSE(senders().blockedSenders().entries.Exists("seller@spam.example"));
}

}  // namespace
}  // namespace tw::test
