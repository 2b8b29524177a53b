// The folder auto-scan: its list in the registry, its passes on the shared timer, the status window, and the
// faults mended: an unreadable list, a store offline at start-up, a cancel that must end the pass, an error in a pass.
#include <algorithm>
#include <functional>

#include "scan/AutoScan.h"
#include "scan/NewMailFixture.h"
#include "scan/frmAutoScanStatus.h"

namespace tw::test {
namespace {

using platform::Hive;

class AutoScanTest : public NewMailFixture {
protected:
    void SetUp() override { engine.setScoreFor("Spam", 99); }

    scan::AutoScan& autoScan() { return *h.addin().autoScan(); }
    std::shared_ptr<sim::SimFolder> makeFolder(const std::string& name) {
        auto root = h.client.inbox()->parentFolder();
        return std::dynamic_pointer_cast<sim::SimFolder>(root->Folders()->Add(name, outlook::olFolderInbox));
    }
    std::shared_ptr<sim::SimItem> deliverTo(const std::shared_ptr<sim::SimFolder>& folder, const std::string& from,
                                            const std::string& subject) {
        return h.client.deliverMessage(message(from, "me@home.example", subject), folder);
    }
    int32_t watch(const std::shared_ptr<sim::SimFolder>& folder) {
        int32_t index = -1;
        EXPECT_TRUE(autoScan().addListener(folder, index));
        return index;
    }
    /// Mail that arrives while the add-in is not running, so only a pass can check it.
    void whileAway(const std::function<void()>& deliveries) {
        h.disconnectAddin();
        deliveries();
        h.connectAddin();
    }

    std::string foldersKey() { return settingsKey().path() + "folders"; }
    std::vector<std::string> savedFolders() {
        if (!h.registry.keyExists(Hive::CurrentUser, foldersKey())) return {};
        auto names = h.registry.subkeyNames(Hive::CurrentUser, foldersKey());
        std::sort(names.begin(), names.end());
        return names;
    }
    settings::SettingsKey savedFolder(int position) {
        return settings::SettingsKey(h.registry, foldersKey() + "\\folder" + std::to_string(position));
    }
    void saveFolderEntry(int position, const std::string& entryID, const std::string& storeID) {
        savedFolder(position).writeString("entryID", entryID);
        savedFolder(position).writeString("storeID", storeID);
    }

    /// Lets the timer run through the tick that starts the next pass (autoscan_interval minutes).
    void runToNextPass() { h.loop.advance(static_cast<int64_t>(settings().autoscan_interval) * 60000); }
    /// Lets virtual time reach the next pass without running it, so a test can start it itself.
    void makePassDue() {
        autoScan().setScanInterval(1000);
        runToNextPass();
        autoScan().setScanInterval(settings().autoscan_interval);
    }
    /// Runs the action at the n-th time a pass lets pending events run.
    void atYield(int n, std::function<void()> action) {
        if (n <= 1) {
            h.loop.post(std::move(action));
            return;
        }
        h.loop.post([this, n, action] { atYield(n - 1, action); });
    }

    /// Two watched folders holding three unread messages each that no pass has seen yet.
    void twoFoldersWithMailFromWhileAway() {
        start();
        work = makeFolder("Work");
        lists = makeFolder("Lists");
        timersBeforeWatching = h.loop.timerCount();
        watch(work);
        watch(lists);
        timersWhileWatching = h.loop.timerCount();
        whileAway([&] {
            for (int i = 1; i <= 3; ++i) {
                deliverTo(work, "w" + std::to_string(i) + "@work.example", "Spam to work " + std::to_string(i));
                deliverTo(lists, "l" + std::to_string(i) + "@lists.example", "Hello lists " + std::to_string(i));
            }
        });
    }
    int scoredFrom(const std::string& prefix, const std::string& domain) {
        int n = 0;
        for (int i = 1; i <= 3; ++i) n += timesScored(prefix + std::to_string(i) + "@" + domain);
        return n;
    }

    std::shared_ptr<sim::SimFolder> work, lists;
    size_t timersBeforeWatching = 0, timersWhileWatching = 0;
};

TEST_F(AutoScanTest, AddingTheSameFolderTwiceAddsItOnce) {
    start();
    auto folder = makeFolder("Work");
    int32_t first = -1, second = -1;
    EXPECT_TRUE(autoScan().addListener(folder, first));
    EXPECT_FALSE(autoScan().addListener(folder, second));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, -1);
    EXPECT_EQ(autoScan().listenerCount(), 1);
    EXPECT_EQ(savedFolders(), std::vector<std::string>{"folder1"});
    EXPECT_EQ(savedFolder(1).read("entryID").toText(), folder->EntryID());
    EXPECT_EQ(savedFolder(1).read("storeID").toText(), folder->StoreID());
}

TEST_F(AutoScanTest, DeletingTheSecondOfThreeRenumbersTheRegistryAndTheIndexesAfterARestart) {
    start();
    auto a = makeFolder("A"), b = makeFolder("B"), c = makeFolder("C");
    EXPECT_EQ(watch(a), 0);
    EXPECT_EQ(watch(b), 1);
    EXPECT_EQ(watch(c), 2);
    deliverTo(b, "b@x.example", "Hello b");  // checked on arrival: b's cache file gets written at the end
    restart();
    const std::string bCache = h.addin().dataFolder() + "/" + b->EntryID();
    ASSERT_TRUE(h.files.fileExists(bCache));

    EXPECT_TRUE(autoScan().deleteListener(1));
    EXPECT_FALSE(autoScan().deleteListener(1));
    EXPECT_FALSE(h.files.fileExists(bCache));
    restart();

    EXPECT_EQ(savedFolders(), (std::vector<std::string>{"folder1", "folder2"}));
    EXPECT_EQ(savedFolder(1).read("entryID").toText(), a->EntryID());
    EXPECT_EQ(savedFolder(2).read("entryID").toText(), c->EntryID());
    ASSERT_EQ(autoScan().listenerCount(), 2);
    EXPECT_EQ(autoScan().listener(1)->internalIndex(), 0);
    EXPECT_EQ(autoScan().listener(2)->internalIndex(), 1);
    EXPECT_EQ(autoScan().listener(2)->entryID(), c->EntryID());
    EXPECT_EQ(autoScan().listener(3), nullptr);
    EXPECT_EQ(autoScan().listener(0), nullptr);
    EXPECT_FALSE(h.files.fileExists(bCache)) << "the released listener wrote its cache again";
}

TEST_F(AutoScanTest, TheSavedOrderIsKeptWhateverOrderTheRegistryListsTheKeysIn) {
    start();
    std::vector<std::shared_ptr<sim::SimFolder>> folders;
    for (int i = 1; i <= 11; ++i) folders.push_back(makeFolder("F" + std::to_string(i)));
    h.disconnectAddin();
    // As the registry lists them: by name, "folder10" before "folder2".
    for (int i : {1, 10, 11, 2, 3, 4, 5, 6, 7, 8, 9})
        saveFolderEntry(i, folders[static_cast<size_t>(i - 1)]->EntryID(), folders[0]->StoreID());
    h.connectAddin();
    ASSERT_EQ(autoScan().listenerCount(), 11);
    for (int32_t i = 1; i <= 11; ++i) {
        EXPECT_EQ(autoScan().listener(i)->entryID(), folders[static_cast<size_t>(i - 1)]->EntryID()) << i;
        EXPECT_EQ(autoScan().listener(i)->internalIndex(), i - 1);
    }
}

TEST_F(AutoScanTest, OneTimerDrivesEveryFolderAndTheStatusWindowShowsThePass) {
    twoFoldersWithMailFromWhileAway();
    EXPECT_EQ(timersWhileWatching, timersBeforeWatching) << "listeners have no timer of their own";

    runToNextPass();
    EXPECT_EQ(scoredFrom("w", "work.example"), 3);
    EXPECT_EQ(scoredFrom("l", "lists.example"), 3);
    EXPECT_EQ(work->Items()->Count(), 0) << "the spam went to the junk folder";
    EXPECT_EQ(lists->Items()->Count(), 3);

    auto& status = autoScan().statusWindow();
    EXPECT_TRUE(std::any_of(h.ui.formShows.begin(), h.ui.formShows.end(),
                            [](const auto& show) { return show.formName == "frmAutoScanStatus" && !show.modal; }));
    EXPECT_FALSE(h.ui.isFormVisible("frmAutoScanStatus")) << "hidden again at the end of the pass";
    EXPECT_EQ(status.controls()->caption, "Tarnwick") << "no trailing blank in the title bar";
    EXPECT_EQ((*status.controls())["cmdCancel"].caption, "Cancel");
    EXPECT_EQ((*status.controls())["lblFolder"].caption, "Checking folder \\Personal Folders\\Lists");
    EXPECT_EQ((*status.controls())["lblFolder"].decl.look, platform::ControlLook::pathEllipsis)
        << "a label that shortens a long path in its middle, not a box to type in";
    EXPECT_EQ((*status.controls())["lblCounter"].caption, "Processed: 3");

    runToNextPass();
    EXPECT_EQ(scoredFrom("l", "lists.example"), 3) << "the processed caches keep a folder from being checked twice";
}

TEST_F(AutoScanTest, CancelInTheStatusWindowEndsTheWholePass) {
    twoFoldersWithMailFromWhileAway();
    makePassDue();
    atYield(3, [&] { autoScan().statusWindow().controls()->click("cmdCancel"); });
    autoScan().timerTick();

    EXPECT_LT(scoredFrom("w", "work.example"), 3) << "the folder being checked stops";
    EXPECT_EQ(scoredFrom("l", "lists.example"), 0) << "no other folder is checked after a cancel";
    EXPECT_FALSE(autoScan().Busy());
    EXPECT_FALSE(h.ui.isFormVisible("frmAutoScanStatus"));

    // A cancel also stops the moving of spam already found, so that spam is checked again.
    runToNextPass();
    EXPECT_EQ(work->Items()->Count(), 0) << "the next pass finishes what was left";
    EXPECT_EQ(scoredFrom("l", "lists.example"), 3);
    EXPECT_TRUE((*autoScan().statusWindow().controls())["cmdCancel"].visible) << "the next pass offers Cancel again";
}

TEST_F(AutoScanTest, DisablingDuringAPassDisablesEveryListenerAndStopsTheScan) {
    twoFoldersWithMailFromWhileAway();
    makePassDue();
    atYield(3, [&] { autoScan().setEnabled(false); });
    autoScan().timerTick();

    const int checkedInWork = scoredFrom("w", "work.example");
    EXPECT_GE(checkedInWork, 1);
    EXPECT_LT(checkedInWork, 3) << "the running scan stops after its current message";
    EXPECT_EQ(scoredFrom("l", "lists.example"), 0);
    for (int32_t i = 1; i <= autoScan().listenerCount(); ++i) EXPECT_FALSE(autoScan().listener(i)->Enabled());
    h.loop.advance(20LL * 60 * 1000);
    EXPECT_EQ(scoredFrom("w", "work.example"), checkedInWork) << "no pass runs while disabled";
}

TEST_F(AutoScanTest, APassStartsOnTheFirstTickAtLeastTheIntervalAfterTheLastPass) {
    settingsKey().writeNumber("autoscan_interval", 3);
    start();
    EXPECT_EQ(autoScan().scanInterval(), 3);
    auto folder = makeFolder("Work");
    watch(folder);
    whileAway([&] { deliverTo(folder, "first@x.example", "Hello first"); });

    h.loop.advance(2 * 60000);
    EXPECT_EQ(timesScored("first@x.example"), 0);
    h.loop.advance(60000);
    EXPECT_EQ(timesScored("first@x.example"), 1);
    EXPECT_EQ(autoScan().lastPass(), h.loop.now());

    // After a pass a listener waits for the next one; new mail is not checked on arrival.
    deliverTo(folder, "second@x.example", "Hello second");
    h.loop.advance(2 * 60000);
    EXPECT_EQ(timesScored("second@x.example"), 0);
    h.loop.advance(60000);
    EXPECT_EQ(timesScored("second@x.example"), 1);
}

TEST_F(AutoScanTest, AStatusPositionOffTheScreenOpensCentredAndTheUnloadKeepsThePosition) {
    settingsKey().writeNumber("autoscan_status_left", 40000);
    settingsKey().writeNumber("autoscan_status_top", -20);
    start();
    auto& status = autoScan().statusWindow();
    status.Form_Load();
    const auto& decl = scan::frmAutoScanStatus::declaration();
    EXPECT_EQ(status.left(), (h.ui.screenWidthTwips - decl.width) / 2);
    EXPECT_EQ(status.top(), (h.ui.screenHeightTwips - decl.height) / 2);

    status.move(600, 900);
    h.disconnectAddin();
    EXPECT_TRUE(h.logHas("unloading frmAutoscanstatus"));
    EXPECT_EQ(settingsKey().getNumberFromRegistry("autoscan_status_left"), 600);
    EXPECT_EQ(settingsKey().getNumberFromRegistry("autoscan_status_top"), 900);
    EXPECT_EQ(settings().autoscan_status_left, 600);

    h.connectAddin();
    autoScan().statusWindow().Form_Load();
    EXPECT_EQ(autoScan().statusWindow().left(), 600) << "a position on the screen is kept";
    EXPECT_EQ(autoScan().statusWindow().controls()->left, 600) << "the window opens there";
    EXPECT_EQ(autoScan().statusWindow().controls()->top, 900);

    // Dragged partly off the screen, it is kept where all of it shows.
    autoScan().statusWindow().move(h.ui.screenWidthTwips - 1000, -300);
    h.disconnectAddin();
    EXPECT_EQ(settings().autoscan_status_left, h.ui.screenWidthTwips - decl.width);
    EXPECT_EQ(settings().autoscan_status_top, 0);
}

// Mended: a missing key was read "until no more subkeys" with errors ignored, which never ended.
TEST_F(AutoScanTest, AMissingListIsEmptyAndAnUnreadableOneEndsTheLoadWithoutLosingIt) {
    start();
    EXPECT_EQ(autoScan().listenerCount(), 0);
    EXPECT_FALSE(h.logHas("Error #"));
    h.disconnectAddin();
    EXPECT_TRUE(savedFolders().empty());

    auto folder = makeFolder("Work");
    saveFolderEntry(1, folder->EntryID(), folder->StoreID());
    h.registry.failAlways("subkeyNames:" + foldersKey());
    h.connectAddin();
    EXPECT_EQ(autoScan().listenerCount(), 0);
    EXPECT_TRUE(h.logHas("ASInitialize : Error"));
    auto spam = deliver("s@x.example", "Spam to the inbox");
    EXPECT_TRUE(inJunk(spam)) << "start-up went on past the auto-scan";
    h.disconnectAddin();
    h.registry.clearFailures();
    EXPECT_EQ(savedFolder(1).read("entryID").toText(), folder->EntryID()) << "an unreadable list is not overwritten";

    h.connectAddin();
    EXPECT_EQ(autoScan().listenerCount(), 1);
}

// Mended: a folder whose store was offline at start-up was dropped from the list for good.
TEST_F(AutoScanTest, AFolderWhoseStoreIsNotOpenYetStaysWatchedAndIsTriedOnLaterPasses) {
    auto mailbox = std::make_shared<sim::SimFolder>(h.client, "Mailbox - Demo", h.client.newEntryId(),
                                                    "00C0FFEE00C0FFEE", std::weak_ptr<sim::SimFolder>());
    auto projects =
        std::dynamic_pointer_cast<sim::SimFolder>(mailbox->Folders()->Add("Projects", outlook::olFolderInbox));
    auto spam = deliverTo(projects, "p@x.example", "Spam in projects");
    saveFolderEntry(1, projects->EntryID(), projects->StoreID());

    start();
    EXPECT_EQ(autoScan().listenerCount(), 0);
    ASSERT_EQ(autoScan().pendingFolders().size(), 1u);
    EXPECT_TRUE(h.logHas("Unable to listen to folder."));
    restart();
    EXPECT_EQ(savedFolder(1).read("entryID").toText(), projects->EntryID()) << "kept in the registry";
    EXPECT_EQ(autoScan().pendingFolders().size(), 1u);

    runToNextPass();
    EXPECT_EQ(timesScored("p@x.example"), 0);
    h.client.stores()->adopt(mailbox);  // the mailbox comes online
    runToNextPass();
    EXPECT_EQ(autoScan().listenerCount(), 1);
    EXPECT_TRUE(autoScan().pendingFolders().empty());
    EXPECT_TRUE(inJunk(spam));
}

// Mended: the cache file was deleted for any folder that failed to open, by a path built from the registry.
TEST_F(AutoScanTest, AFolderGoneFromItsOpenStoreIsDroppedWithItsCacheFileButNoOtherFileIsTouched) {
    start();
    const std::string data = h.addin().dataFolder();
    const std::string store = h.client.inbox()->StoreID();
    h.disconnectAddin();
    const std::string goneId = "00AA00BB00CC00DD";
    h.files.replaceContents(data + "/" + goneId, "0011");
    h.files.replaceContents(data + "/keep.txt", "precious");
    saveFolderEntry(1, goneId, store);
    saveFolderEntry(2, "..\\" + std::string("keep.txt"), store);
    saveFolderEntry(3, "keep.txt", store);

    h.connectAddin();
    EXPECT_EQ(autoScan().listenerCount(), 0);
    EXPECT_TRUE(autoScan().pendingFolders().empty());
    EXPECT_FALSE(h.files.fileExists(data + "/" + goneId));
    EXPECT_TRUE(h.files.fileExists(data + "/keep.txt"));
    EXPECT_TRUE(h.logHas("not a folder identifier"));
    h.disconnectAddin();
    EXPECT_TRUE(savedFolders().empty());
}

// Mended: an error in a pass left the busy flag set, which ended the auto-scan for the session.
TEST_F(AutoScanTest, AnErrorInAPassLeavesItIdleWithItsWindowHidden) {
    start();
    auto folder = makeFolder("Work");
    watch(folder);
    whileAway([&] { deliverTo(folder, "first@x.example", "Hello first"); });
    h.ui.faults().failNext("hideForm:frmAutoScanStatus");
    runToNextPass();
    EXPECT_EQ(timesScored("first@x.example"), 1);
    EXPECT_TRUE(h.logHas("autoscantimer : Error"));
    EXPECT_FALSE(autoScan().Busy());
    EXPECT_FALSE(h.ui.isFormVisible("frmAutoScanStatus"));

    deliverTo(folder, "second@x.example", "Hello second");
    runToNextPass();
    EXPECT_EQ(timesScored("second@x.example"), 1) << "the next pass runs";
}

}  // namespace
}  // namespace tw::test
