// The manual folder scan: the command with its folder picker, the progress and result windows,
// Scan Read, cancelling, a second scan asked for meanwhile, and the start-up scan of the Inbox.
#include <algorithm>

#include "commandbars/ExplorerBars.h"
#include "core/Error.h"
#include "core/Text.h"
#include "scan/ManualScan.h"
#include "scan/NewMailFixture.h"

namespace tw::test {
namespace {

const char* const kAnotherFolder = "Please select another folder to scan.";
const char* const kAlreadyRunning = "A scan is already running. Please wait until it has finished, then try again.";

class ManualScanTest : public NewMailFixture {
protected:
    /// Unread mail that came while the add-in was away: no new-mail handling reached it.
    std::shared_ptr<sim::SimItem> waiting(const std::string& from, const std::string& subject, bool unread = true,
                                          std::shared_ptr<sim::SimFolder> folder = nullptr) {
        auto item = h.client.deliverMessage(message(from, "me@home.example", subject), std::move(folder));
        item->setUnReadQuietly(unread);
        return item;
    }
    /// The scan-folder entry of the add-in's menu, with the picker answering this folder.
    void pressScanFolder(std::shared_ptr<sim::SimFolder> folder) {
        h.client.setPickFolderAnswer(std::move(folder));
        h.addin().explorerBars()->cmdScanFolder_Click();
    }
    scan::ManualScan& scans() { return h.addin().manualScan(); }
    platform::FormControls& window(const std::string& name) {
        auto* form = h.ui.visibleForm(name);
        if (!form) throw Error(5, "test", name + " is not shown");
        return *form->controls();
    }
    std::string results() { return window("frmScanResults")["Label1"].caption; }
    static std::string figures(int processed, int caught, int seconds) {
        return "Processed: " + std::to_string(processed) + "\r\nCaught as spam: " + std::to_string(caught) +
               "\r\nTime: " + std::to_string(seconds) + " seconds";
    }
    int shows(const std::string& name) {
        int n = 0;
        for (const auto& show : h.ui.formShows) n += show.formName == name ? 1 : 0;
        return n;
    }
    std::shared_ptr<sim::SimFolder> junkFolder() {
        return std::dynamic_pointer_cast<sim::SimFolder>(h.addin().folderAtPath(settings().junkfolder, false));
    }
};

TEST_F(ManualScanTest, TheJunkFolderIsRefusedAndNothingIsScanned) {
    start(Mode::cache);
    engine.setScoreFor("Spam", 99);
    auto junk = junkFolder();
    ASSERT_TRUE(junk);
    waiting("a@x.example", "Spam left unread", true, junk);
    pressScanFolder(junk);
    ASSERT_FALSE(h.ui.boxes.empty());
    EXPECT_EQ(h.ui.boxes.back().prompt, kAnotherFolder);
    EXPECT_EQ(h.ui.boxes.back().title, "Tarnwick");
    EXPECT_EQ(shows("frmScanning"), 0);
    EXPECT_EQ(timesScored("a@x.example"), 0);

    h.client.setPickFolderAnswer(nullptr);
    h.addin().explorerBars()->cmdScanFolder_Click();
    EXPECT_EQ(h.ui.boxes.size(), 1u) << "the user cancelled the picker: nothing more to say";

    // The setting names the folder in another case: the folder is found all the same, so it is refused too.
    settings().junkfolder = text::upper(settings().junkfolder);
    ASSERT_EQ(junkFolder(), junk);
    pressScanFolder(junk);
    EXPECT_EQ(h.ui.boxes.size(), 2u);
    EXPECT_EQ(h.ui.boxes.back().prompt, kAnotherFolder);
    EXPECT_EQ(shows("frmScanning"), 0);
    EXPECT_EQ(timesScored("a@x.example"), 0);
}

TEST_F(ManualScanTest, WhileFilteringIsDisabledTheResultShowsZeros) {
    waiting("a@x.example", "One");
    waiting("b@x.example", "Two");
    start(Mode::cache);
    settings().filteringState = settings::filteringDisabled;
    pressScanFolder(h.client.inbox());
    EXPECT_EQ(results(), figures(0, 0, 0));
    EXPECT_EQ(timesScored("a@x.example") + timesScored("b@x.example"), 0);
}

TEST_F(ManualScanTest, UnreadMailIsCheckedCountedTimedAndTheSpamMoved) {
    std::vector<std::shared_ptr<sim::SimItem>> good, spam;
    for (int i = 0; i < 3; ++i) good.push_back(waiting("good" + std::to_string(i) + "@x.example", "Note " + std::to_string(i)));
    for (int i = 0; i < 2; ++i) spam.push_back(waiting("bad" + std::to_string(i) + "@x.example", "Spam " + std::to_string(i)));
    auto read = waiting("read@x.example", "Already read", false);
    start(Mode::cache);
    engine.setScoreFor("Spam", 99);
    // The add-in's clock moves a whole second at each yield, starting on a whole second.
    h.loop.advance(1000 - h.loop.elapsedMs() % 1000);
    std::vector<int> bar;  // the progress bar as each yield found it
    h.ui.onYield = [&] {
        h.loop.advance(1000);
        if (auto* shown = h.ui.visibleForm("frmScanning"); shown && (*shown->controls())["prgScan"].visible)
            bar.push_back((*shown->controls())["prgScan"].number);
    };
    const int processedBefore = settings().processed;
    const int64_t startMs = h.loop.elapsedMs();
    pressScanFolder(h.client.inbox());
    h.ui.onYield = nullptr;
    const int seconds = static_cast<int>((h.loop.elapsedMs() - startMs) / 1000);

    EXPECT_GE(seconds, 6) << "a yield before the rows and one per row";
    EXPECT_EQ(results(), figures(5, 2, seconds));
    EXPECT_EQ(window("frmScanResults").caption, "Scan Results");
    EXPECT_TRUE(window("frmScanResults")["cmdScanRead"].enabled);
    EXPECT_EQ(settings().processed - processedBefore, 5);
    for (const auto& item : good) EXPECT_TRUE(inInbox(item));
    for (const auto& item : spam) EXPECT_TRUE(inJunk(item));
    EXPECT_EQ(timesScored("read@x.example"), 0);
    EXPECT_FALSE(h.ui.isFormVisible("frmScanning"));
    EXPECT_EQ(scans().progressWindow().controls()->operator[]("Label1").caption, "Checking unread messages. Please wait.");
    EXPECT_EQ(scans().progressWindow().controls()->operator[]("StatusLabel").caption, "Processed: 5");
    ASSERT_FALSE(bar.empty()) << "the progress window shows a bar of the unread messages";
    EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end())) << ::testing::PrintToString(bar);
    EXPECT_EQ(scans().progressWindow().controls()->operator[]("prgScan").number, 100) << "all five were checked";
    // Centred on the sim's 15,360 x 11,520-twip screen.
    EXPECT_EQ(scans().progressWindow().left(), (15360 - scan::frmScanning::declaration().width) / 2);
    EXPECT_EQ(scans().progressWindow().top(), (11520 - scan::frmScanning::declaration().height) / 2);
}

TEST_F(ManualScanTest, ScanReadChecksTheReadMessagesAndCannotBeAskedAgain) {
    waiting("unread@x.example", "Unread");
    waiting("r1@x.example", "Read one", false);
    auto readSpam = waiting("r2@x.example", "Spam read", false);
    start(Mode::cache);
    engine.setScoreFor("Spam", 99);
    pressScanFolder(h.client.inbox());
    EXPECT_EQ(results(), figures(1, 0, 0));

    window("frmScanResults").click("cmdScanRead");
    EXPECT_EQ(shows("frmScanning"), 2);
    EXPECT_EQ(scans().progressWindow().controls()->operator[]("Label1").caption, "Checking read messages. Please wait.");
    EXPECT_EQ(results(), figures(2, 1, 0));
    EXPECT_FALSE(window("frmScanResults")["cmdScanRead"].enabled);
    EXPECT_TRUE(inJunk(readSpam));
    EXPECT_EQ(timesScored("unread@x.example"), 1);

    window("frmScanResults").click("cmdOK");
    EXPECT_FALSE(h.ui.isFormVisible("frmScanResults"));
    EXPECT_FALSE(scans().resultWindow().folder());
}

TEST_F(ManualScanTest, CancelStopsTheWalkAfterTheCurrentMessageAndMovesNothing) {
    std::vector<std::shared_ptr<sim::SimItem>> spam;
    for (int i = 0; i < 5; ++i) spam.push_back(waiting("bad" + std::to_string(i) + "@x.example", "Spam " + std::to_string(i)));
    start(Mode::cache);
    engine.setScoreFor("Spam", 99);
    h.ui.onYield = [&] {
        if (h.ui.isFormVisible("frmScanning") && window("frmScanning")["StatusLabel"].caption == "Processed: 2")
            window("frmScanning").click("CancelScanCmd");
    };
    pressScanFolder(h.client.inbox());
    h.ui.onYield = nullptr;

    // The cancel arrives while the third row is read: that message is the current one.
    EXPECT_EQ(results(), figures(3, 3, 0));
    int scored = 0;
    for (const auto& item : spam) {
        EXPECT_TRUE(inInbox(item)) << "the move step stops at its first message";
        scored += timesScored(item->sender()->address);
    }
    EXPECT_EQ(scored, 3);
    EXPECT_FALSE(queue().Busy());
}

// A second scan started from the menu while the first yields would walk the same queue in the
// middle of the first and close its window: it is refused with a word to the user.
TEST_F(ManualScanTest, ASecondScanIsRefusedWhileOneRuns) {
    for (int i = 0; i < 3; ++i) waiting("n" + std::to_string(i) + "@x.example", "Note " + std::to_string(i));
    start(Mode::cache);
    bool pressed = false;
    h.ui.onYield = [&] {
        if (pressed) return;
        pressed = true;
        pressScanFolder(h.client.inbox());
    };
    pressScanFolder(h.client.inbox());
    h.ui.onYield = nullptr;

    ASSERT_EQ(h.ui.boxes.size(), 1u);
    EXPECT_EQ(h.ui.boxes[0].prompt, kAlreadyRunning);
    EXPECT_EQ(h.ui.boxes[0].title, "Tarnwick");
    EXPECT_EQ(shows("frmScanning"), 1);
    EXPECT_EQ(results(), figures(3, 0, 0));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(timesScored("n" + std::to_string(i) + "@x.example"), 1);
}

/// A folder whose store can no longer be named, as one deleted under the scan.
class VanishingFolder : public outlook::Folder {
public:
    explicit VanishingFolder(std::shared_ptr<outlook::Folder> inner) : inner_(std::move(inner)) {}
    std::string Name() override { return inner_->Name(); }
    std::string EntryID() override { return inner_->EntryID(); }
    std::string StoreID() override { throw Error(-2147221233, "Microsoft Outlook", "The folder has been deleted."); }
    std::shared_ptr<outlook::Items> Items() override { return inner_->Items(); }
    std::shared_ptr<outlook::Folders> Folders() override { return inner_->Folders(); }
    std::shared_ptr<outlook::Folder> Parent() override { return inner_->Parent(); }
    int Class() override { return inner_->Class(); }
    int DefaultItemType() override { return inner_->DefaultItemType(); }

private:
    std::shared_ptr<outlook::Folder> inner_;
};

TEST_F(ManualScanTest, AnErrorClosesTheProgressWindowAndLeavesTheQueueFree) {
    waiting("a@x.example", "One");
    start(Mode::cache);
    h.addin().scanFolderUI(std::make_shared<VanishingFolder>(h.client.inbox()), scan::ManualScan::kUnreadSubset);
    EXPECT_TRUE(h.logHas("scanFolderUI"));
    EXPECT_EQ(shows("frmScanning"), 1);
    EXPECT_FALSE(h.ui.isFormVisible("frmScanning"));
    EXPECT_FALSE(h.ui.isFormVisible("frmScanResults"));
    EXPECT_FALSE(queue().Busy());

    // The queue reports to no window any more: a later scan of its own shows nothing.
    pressScanFolder(h.client.inbox());
    EXPECT_EQ(results(), figures(1, 0, 0));
}

TEST_F(ManualScanTest, TheInboxIsScannedAtStartUpWhenTheSettingAsks) {
    waiting("a@x.example", "One");
    waiting("b@x.example", "Spam two");
    engine.setScoreFor("Spam", 99);
    settingsKey().writeFlag(true, "scanInboxOnStartup");
    start(Mode::cache);
    EXPECT_EQ(results(), figures(2, 1, 0));
    EXPECT_EQ(shows("frmScanning"), 1);

    h.ui.formShows.clear();
    h.disconnectAddin();
    EXPECT_FALSE(h.ui.isFormVisible("frmScanResults")) << "teardown closes the scan's windows";
    settingsKey().writeFlag(false, "EnableTarnwick");
    h.connectAddin();
    EXPECT_EQ(shows("frmScanning"), 0);
}

}  // namespace
}  // namespace tw::test
