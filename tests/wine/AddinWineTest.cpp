// The add-in DLL in the stand-in mail client: registered with regsvr32, loaded from the registry as
// the client loads add-ins, filtering new mail into the junk folder, and torn down again.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "wine/AddinHost.h"
#include "wine/FormWindowScript.h"
#include "wine/ProgramFolder.h"
#include "standin/CommandBarData.h"
#include "win32/Win32Registry.h"

namespace tw::winetest {
namespace {

using platform::Hive;
using platform::RegValue;
using standin::StandInClient;

constexpr const char* kAddInKey = "Software\\Microsoft\\Office\\Outlook\\Addins\\OrvennaOutlookAddIn.Connect";


class AddinWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Other tests of this program register classes under the same names; start from none.
        regsvr32(true);
        before = registrationSnapshot();
        ASSERT_EQ(regsvr32(false), 0) << "regsvr32 could not register the add-in";
        clearAddinSettings();
        removeAddinLog();
        dataFolder = freshDataFolder();
        // Spam is marked read as it is moved, so the read state shows which way a message went.
        win32::Win32Registry registry;
        registry.createKey(Hive::CurrentUser, "Software\\Orvenna");
        registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "MarkSpamAsRead", RegValue::ofDword(1));
    }
    void TearDown() override {
        EXPECT_EQ(regsvr32(true), 0) << "regsvr32 /u failed";
        EXPECT_EQ(registrationSnapshot(), before) << "unregistering did not leave the registry as it was";
    }

    std::string before;
    std::string dataFolder;
};

/// Events that a sink of the add-in answered with a failure while it lives; the client counts them
/// for the whole process.
class SinkFailures {
public:
    explicit SinkFailures(const StandInClient& client) : client_(client), start_(client.sinkFailures()) {}
    long count() const { return client_.sinkFailures() - start_; }

private:
    const StandInClient& client_;
    long start_;
};

TEST_F(AddinWineTest, RegistrationNamesTheClassesAndTheAddInKey) {
    win32::Win32Registry registry;
    EXPECT_EQ(registry.queryValue(Hive::CurrentUser, kAddInKey, "LoadBehavior")->dword, 3u);
    EXPECT_EQ(registry.queryValue(Hive::CurrentUser, kAddInKey, "FriendlyName")->text, "Belcastra Tarnwick Add-In");
    EXPECT_EQ(registry.queryValue(Hive::CurrentUser, kAddInKey, "Description")->text, "Belcastra Tarnwick Outlook Add-In");
    for (const char* progId : {"OrvennaOutlookAddIn.Connect", "OrvennaOutlookAddIn.InspWrap"}) {
        auto classId = registry.queryValue(Hive::ClassesRoot, std::string(progId) + "\\CLSID", "");
        ASSERT_TRUE(classId) << progId;
        const std::string server = "CLSID\\" + classId->text + "\\InprocServer32";
        EXPECT_EQ(registry.queryValue(Hive::ClassesRoot, server, "ThreadingModel")->text, "Apartment");
        EXPECT_EQ(registry.queryValue(Hive::ClassesRoot, server, "")->text, ProgramFolder::beside("TarnwickOutlookAddIn.dll"));
    }
}

TEST_F(AddinWineTest, NewMailGoesWhereItBelongsAndTheLastExplorerTearsDown) {
    win32::Win32FileSystem files;
    files.replaceContents(dataFolder + "\\Junk Senders.txt", "blocked@spammer.example\r\n");

    StandInClient client;
    SinkFailures sinkFailures(client);
    const int explorer = client.openExplorer(kInbox);
    const auto& loaded = client.loadAddIns();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].connection, S_OK);
    EXPECT_TRUE(loaded[0].connected);
    EXPECT_TRUE(client.folderExists(kJunk)) << "start-up makes the junk folder";
    const std::string startup = addinLog();
    for (const char* line : {"Let Explorer", "AddExpl 0", "TW Version: "}) EXPECT_TRUE(contains(startup, line)) << line;

    const standin::MailSpec blocked = blockedSenderMail();
    standin::MailSpec legitimate = mailFromFile("ham.eml");
    standin::MailSpec spam = mailFromFile("spam.eml");
    client.deliver(kInbox, blocked);
    client.deliver(kInbox, legitimate);
    client.deliver(kInbox, spam);
    client.pump(3000);

    auto blockedNow = bySubject(client, kJunk, blocked.subject);
    ASSERT_TRUE(blockedNow) << addinLog();
    EXPECT_FALSE(blockedNow->unread);
    auto legitimateNow = bySubject(client, kInbox, legitimate.subject);
    ASSERT_TRUE(legitimateNow) << addinLog();
    EXPECT_TRUE(legitimateNow->unread);
    auto spamNow = bySubject(client, kJunk, spam.subject);
    ASSERT_TRUE(spamNow) << addinLog();
    EXPECT_FALSE(spamNow->unread);

    // The headers came whole through the safe mail library, and so did the body.
    const std::string checked = addinLog();
    EXPECT_TRUE(contains(checked, "got message headers of size " + std::to_string(legitimate.headers.size()))) << checked;
    EXPECT_TRUE(contains(checked, "got message body of size ")) << checked;

    client.closeExplorer(explorer);
    const std::string log = addinLog();
    EXPECT_TRUE(contains(log, "Calling UnInitHandler from m_objExpl_Close()"));
    EXPECT_TRUE(contains(log, "UnInitHandler()"));
    EXPECT_TRUE(contains(log, "End of UnInitHandler()"));
    EXPECT_FALSE(contains(log, "Error #")) << log;
    client.disconnectAddIns();
    EXPECT_EQ(sinkFailures.count(), 0);
}

TEST_F(AddinWineTest, AClientWithoutWindowsGetsOnlyTheMonitorStarted) {
    win32::Win32FileSystem files;
    const std::string marker = ProgramFolder::beside("hostwatch-started.txt");
    if (files.fileExists(marker)) files.removeFile(marker);
    files.copyFile(ProgramFolder::beside("hostwatch_probe.exe"), ProgramFolder::beside("HostWatch.exe"));

    {
        StandInClient client;
        const auto& loaded = client.loadAddIns();
        ASSERT_EQ(loaded.size(), 1u);
        EXPECT_EQ(loaded[0].connection, S_OK);
        for (int waited = 0; waited < 5000 && !files.fileExists(marker); waited += 100) client.pump(100);
        EXPECT_FALSE(client.folderExists(kJunk)) << "the add-in started although the client has no window";
        client.disconnectAddIns();
    }
    files.removeFile(ProgramFolder::beside("HostWatch.exe"));
    ASSERT_TRUE(files.fileExists(marker)) << "HostWatch was not started";
    const std::string commandLine = win32::toUtf8(std::wstring_view(
        reinterpret_cast<const wchar_t*>(files.readAll(marker).data()), files.readAll(marker).size() / sizeof(wchar_t)));
    EXPECT_TRUE(contains(commandLine, "HostWatch.exe\" /n OrvennaOutlookAddIn.Connect /p ")) << commandLine;
    EXPECT_TRUE(contains(commandLine, " /t ")) << commandLine;
    EXPECT_EQ(addinLog(), "") << "a window-less start writes no log";
}

bool hasTag(const std::vector<standin::ControlState>& controls, const std::string& tag) {
    for (const auto& c : controls)
        if (c.tag == tag || hasTag(c.children, tag)) return true;
    return false;
}

TEST_F(AddinWineTest, TheToolbarMenuAndHelpEntriesAppearAndBlockSenderActsOnTheSelection) {
    // The sender dialog is a window of its own; without it the command acts at once.
    win32::Win32Registry registry;
    registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "showsenderdialog", RegValue::ofDword(1));
    StandInClient client;
    const int explorer = client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);

    const auto toolbar = client.controls(explorer, "Velmora");
    std::string tags;
    for (const auto& c : toolbar) tags += c.tag + " (" + c.caption + "); ";
    // Three buttons with their faces, then the "&Tarnwick" popup with the whole menu.
    ASSERT_EQ(toolbar.size(), 4u) << tags;
    EXPECT_EQ(toolbar[2].tag, "Block SenderTarnwick");
    EXPECT_TRUE(toolbar[2].faceSet);
    EXPECT_EQ(toolbar[3].caption, "&Tarnwick");
    EXPECT_EQ(toolbar[3].children.size(), 18u);
    EXPECT_TRUE(hasTag(client.controls(explorer, "Menu Bar"), "AboutTarnwickTarnwick")) << "the Help menu has no About entry";

    const standin::MailSpec mail = mailFromFile("ham.eml");
    const std::string id = client.deliver(kInbox, mail);
    client.pump(500);
    client.select(explorer, {id});
    ASSERT_TRUE(client.click(explorer, "Block SenderTarnwick"));
    client.pump(500);

    auto blocked = client.find(id);
    ASSERT_TRUE(blocked);
    EXPECT_EQ(blocked->folderPath, "\\Personal Folders\\Deleted Items") << addinLog();
    EXPECT_FALSE(blocked->unread);
    win32::Win32FileSystem files;
    std::string lowered = mail.senderAddress;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_NE(files.readAll(dataFolder + "\\Junk Senders.txt").find(lowered), std::string::npos);

    client.closeExplorer(explorer);
    EXPECT_TRUE(contains(addinLog(), "End of UnInitHandler()"));
}

// A received message opened in a window of its own gets the toolbar; its Block button acts on that
// message, and closing the window stores the toolbar's placement.
TEST_F(AddinWineTest, AMessageWindowGetsItsOwnToolbarWhoseBlockActsOnItsMessage) {
    win32::Win32Registry registry;
    registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "showsenderdialog", RegValue::ofDword(1));
    StandInClient client;
    SinkFailures sinkFailures(client);
    const int explorer = client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    const standin::MailSpec mail = mailFromFile("ham.eml");
    const std::string id = client.deliver(kInbox, mail);
    client.pump(500);

    const int window = client.openInspector(id);
    const auto names = client.barNames(window);
    ASSERT_NE(std::find(names.begin(), names.end(), "Velmora"), names.end()) << addinLog();
    const auto toolbar = client.controls(window, "Velmora");
    ASSERT_EQ(toolbar.size(), 4u);
    EXPECT_EQ(toolbar[2].tag.rfind("InspBlockSenderTarnwick", 0), 0u) << toolbar[2].tag;
    EXPECT_TRUE(toolbar[2].faceSet);
    EXPECT_EQ(toolbar[3].children.size(), 18u);
    // The main window's buttons keep their own tags, so a click in one window is not heard in the other.
    EXPECT_NE(toolbar[2].tag, client.controls(explorer, "Velmora")[2].tag);

    ASSERT_TRUE(client.click(window, toolbar[2].tag));
    client.pump(200);
    auto after = client.find(id);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->folderPath, kInbox) << "the window's Block moves nothing";
    win32::Win32FileSystem files;
    std::string lowered = mail.senderAddress;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_NE(files.readAll(dataFolder + "\\Junk Senders.txt").find(lowered), std::string::npos) << addinLog();

    client.closeInspector(window);
    EXPECT_TRUE(registry.queryValue(Hive::CurrentUser, "Software\\Orvenna", "toolbarpositionInsp")) << addinLog();
    EXPECT_TRUE(contains(addinLog(), "End of RemoveMButtons()"));
    EXPECT_FALSE(contains(addinLog(), "End of UnInitHandler()")) << "the main window is still open";
    client.closeExplorer(explorer);
    EXPECT_FALSE(contains(addinLog(), "Error #")) << addinLog();
    EXPECT_EQ(sinkFailures.count(), 0);
}

// The user unticks the add-in with two explorers and a message open, then closes all three.
TEST_F(AddinWineTest, WindowsClosedAfterTheAddinWasUntickedReachNothingOfIt) {
    StandInClient client;
    SinkFailures sinkFailures(client);
    const int first = client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    const int second = client.openExplorer(kInbox);
    const std::string item = client.deliver(kInbox, mailFromFile("ham.eml"));
    client.pump(500);
    const int inspector = client.openInspector(item);

    client.disconnectAddIn("OrvennaOutlookAddIn.Connect");
    const std::string afterDisconnect = addinLog();
    EXPECT_TRUE(contains(afterDisconnect, "End of UnInitHandler()"));
    client.closeInspector(inspector);
    client.closeExplorer(second);
    client.closeExplorer(first);
    client.pump(200);
    EXPECT_EQ(addinLog(), afterDisconnect) << "a window closed after disconnection reached the add-in";
    EXPECT_EQ(sinkFailures.count(), 0);
}

// A call inside the new-mail handler fails; the handler traps it, the client goes on, and the
// next message is filtered as usual.
TEST_F(AddinWineTest, AFailureInsideAHandlerDoesNotBringTheClientDown) {
    StandInClient client;
    SinkFailures sinkFailures(client);
    client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    client.failNext("UnRead", 1);
    client.deliver(kInbox, mailFromFile("ham.eml"));
    client.pump(500);
    const standin::MailSpec spam = mailFromFile("spam.eml");
    client.deliver(kInbox, spam);
    client.pump(3000);

    EXPECT_TRUE(bySubject(client, kJunk, spam.subject)) << addinLog();
    EXPECT_TRUE(contains(addinLog(), "Error #")) << "the failure was not logged";
    EXPECT_EQ(sinkFailures.count(), 0);
    client.disconnectAddIns();
}

/// As for mail on a server mailbox: checked mail is tracked in the add-in's own cache rather than in
/// a property on each message, and the Inbox is scanned at start-up through the library's table.
void useServerMailboxSettings() {
    win32::Win32Registry registry;
    registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "useuserprops", RegValue::ofDword(0));
    registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "scanInboxOnStartup", RegValue::ofDword(1));
}

/// Pumps the client until the message is in that folder or the time is up.
bool waitFor(StandInClient& client, const std::string& path, const std::string& subject, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 250) {
        if (bySubject(client, path, subject)) return true;
        client.pump(250);
    }
    return bySubject(client, path, subject).has_value();
}

/// The add-in with windows it makes itself: these run where windows can be made (the Wine run repeats
/// the FormWindow tests under the null display driver).
class FormWindowAddin : public AddinWineTest {
protected:
    void SetUp() override {
        if (!test::canCreateWindows()) GTEST_SKIP() << "no display driver: the add-in's windows cannot be made";
        AddinWineTest::SetUp();
    }
    void TearDown() override {
        if (test::canCreateWindows()) AddinWineTest::TearDown();
    }
};
/// The start-up scan shows its progress in a window.
using FormWindowAddinStartupScan = FormWindowAddin;

TEST_F(FormWindowAddinStartupScan, MailThatArrivedWhileTheAddInWasAwayIsCheckedThroughTheLibrarysTable) {
    useServerMailboxSettings();
    StandInClient client;
    const standin::MailSpec spam = mailFromFile("spam.eml"), legitimate = mailFromFile("ham.eml");
    client.addMail(kInbox, legitimate);
    client.addMail(kInbox, spam);
    client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);

    EXPECT_TRUE(waitFor(client, kJunk, spam.subject, 10000)) << addinLog();
    auto kept = bySubject(client, kInbox, legitimate.subject);
    ASSERT_TRUE(kept);
    EXPECT_TRUE(kept->unread);
    const std::string log = addinLog();
    EXPECT_TRUE(contains(log, "scanf track")) << log;
    EXPECT_TRUE(contains(log, "got message headers of size " + std::to_string(spam.headers.size()))) << log;
    EXPECT_FALSE(contains(log, "Error #")) << log;
    client.disconnectAddIns();
    EXPECT_EQ(client.liveMapiObjects(), 0) << "the library let go of every MAPI object at teardown";
    EXPECT_EQ(client.outstandingMapiBuffers(), 0);
}

TEST_F(AddinWineTest, AMessageTheLibraryCannotOpenIsLoggedAndTheNextIsStillChecked) {
    StandInClient client;
    client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    // The first message's MAPI object cannot be had: every read of it through the library fails.
    client.failNext("MAPIOBJECT", 1);
    const standin::MailSpec unreadable = mailFromFile("ham.eml");
    client.deliver(kInbox, unreadable);
    client.pump(500);
    const standin::MailSpec spam = mailFromFile("spam.eml");
    client.deliver(kInbox, spam);

    EXPECT_TRUE(waitFor(client, kJunk, spam.subject, 5000)) << addinLog();
    const std::string log = addinLog();
    EXPECT_TRUE(contains(log, "senderaddress : Error # ")) << log;
    EXPECT_TRUE(contains(log, "could not be opened")) << log;
    client.disconnectAddIns();
}

TEST_F(FormWindowAddinStartupScan, OnVersionNineWithoutASharedSessionTheTableFailsCleanlyAndNewMailIsStillChecked) {
    // Version 9 hands out no folder MAPI object: the table opens the folder in the client's shared
    // MAPI session, which Wine's own MAPI cannot give. Here the client does not share one.
    useServerMailboxSettings();
    StandInClient client;
    client.setVersion("9.0.0.2711");
    client.shareMapiSession(false);
    client.addMail(kInbox, mailFromFile("ham.eml"));
    client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    client.pump(3000);
    const standin::MailSpec spam = mailFromFile("spam.eml");
    client.deliver(kInbox, spam);

    EXPECT_TRUE(waitFor(client, kJunk, spam.subject, 5000)) << addinLog();
    const std::string log = addinLog();
    EXPECT_TRUE(contains(log, "scanFolderTable : Error # ")) << log;
    EXPECT_TRUE(contains(log, "folder could not be opened")) << log;
    EXPECT_EQ(client.mapiCalls().prompts, 0) << "the library never asks the user to log on";
    client.disconnectAddIns();
}

}  // namespace
}  // namespace tw::winetest

namespace tw::winetest {
namespace {

// The new-mail road on the oldest version the add-in supports, which lacks the sender's address and
// the folders' MAPI objects, and on the newest, which has both.
class AddinVersionRoad : public AddinWineTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AddinVersionRoad, NewMailGoesWhereItBelongs) {
    win32::Win32FileSystem files;
    files.replaceContents(dataFolder + "\\Junk Senders.txt", "blocked@spammer.example\r\n");
    StandInClient client;
    client.setVersion(GetParam());
    SinkFailures sinkFailures(client);
    const int explorer = client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    standin::MailSpec blocked;
    blocked.senderAddress = "blocked@spammer.example";
    blocked.to = {"me@home.example"};
    blocked.subject = "from a blocked sender";
    blocked.headers = "From: <blocked@spammer.example>\r\nSubject: from a blocked sender\r\n";
    const standin::MailSpec legitimate = mailFromFile("ham.eml"), spam = mailFromFile("spam.eml");
    for (const standin::MailSpec* mail : std::initializer_list<const standin::MailSpec*>{&blocked, &legitimate, &spam}) client.deliver(kInbox, *mail);
    EXPECT_TRUE(waitFor(client, kJunk, spam.subject, 5000)) << addinLog();
    EXPECT_TRUE(bySubject(client, kJunk, blocked.subject)) << addinLog();
    EXPECT_TRUE(bySubject(client, kInbox, legitimate.subject)) << addinLog();
    client.closeExplorer(explorer);
    EXPECT_FALSE(contains(addinLog(), "Error #")) << addinLog();
    EXPECT_EQ(client.exitAfterLastWindow(), 0);
    EXPECT_EQ(sinkFailures.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Versions, AddinVersionRoad, ::testing::Values("9.0.0.2711", "11.0.0.8312"));

// Every entry of the "&Tarnwick" menu is bound to its command as long as the menu stands.
TEST_F(AddinWineTest, BlockInTheMainWindowsMenuActsOnTheSelection) {
    win32::Win32Registry registry;
    registry.setValue(Hive::CurrentUser, "Software\\Orvenna", "showsenderdialog", RegValue::ofDword(1));
    StandInClient client;
    const int explorer = client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    const standin::MailSpec mail = mailFromFile("ham.eml");
    const std::string id = client.deliver(kInbox, mail);
    client.pump(500);
    client.select(explorer, {id});

    ASSERT_TRUE(client.clickCaption(explorer, "Velmora", {"&Tarnwick", "&Block Message"}));
    client.pump(500);
    auto blocked = client.find(id);
    ASSERT_TRUE(blocked);
    EXPECT_EQ(blocked->folderPath, "\\Personal Folders\\Deleted Items") << addinLog();
    client.closeExplorer(explorer);
}

/// Stands in for a user who never answers: a thread timer that fires in whatever message loop runs
/// (the add-in's modal loop included), names each form window it finds and closes it, so a modal
/// form nobody answers fails the test instead of hanging it.
class UnansweredFormWatchdog {
public:
    explicit UnansweredFormWatchdog(UINT afterMs) {
        active_ = this;
        timer_ = SetTimer(nullptr, 0, afterMs, &UnansweredFormWatchdog::fire);
    }
    ~UnansweredFormWatchdog() {
        KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
    UnansweredFormWatchdog(const UnansweredFormWatchdog&) = delete;
    UnansweredFormWatchdog& operator=(const UnansweredFormWatchdog&) = delete;

    std::vector<std::wstring> closedForms;

private:
    static void CALLBACK fire(HWND, UINT, UINT_PTR, DWORD) {
        if (active_ == nullptr) return;
        EnumThreadWindows(GetCurrentThreadId(), &UnansweredFormWatchdog::closeForm, 0);
    }
    static BOOL CALLBACK closeForm(HWND window, LPARAM) {
        wchar_t className[64] = {};
        GetClassNameW(window, className, 64);
        if (std::wstring(className) == win32::forms::kFormWindowClass && IsWindowVisible(window)) {
            active_->closedForms.push_back(test::textOf(window));
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return TRUE;
    }

    static inline UnansweredFormWatchdog* active_ = nullptr;
    UINT_PTR timer_ = 0;
};

HWND visibleFormWindow(const std::wstring& caption) {
    HWND window = FindWindowW(win32::forms::kFormWindowClass, caption.c_str());
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

TEST_F(FormWindowAddinStartupScan, WithDefaultNetworkSettingsAndNoServiceTheClientStartsAndTheWarningWaitsBesideIt) {
    // Every network setting as a new user has it; the service address stays a closed local port.
    win32::Win32Registry registry;
    for (const char* name : {"EnablePingChecks", "upgradeNotification"})
        registry.deleteValue(Hive::CurrentUser, "Software\\Orvenna", name);

    StandInClient client;
    const int explorer = client.openExplorer(kInbox);
    std::vector<std::wstring> unanswered;
    {
        UnansweredFormWatchdog watchdog(5000);
        const auto& loaded = client.loadAddIns();
        ASSERT_EQ(loaded.size(), 1u);
        EXPECT_TRUE(loaded[0].connected);
        unanswered = watchdog.closedForms;
    }
    EXPECT_TRUE(unanswered.empty()) << "a modal form held the client's start-up until the watchdog closed it";
    EXPECT_TRUE(contains(addinLog(), "cannot connect to Network")) << addinLog();
    EXPECT_NE(visibleFormWindow(L"Tarnwick Network"), nullptr) << "the warning stays open beside the client";

    client.closeExplorer(explorer);
    EXPECT_EQ(visibleFormWindow(L"Tarnwick Network"), nullptr) << "teardown closes the warning";
    client.disconnectAddIns();
}

}  // namespace
}  // namespace tw::winetest

namespace tw::winetest {
namespace {

/// Text on the clipboard, as the user left it; a window owns it, as setting data needs.
class UserClipboard {
public:
    UserClipboard() : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~UserClipboard() {
        if (window_) DestroyWindow(window_);
    }
    bool put(const std::wstring& text) {
        if (!window_ || !OpenClipboard(window_)) return false;
        EmptyClipboard();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        bool done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        CloseClipboard();
        return done;
    }
    std::wstring text() const {
        std::wstring out;
        if (!OpenClipboard(window_)) return L"(the clipboard could not be opened)";
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            out = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return out;
    }

private:
    HWND window_;
};

/// The add-in's own picture of that id, as the stand-in reads a face.
std::string addinPicture(int id) {
    HMODULE addin = GetModuleHandleW(L"TarnwickOutlookAddIn.dll");
    auto bitmap = static_cast<HBITMAP>(LoadImageW(addin, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
    std::string pixels = standin::bitmapPixels(bitmap);
    if (bitmap) DeleteObject(bitmap);
    return pixels;
}

/// A mask lets the bar show through where its corner is (white) and draws the rest of the face (black).
bool maskKeepsTheDrawing(const std::string& mask) {
    const size_t start = mask.find(':') + 1;
    if (start == 0 || mask.size() < start + 4) return false;
    bool black = false;
    for (size_t i = start; i + 3 < mask.size(); i += 4) black = black || (mask[i] == 0 && mask[i + 1] == 0 && mask[i + 2] == 0);
    return black && mask.compare(start, 3, "\xff\xff\xff") == 0;
}

/// The clipboard needs a window, so these run where windows can be made.
/// Pasting a button face from the clipboard needs a window to own the clipboard.
using FormWindowAddinFaces = FormWindowAddin;

// Version 11 takes the pictures as the buttons' Picture, with a mask; version 9 knows no Picture, so
// there they are pasted from the clipboard, which the user gets back.
TEST_F(FormWindowAddinFaces, TheButtonsShowTheAddinsPicturesAndTheUsersClipboardKeepsItsText) {
    for (const char* version : {"11.0.0.8312", "9.0.0.2711"}) {
        SCOPED_TRACE(version);
        const bool masked = version[0] == '1';
        UserClipboard clipboard;
        ASSERT_TRUE(clipboard.put(L"the user's own words"));
        StandInClient client;
        client.setVersion(version);
        const int explorer = client.openExplorer(kInbox);
        ASSERT_EQ(client.loadAddIns().size(), 1u);

        const auto toolbar = client.controls(explorer, "Velmora");
        ASSERT_EQ(toolbar.size(), 4u);
        const int faces[] = {101, 103, 102};  // options, approve, block
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_TRUE(toolbar[i].faceSet) << toolbar[i].caption;
            EXPECT_EQ(toolbar[i].facePixels, addinPicture(faces[i])) << toolbar[i].caption << " shows another picture";
            if (masked) EXPECT_TRUE(maskKeepsTheDrawing(toolbar[i].maskPixels)) << toolbar[i].caption;
            else EXPECT_TRUE(toolbar[i].maskPixels.empty()) << toolbar[i].caption;
            EXPECT_EQ(toolbar[i].style, 1) << "an icon button";
            EXPECT_FALSE(toolbar[i].tooltip.empty());
        }
        EXPECT_FALSE(addinPicture(101).empty()) << "the add-in carries no picture 101";
        const auto& menu = toolbar[3].children;
        ASSERT_EQ(menu.size(), 18u);
        EXPECT_EQ(menu[2].facePixels, addinPicture(102)) << menu[2].caption;
        EXPECT_EQ(clipboard.text(), L"the user's own words");
        client.closeExplorer(explorer);
        EXPECT_FALSE(contains(addinLog(), "Error #")) << addinLog();
    }
}

// The menu's "Why?" entry opens its window once per click, over the selected message, and the
// window gives the client back when it is closed.
TEST_F(FormWindowAddin, TheWhyEntryOpensItsWindowOncePerClick) {
    StandInClient client;
    const int explorer = client.openExplorer(kInbox);
    ASSERT_EQ(client.loadAddIns().size(), 1u);
    const std::string id = client.deliver(kInbox, mailFromFile("ham.eml"));
    client.pump(500);
    client.select(explorer, {id});
    std::vector<std::wstring> shown;
    {
        // The watchdog stands in for the user closing the window.
        UnansweredFormWatchdog watchdog(1500);
        ASSERT_TRUE(client.clickCaption(explorer, "Velmora", {"&Tarnwick", "Why was this message judged so?"}));
        client.pump(500);
        shown = watchdog.closedForms;
    }
    EXPECT_EQ(shown, std::vector<std::wstring>{L"Why was this message judged so?"});
    EXPECT_EQ(visibleFormWindow(L"Why was this message judged so?"), nullptr);
    EXPECT_FALSE(contains(addinLog(), "Error #")) << addinLog();
    client.closeExplorer(explorer);
}

}  // namespace
}  // namespace tw::winetest
