// OK and Cancel of the options dialog: a refused entry stores nothing, the threshold's range, the
// junk destination after "Other...", the auto-scan at once, the engine told, and the tree's ticks.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/StringTable.h"
#include "core/Text.h"
#include "scan/MsgQueue.h"
#include "options/OptionsFixture.h"
#include "options/OptionsTree.h"
#include "settings/SettingsWriters.h"

namespace tw::test {
namespace {

class OptionsOk : public OptionsFixture {
protected:
    bool engineTold(const std::string& call) {
        auto calls = engine.calls();
        return std::find(calls.begin() + static_cast<long>(callsBefore), calls.end(), call) != calls.end();
    }
    bool dialogShown(const std::string& name) {
        return std::any_of(h.ui.formShows.begin(), h.ui.formShows.end(), [&](const auto& s) { return s.formName == name; });
    }
    size_t callsBefore = 0;
};

TEST_F(OptionsOk, ARefusedEntryStoresNothingAndCancelLeavesEverything) {
    settings::SettingsWriters(settingsKey(), settings()).writeMarkSpamAsRead(false);
    const auto strengthBefore = stored("EnableSpamFilterStrength");
    open();
    toggle("MarkSpamAsRead");
    toggle("CustomFilterThreshold");
    ASSERT_EQ(form->nodeImage("CustomFilterThreshold"), options::kImageTicked);
    for (const char* wrong : {"abc", "0", "500", "-5", ""}) {
        type("txtThreshold", wrong);
        form->cmdOK_Click();
        EXPECT_EQ(lastBox(), "Please enter a numeric value between 1 and 100 for the custom spam filter strength.")
            << wrong;
    }
    EXPECT_EQ(stored("MarkSpamAsRead").toInteger(), 0) << "nothing of the refused OK was stored";
    EXPECT_EQ(stored("EnableSpamFilterStrength"), strengthBefore);
    EXPECT_FALSE(settings().EnableSpamFilterStrength);

    form->cmdCancel_Click();
    EXPECT_EQ(stored("MarkSpamAsRead").toInteger(), 0);

    // The same entries with a sound threshold are stored.
    open();
    toggle("MarkSpamAsRead");
    toggle("CustomFilterThreshold");
    type("txtThreshold", "100");
    form->cmdOK_Click();
    EXPECT_EQ(stored("MarkSpamAsRead").toInteger(), 1);
    EXPECT_EQ(stored("EnableSpamFilterStrength").toInteger(), 1);
    EXPECT_EQ(settings().threshold2, 100);
}

TEST_F(OptionsOk, TheExclusivePresetsLowestThresholdIsAccepted) {
    open();
    toggle("CustomFilterThreshold");
    form->controls()->click("optStrength4");
    ASSERT_EQ(ctl("txtThreshold").text, "1");
    const size_t boxesBefore = h.ui.boxes.size();
    form->cmdOK_Click();
    EXPECT_EQ(h.ui.boxes.size(), boxesBefore) << lastBox();
    EXPECT_EQ(settings().threshold2, 1);
    EXPECT_EQ(stored("EnableSpamFilterStrength").toInteger(), 1);
}

TEST_F(OptionsOk, OtherEntriesAreCheckedWithTheirOwnMessages) {
    open();
    struct Case {
        const char* control;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"txtScanInterval", "x", "Please enter a numeric value for the interval at which to check the folders."},
        {"txtScanInterval", "0", "The interval must be at least one minute."},
        {"txtMinTraining", "0", "Minimum training should be a number greater than 0."},
        {"txtRblTimeout", "-1", "The RBL timeout should be a number greater than or equal to zero."},
        {"txtMaxWordEntries", "none", "Maximum word entries should be a number greater than 0."},
        {"txtNetcheckHigh", "high", "Please enter a numerical value for the netcheck threshold."},
    };
    for (const auto& c : cases) {
        const std::string before = ctl(c.control).text;
        ctl(c.control).text = c.text;
        form->cmdOK_Click();
        EXPECT_EQ(lastBox(), c.message);
        ctl(c.control).text = before;
    }
    const auto proxyBefore = stored("useProxyServer");
    toggle("ProxySupport");
    ctl("txtProxyServer").text = " ";
    form->cmdOK_Click();
    EXPECT_EQ(lastBox(), "Please enter a proxy server.");
    EXPECT_EQ(stored("useProxyServer"), proxyBefore);
}

TEST_F(OptionsOk, TheJunkDestinationChosenAfterOtherInsertedAnEntryIsStored) {
    settings::SettingsWriters(settingsKey(), settings()).writeJunkFolder("\\Personal Folders\\Junk E-Mail");
    open();
    form->tvwOptions_NodeClick("BlockMessage");
    EXPECT_EQ(ctl("cboJunkFolder").items,
              (std::vector<std::string>{"Tarnwick", "Junk E-Mail", "Deleted Items", "Other..."}));
    EXPECT_EQ(ctl("cboJunkFolder").listIndex, 1);

    auto root = h.client.inbox()->parentFolder();
    auto work = std::dynamic_pointer_cast<sim::SimFolder>(root->Folders()->Add("Caught", outlook::olFolderInbox));
    h.client.setPickFolderAnswer(work);
    ctl("cboJunkFolder").listIndex = 3;
    form->controls()->raise("cboJunkFolder", "Click");
    EXPECT_EQ(ctl("cboJunkFolder").items.front(), "Caught");
    EXPECT_EQ(ctl("cboJunkFolder").listIndex, 0);

    // The index the stored folder had at opening now names another folder.
    ctl("cboJunkFolder").listIndex = 1;
    form->controls()->raise("cboJunkFolder", "Click");
    form->cmdOK_Click();
    EXPECT_EQ(settings().junkfolder, "\\Personal Folders\\Tarnwick");
    EXPECT_EQ(stored("junkfolder").text(), "\\Personal Folders\\Tarnwick");
}

TEST_F(OptionsOk, TheAutoScanFollowsAtOnceAndTheEngineIsToldAndReapplied) {
    settings().reportspam = 0;
    open();
    ASSERT_TRUE(h.addin().autoScan());
    EXPECT_EQ(form->nodeImage("Netcheck"), options::kImageCleared);
    toggle("ScanFolders");
    ctl("txtScanInterval").text = "9";
    toggle("Netcheck");
    callsBefore = engine.calls().size();
    form->cmdOK_Click();
    EXPECT_FALSE(h.addin().autoScan()->Enabled());
    EXPECT_EQ(h.addin().autoScan()->scanInterval(), 9);
    EXPECT_EQ(stored("autoscan_interval").toInteger(), 9);
    EXPECT_EQ(stored("enable_autoscan").toInteger(), 0);
    EXPECT_EQ(settings().reportspam, 1);
    EXPECT_TRUE(engineTold("TW_setOption(1,netcheck,yes)"));
    EXPECT_TRUE(engineTold("TW_setOption(1,savepreferences,1)"));
    EXPECT_TRUE(engineTold("TW_setOption(1,prodcode,1)")) << "the options are handed to the engine again";
}

TEST_F(OptionsOk, TheRunningInboxQueueTakesUpTheUserPropertySettingAtOnce) {
    ASSERT_TRUE(queue().useUserProperties());
    open();
    toggle("OutlookUserProperty");
    form->cmdOK_Click();
    EXPECT_FALSE(settings().useuserprops);
    auto first = deliver("a@x.example", "Checked in cache mode");
    runQueue();
    EXPECT_EQ(timesScored("a@x.example"), 1);
    EXPECT_FALSE(marked(first)) << "no marker is written any more";
    EXPECT_TRUE(queue().processedCache().contains(text::lower(first->EntryID())));

    open();
    toggle("OutlookUserProperty");
    form->cmdOK_Click();
    EXPECT_TRUE(settings().useuserprops);
    auto second = deliver("b@x.example", "Checked in marker mode");
    runQueue();
    EXPECT_TRUE(marked(second));
    EXPECT_FALSE(queue().processedCache().contains(text::lower(second->EntryID())));

    // What the cache held is kept for a later change back, as a restart would find it.
    open();
    toggle("OutlookUserProperty");
    form->cmdOK_Click();
    EXPECT_TRUE(queue().processedCache().contains(text::lower(first->EntryID())));
}

TEST_F(OptionsOk, AnotherNetworkModeShowsNoTickAndIsKept) {
    settings().reportspam = 2;
    open();
    EXPECT_EQ(form->nodeImage("Netcheck"), 0);
    form->tvwOptions_MouseDown(false);
    form->tvwOptions_NodeClick("Netcheck");
    EXPECT_EQ(form->nodeImage("Netcheck"), 0) << "a click beside the icon only shows the page";
    EXPECT_EQ(form->currentPage(), "Netcheck");
    form->cmdOK_Click();
    EXPECT_EQ(settings().reportspam, 2);
}

TEST_F(OptionsOk, ClearingConfirmationsLetsTheNextApprovalRunWithoutTheSenderDialog) {
    settings::SettingsWriters(settingsKey(), settings()).writeShowSenderDialog(0);
    auto item = deliver("friend@far.example", "hello");
    h.ui.onModal("frmOrvennaOptions", [this](platform::FormView& view) {
        auto& dialog = static_cast<options::frmOrvennaOptions&>(view);
        EXPECT_EQ(dialog.nodeImage("BlockApproveConfirmation"), options::kImageTicked);
        dialog.tvwOptions_MouseDown(true);
        dialog.tvwOptions_NodeClick("BlockApproveConfirmation");
        view.controls()->click("cmdOK");
    });
    click("Tarnwick Options");
    EXPECT_TRUE(dialogShown("frmOrvennaOptions"));
    EXPECT_EQ(stored("showsenderdialog").toInteger(), 1);
    EXPECT_EQ(settings().showsenderdialog, 1);

    select({item});
    click("Approve Sender");
    EXPECT_FALSE(dialogShown("frmSenderDialog"));
    EXPECT_TRUE(senders().isApprovedSender("friend@far.example"));
}

}  // namespace
}  // namespace tw::test
