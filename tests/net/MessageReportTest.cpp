// Message reports: the report mail in Sent Items, its attachments, body and address per kind, the training, and the faults around them.
#include <gtest/gtest.h>

#include "commandbars/ExplorerBars.h"
#include "net/MessageReport.h"
#include "net/frmConfirmReportSpam.h"
#include "scan/NewMailFixture.h"
#include "settings/ServiceAddresses.h"

namespace tw::test {
namespace {

class MessageReport : public NewMailFixture {
protected:
    void SetUp() override {
        engine.setScore(0);
        start();
        engine.reset();
    }
    std::shared_ptr<sim::SimExplorer> explorer() { return h.client.activeExplorer(); }
    void select(std::vector<std::shared_ptr<sim::SimItem>> items) {
        std::vector<std::shared_ptr<outlook::Item>> chosen(items.begin(), items.end());
        explorer()->select(chosen);
    }
    net::MessageReports reports() { return net::MessageReports(h.addin()); }
    /// The report mails that reached Sent Items.
    std::vector<std::shared_ptr<sim::SimItem>> sentReports() {
        std::vector<std::shared_ptr<sim::SimItem>> out;
        for (const auto& item : h.client.defaultFolder(outlook::olFolderSentMail)->simItems()->all())
            if (item->Attachments()->Count() > 0 || item->Body().find("==BEGIN SETTINGS") != std::string::npos)
                out.push_back(item);
        return out;
    }
    int trainedWith(int32_t weight) {
        int n = 0;
        for (const auto& call : engine.callsStartingWith("TW_addMessage(1,"))
            if (call.find("," + std::to_string(weight) + ",0)") != std::string::npos) ++n;
        return n;
    }
    std::string recipientOf(const std::shared_ptr<sim::SimItem>& item) {
        auto recipients = item->Recipients();
        return recipients->Count() == 1 ? recipients->Item(1)->Address() : std::string("(several)");
    }
    void noConfirmation() { settings().ShowReportSpamConfirmation = false; }
    int boxesSaying(const std::string& start) {
        int n = 0;
        for (const auto& box : h.ui.boxes)
            if (box.prompt.rfind(start, 0) == 0) ++n;
        return n;
    }
    std::shared_ptr<sim::SimCommandBarControl> menuEntry(const std::string& caption) {
        auto menu = explorer()->bars()->bar("Velmora")->controls()->all()[3]->popupControls();
        for (const auto& control : menu->all())
            if (control->Caption() == caption) return control;
        return nullptr;
    }
    settings::ServiceAddresses addresses() { return settings::serviceAddresses(h.registry); }
};

TEST_F(MessageReport, TwoMessagesReportedAsSpamMakeOneMailWithBothAttachedTheirHeadersAndTraining) {
    noConfirmation();
    auto first = deliver("seller@spam.example", "cheap pills");
    auto second = deliver("winner@spam.example", "you won");
    select({first, second});
    h.addin().reportCommand(net::kReportSpam);

    auto sent = sentReports();
    ASSERT_EQ(sent.size(), 1u);
    auto report = sent[0];
    EXPECT_EQ(recipientOf(report), addresses().spamReportAddress);
    EXPECT_EQ(report->Subject(), "");
    ASSERT_EQ(report->Attachments()->Count(), 2);
    EXPECT_EQ(report->Attachments()->Item(1)->Type(), outlook::olEmbeddeditem);
    EXPECT_EQ(report->Attachments()->Item(1)->DisplayName(), "cheap pills");
    EXPECT_EQ(report->Attachments()->Item(2)->DisplayName(), "you won");

    std::string body = report->Body();
    size_t h0 = body.find("==BEGIN MESSAGE HEADER 0\r\n");
    size_t e0 = body.find("\r\n== END MESSAGE HEADER 0\r\n");
    size_t h1 = body.find("==BEGIN MESSAGE HEADER 1\r\n");
    size_t settingsAt = body.find("==BEGIN SETTINGS\r\n");
    ASSERT_NE(h0, std::string::npos);
    ASSERT_NE(e0, std::string::npos);
    ASSERT_NE(h1, std::string::npos);
    ASSERT_NE(settingsAt, std::string::npos);
    EXPECT_LT(h0, e0);
    EXPECT_LT(e0, h1);
    EXPECT_LT(h1, settingsAt);
    EXPECT_NE(body.substr(h0, e0 - h0).find("Subject: cheap pills"), std::string::npos);
    EXPECT_NE(body.substr(h1, settingsAt - h1).find("Subject: you won"), std::string::npos);
    EXPECT_NE(body.find("TW Version: "), std::string::npos);
    EXPECT_EQ(body.substr(body.size() - 17), "== END SETTINGS\r\n");

    EXPECT_EQ(trainedWith(200), 2);
    // The report mail in Sent Items is no mail of the user's own: it does not train as legitimate.
    h.loop.advance(1000);
    EXPECT_EQ(trainedWith(-120), 0);
    EXPECT_EQ(engine.callsStartingWith("TW_addMessage(").size(), 2u);
    // What left the machine went through the transport.
    ASSERT_EQ(h.client.sentMessages().size(), 1u);
    EXPECT_NE(h.client.sentMessages()[0].find(addresses().spamReportAddress), std::string::npos);
    // The reported messages stay where they were.
    EXPECT_TRUE(inInbox(first));
    EXPECT_TRUE(inInbox(second));
}

TEST_F(MessageReport, EachKindGoesToItsOwnAddressAndTrainsWithItsWeight) {
    noConfirmation();
    auto item = deliver("someone@there.example", "a message");
    struct Case {
        int32_t kind;
        std::string address;
        int32_t weight;
    };
    auto a = addresses();
    for (const Case& c : {Case{1, a.spamReportAddress, 200}, Case{2, a.legitimateReportAddress, -200},
                          Case{3, a.fraudReportAddress, 200}, Case{4, a.virusReportAddress, 200}}) {
        engine.reset();
        select({item});
        h.addin().reportCommand(c.kind);
        auto sent = sentReports();
        ASSERT_FALSE(sent.empty()) << c.kind;
        EXPECT_EQ(recipientOf(sent.back()), c.address) << c.kind;
        EXPECT_EQ(trainedWith(c.weight), 1) << c.kind;
    }
    EXPECT_EQ(sentReports().size(), 4u);
    EXPECT_NE(a.spamReportAddress, a.legitimateReportAddress);
    EXPECT_NE(a.fraudReportAddress, a.virusReportAddress);
}

TEST_F(MessageReport, TheToolbarMenuEntriesReportTheirKinds) {
    noConfirmation();
    auto item = deliver("someone@there.example", "menu");
    select({item});
    auto fraud = menuEntry("Report Frau&d");
    ASSERT_TRUE(fraud);
    fraud->click();
    auto sent = sentReports();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(recipientOf(sent[0]), addresses().fraudReportAddress);
}

TEST_F(MessageReport, AKindOutsideTheFourIsLoggedAndNothingIsSentOrTrained) {
    auto item = deliver("someone@there.example", "odd kind");
    for (int32_t kind : {0, 5, -1}) {
        select({item});
        EXPECT_FALSE(reports().ReportSpamSelection(kind, true));
        EXPECT_FALSE(reports().ReportSingleMessage(item, kind, true));
    }
    EXPECT_TRUE(sentReports().empty());
    EXPECT_TRUE(h.client.sentMessages().empty());
    EXPECT_TRUE(engine.callsStartingWith("TW_addMessage(").empty());
    EXPECT_TRUE(h.logHas("unknown report kind 5"));
}

TEST_F(MessageReport, ASingleMessageIsTrainedOnlyWhenAskedAndNumberedOne) {
    auto item = deliver("someone@there.example", "single");
    ASSERT_TRUE(reports().ReportSingleMessage(item, net::kReportSpam, false));
    EXPECT_TRUE(engine.callsStartingWith("TW_addMessage(").empty());
    auto sent = sentReports();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_NE(sent[0]->Body().find("==BEGIN MESSAGE HEADER 1\r\n"), std::string::npos);
    EXPECT_EQ(sent[0]->Body().find("HEADER 0"), std::string::npos);

    ASSERT_TRUE(reports().ReportSingleMessage(item, net::kReportLegitimate, true));
    EXPECT_EQ(trainedWith(-200), 1);
}

TEST_F(MessageReport, BlockAndReportTrainsTheMessageOnceNotTwice) {
    settings().showsenderdialog = 1;
    auto item = deliver("seller@spam.example", "block and report");
    select({item});
    auto entry = menuEntry("Bloc&k Message and Report");
    ASSERT_TRUE(entry);
    entry->click();
    ASSERT_EQ(sentReports().size(), 1u);
    EXPECT_EQ(recipientOf(sentReports()[0]), addresses().spamReportAddress);
    EXPECT_EQ(engine.callsStartingWith("TW_addMessage(").size(), 1u);
}

TEST_F(MessageReport, ASelectionWithoutMailSendsNothingAndSaysSo) {
    noConfirmation();
    select({});
    h.addin().reportCommand(net::kReportSpam);
    EXPECT_EQ(boxesSaying("You must select a mail message"), 1);
    // A contact is no mail: a report of it alone is refused, not sent with only the settings.
    auto contact = h.client.application()->CreateItem(outlook::olContactItem);
    EXPECT_FALSE(reports().reportItems({contact, nullptr}, net::kReportSpam, true));
    EXPECT_EQ(boxesSaying("You must select a mail message"), 2);
    EXPECT_TRUE(sentReports().empty());
    EXPECT_TRUE(h.client.sentMessages().empty());
    EXPECT_TRUE(engine.callsStartingWith("TW_addMessage(").empty());
}

TEST_F(MessageReport, AFailedReportIsLoggedAndToldToTheUser) {
    noConfirmation();
    auto item = deliver("someone@there.example", "will fail");
    select({item});
    h.client.faults().failNext("Send");
    h.addin().reportCommand(net::kReportSpam);
    EXPECT_TRUE(h.client.sentMessages().empty());
    EXPECT_EQ(boxesSaying("The report could not be sent."), 1);
    EXPECT_TRUE(h.logHas("ReportSpamSelection"));
    // The next attempt goes through.
    h.addin().reportCommand(net::kReportSpam);
    EXPECT_EQ(h.client.sentMessages().size(), 1u);
}

TEST_F(MessageReport, TheDialogAsksPerKindAndYesReportsTheSelection) {
    auto item = deliver("someone@there.example", "asked");
    select({item});
    std::string caption, prompt;
    h.ui.onModal("frmConfirmReportSpam", [&](platform::FormView& form) {
        caption = form.controls()->caption;
        prompt = (*form.controls())["lblPrompt"].caption;
        form.controls()->click("cmdYes");
    });
    h.addin().reportCommand(net::kReportVirus);
    EXPECT_EQ(caption, "Report Virus");
    EXPECT_EQ(prompt, "Do you want the full entire message to be sent to Belcastra for analysis?");
    ASSERT_EQ(sentReports().size(), 1u);
    EXPECT_EQ(recipientOf(sentReports()[0]), addresses().virusReportAddress);

    h.addin().reportCommand(net::kReportSpam);
    EXPECT_EQ(caption, "Report Spam");
    EXPECT_EQ(prompt, "Do you want the full entire message to be sent to multiple anti-spam organizations such as the FTC?");
    EXPECT_EQ(sentReports().size(), 2u);
}

TEST_F(MessageReport, NoSendsNothingAndTheTickedBoxSwitchesTheDialogOffForGood) {
    auto item = deliver("someone@there.example", "declined");
    select({item});
    int shown = 0;
    h.ui.onModal("frmConfirmReportSpam", [&](platform::FormView& form) {
        ++shown;
        (*form.controls())["chkConfirm"].value = true;
        form.controls()->click("cmdNo");
    });
    h.addin().reportCommand(net::kReportLegitimate);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(sentReports().empty());
    EXPECT_FALSE(settings().ShowReportSpamConfirmation);
    EXPECT_EQ(settingsKey().read("ShowReportSpamConfirmation").toInteger().value_or(-1), 0);
    // Asked no more: the next command reports at once.
    h.addin().reportCommand(net::kReportLegitimate);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(sentReports().size(), 1u);
}

TEST_F(MessageReport, FromAMessageWindowTheDialogReportsThatWindowsMessageNotTheSelection) {
    auto shownInWindow = deliver("someone@there.example", "in the window");
    auto selected = deliver("other@there.example", "selected elsewhere");
    select({selected});
    h.ui.onModal("frmConfirmReportSpam", [](platform::FormView& form) { form.controls()->click("cmdYes"); });
    reports().ReportMessageWithConfirmation(shownInWindow, net::kReportSpam, true);
    auto sent = sentReports();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(sent[0]->Attachments()->Count(), 1);
    EXPECT_EQ(sent[0]->Attachments()->Item(1)->DisplayName(), "in the window");
    EXPECT_EQ(trainedWith(200), 1);
}

TEST_F(MessageReport, TheDialogsTextsAndAKindOutsideTheFourThatSendsNothing) {
    net::frmConfirmReportSpam form(h.addin());
    form.Form_Load();
    auto& controls = *form.controls();
    EXPECT_EQ(controls.caption, "Report Spam");
    EXPECT_EQ(controls["cmdYes"].caption, "&Yes");
    EXPECT_EQ(controls["cmdNo"].caption, "&No");
    EXPECT_EQ(controls["chkConfirm"].caption, "Please don't show this dialog box again.");
    form.setReportKind(net::kReportLegitimate, false);
    EXPECT_EQ(controls.caption, "Report Legit");
    form.setReportKind(net::kReportFraud, true);
    EXPECT_EQ(controls.caption, "Report Fraud");
    // An unknown kind keeps the caption it had, and Yes refuses it.
    form.setReportKind(9, true);
    EXPECT_EQ(controls.caption, "Report Fraud");
    EXPECT_EQ(controls["lblPrompt"].caption, "Do you want the full entire message to be sent to Belcastra for analysis?");
    auto item = deliver("someone@there.example", "unknown kind");
    select({item});
    controls.click("cmdYes");
    EXPECT_TRUE(sentReports().empty());
    EXPECT_TRUE(h.logHas("unknown report kind 9"));
    // Unticked while the dialog is on: nothing is written.
    EXPECT_TRUE(settings().ShowReportSpamConfirmation);
    EXPECT_FALSE(settingsKey().read("ShowReportSpamConfirmation").toInteger().has_value());
}

TEST_F(MessageReport, FromAMessageWindowWithoutTheDialogTheMessageIsReportedAtOnce) {
    noConfirmation();
    auto shownInWindow = deliver("someone@there.example", "straight away");
    select({deliver("other@there.example", "not this one")});
    reports().ReportMessageWithConfirmation(shownInWindow, net::kReportLegitimate, false);
    EXPECT_TRUE(h.ui.formShows.empty() || h.ui.formShows.back().formName != "frmConfirmReportSpam");
    auto sent = sentReports();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(recipientOf(sent[0]), addresses().legitimateReportAddress);
    EXPECT_EQ(sent[0]->Attachments()->Item(1)->DisplayName(), "straight away");
    EXPECT_TRUE(engine.callsStartingWith("TW_addMessage(").empty());
}

}  // namespace
}  // namespace tw::test
