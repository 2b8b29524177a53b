// Start-up, the window-less start, the window wrappers and teardown of the add-in.
#include <gtest/gtest.h>

#include "commandbars/ExplWrap.h"
#include "core/Error.h"
#include "support/AddinHarness.h"

namespace tw::test {
namespace {

TEST(WindowlessStart, StartsOnlyTheMonitorWithAQuotedProgramPath) {
    AddinHarness h;
    h.connectAddin();

    ASSERT_EQ(h.shell.started.size(), 1u);
    EXPECT_EQ(h.shell.started[0].commandLine,
              "\"C:\\Program Files\\Tarnwick\\HostWatch.exe\" /n OrvennaOutlookAddIn.Connect /p 4242 /t 1717");
    EXPECT_EQ(h.shell.started[0].windowStyle, 2);
    EXPECT_EQ(h.connect.addin(), nullptr);
    EXPECT_EQ(h.logText(), "");

    // Nothing was built, so disconnection stores nothing and logs nothing.
    h.disconnectAddin();
    EXPECT_FALSE(h.registry.keyExists(platform::Hive::CurrentUser, "Software\\Orvenna"));
    EXPECT_EQ(h.logText(), "");
}

TEST(WindowlessStart, DoesNotStartASecondMonitor) {
    AddinHarness h;
    h.shell.processes = {"C:\\WINDOWS\\system32\\svchost.exe", "C:\\Program Files\\Tarnwick\\HOSTWATCH.EXE"};
    h.connectAddin();
    EXPECT_TRUE(h.shell.started.empty());

    // A platform that cannot list processes counts the monitor as not running.
    h.shell.os.platformId = 3;
    h.connectAddin();
    EXPECT_EQ(h.shell.started.size(), 1u);
}

TEST(WindowlessStart, AnOpenMailWindowIsEnoughToStart) {
    AddinHarness h;
    auto item = h.client.deliver("hello");
    h.client.openInspector(item);
    h.connectAddin();
    EXPECT_TRUE(h.shell.started.empty());
    ASSERT_NE(h.connect.addin(), nullptr);
    EXPECT_TRUE(h.connect.addin()->initialized());
}

TEST(Startup, LogsTheConfigurationAndTheFirstExplorer) {
    AddinHarness h;
    h.client.comAddIns()->addIns_.push_back(std::make_shared<sim::SimCOMAddIn>("Belcastra Tarnwick Add-In", "x"));
    h.client.openExplorer();
    h.connectAddin();

    EXPECT_TRUE(h.logHas("TW Version: "));
    EXPECT_TRUE(h.logHas("Outlook 10.0.0.4712"));
    EXPECT_TRUE(h.logHas("COM addins: Belcastra Tarnwick Add-In, "));
    EXPECT_TRUE(h.logHas("AddExpl 0"));
    EXPECT_FALSE(h.logHas("Error #"));
    EXPECT_EQ(h.addin().outlookVersion(), 10);
    EXPECT_EQ(h.library.settingsKeyPath, "Software\\Orvenna\\");
    EXPECT_EQ(h.addin().dataFolder(), "C:\\Program Files");
    EXPECT_EQ(h.addin().lastItemAdd(), h.loop.now().plusDays(-7));
}

TEST(Startup, AMissingScriptingHostIsReportedAndStartUpGoesOn) {
    AddinHarness h;
    h.client.openExplorer();
    h.shell.scriptingHostAvailable = false;
    h.connectAddin();

    // The data folder cannot be found without the scripting host: the user is told and start-up goes on.
    EXPECT_TRUE(h.logHas("getpathsforfiles : Error # 429"));
    ASSERT_EQ(h.ui.boxes.size(), 1u);
    EXPECT_EQ(h.ui.boxes[0].title, "Tarnwick");
    EXPECT_NE(h.ui.boxes[0].prompt.find("unable to initialize"), std::string::npos);
    ASSERT_EQ(h.shell.opened.size(), 1u);
    EXPECT_TRUE(h.logHas("AddExpl 0"));
}

TEST(Teardown, LastExplorerCloseTearsDownAndDisconnectionRepeatsItSafely) {
    AddinHarness h;
    auto explorer = h.client.openExplorer();
    h.connectAddin();
    h.client.closeExplorer(explorer);

    EXPECT_TRUE(h.logHas("m_objExpl_Close()"));
    EXPECT_TRUE(h.logHas("m_CurrentFolder.Name = Inbox"));
    EXPECT_TRUE(h.logHas("KillExpl 0"));
    EXPECT_TRUE(h.logHas("Calling UnInitHandler from m_objExpl_Close()"));
    EXPECT_EQ(h.logCount("UnInitHandler()\r\n"), 2);  // the call line and the handler's own line
    EXPECT_EQ(h.library.colExplWraps.count(), 0u);

    h.disconnectAddin();
    EXPECT_EQ(h.logCount("End of UnInitHandler()"), 2);
    EXPECT_FALSE(h.logHas("Error #"));
    EXPECT_EQ(h.connect.addin(), nullptr);
}

// The user unticks the add-in while windows are open: the windows closed afterwards must reach
// nothing of the add-in, which is gone (AddressSanitizer watches this test).
TEST(Teardown, WindowsClosedAfterDisconnectionReachNothingOfTheAddin) {
    AddinHarness h;
    auto first = h.client.openExplorer();
    h.connectAddin();
    auto second = h.client.openExplorer();
    auto inspector = h.client.openInspector(h.client.deliver("open while unticked"));
    ASSERT_EQ(h.library.colExplWraps.count(), 2u);
    ASSERT_EQ(h.library.colInspWraps.count(), 1u);

    h.disconnectAddin();
    EXPECT_EQ(h.connect.addin(), nullptr);
    EXPECT_EQ(h.library.colExplWraps.count(), 0u);
    EXPECT_EQ(h.library.colInspWraps.count(), 0u);

    const size_t logSize = h.logText().size();
    h.client.closeInspector(inspector);
    h.client.closeExplorer(second);
    h.client.closeExplorer(first);
    EXPECT_EQ(h.logText().size(), logSize) << "a closed window reached the add-in after it was gone";

    // The log no longer asks the vanished add-in for its facts when it dumps the configuration.
    h.library.log()->logCurrentConfiguration();
}

TEST(Teardown, ClosingOneOfTwoExplorersKeepsTheAddinRunning) {
    AddinHarness h;
    auto first = h.client.openExplorer();
    h.connectAddin();
    auto second = h.client.openExplorer();
    EXPECT_TRUE(h.logHas("AddExpl 1"));

    h.client.closeExplorer(second);
    EXPECT_TRUE(h.logHas("KillExpl 1"));
    EXPECT_FALSE(h.logHas("End of UnInitHandler()"));
    EXPECT_TRUE(h.library.newExplorerFlag);

    h.client.closeExplorer(first);
    EXPECT_TRUE(h.logHas("End of UnInitHandler()"));
}

TEST(Inspectors, OnlyMailWindowsGetAWrapper) {
    AddinHarness h;
    h.client.openExplorer();
    h.connectAddin();

    h.client.openInspector(h.client.createItem(outlook::olContact, "Ann"));
    EXPECT_TRUE(h.logHas("colInsp_NewInspector()"));
    EXPECT_TRUE(h.logHas("olMail = 43\r\nolPost = 45\r\nolAppointment = 26"));
    EXPECT_TRUE(h.logHas("objItem.Class = 40"));
    EXPECT_EQ(h.library.colInspWraps.count(), 0u);

    h.client.openInspector(h.client.deliver("hello"));
    EXPECT_TRUE(h.logHas("AddInsp 0"));
    EXPECT_EQ(h.library.colInspWraps.count(), 1u);
}

TEST(Inspectors, LastMailWindowWithoutExplorerTearsDown) {
    AddinHarness h;
    auto inspector = h.client.openInspector(h.client.deliver("hello"));
    h.connectAddin();
    // The mail window open at connection has no wrapper; a second one gets the first key.
    auto second = h.client.openInspector(h.client.deliver("again"));
    EXPECT_TRUE(h.logHas("AddInsp 0"));

    // While two windows are open, closing the wrapped one would leave one behind: no teardown.
    h.client.closeInspector(inspector);
    EXPECT_FALSE(h.logHas("UnInitHandler"));

    h.client.closeInspector(second);
    EXPECT_TRUE(h.logHas("KillInsp 0"));
    EXPECT_TRUE(h.logHas("Calling UnInitHandler from m_objInsp_Close()"));
    EXPECT_TRUE(h.logHas("End of UnInitHandler()"));
    // The message closes before its window: its close does the work, the window's finds nobody.
    EXPECT_TRUE(h.logHas("End of m_objMail_Close()"));
    EXPECT_FALSE(h.logHas("End of m_objInsp_Close()")) << h.logText();
    EXPECT_EQ(h.logCount("End of UnInitHandler()"), 1);
}

TEST(WrapperBookkeeping, KillExplOfAForeignWrapperRaisesAndChangesNothing) {
    AddinHarness h;
    h.client.openExplorer();
    h.connectAddin();
    commandbars::ExplWrap stranger(h.addin());

    try {
        h.addin().KillExpl(0, stranger);
        FAIL() << "KillExpl accepted a wrapper that is not in the list";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.description(), "Unexpected Error in KillExpl");
    }
    EXPECT_EQ(h.library.colExplWraps.count(), 1u);
    EXPECT_THROW(h.addin().KillExpl(7, stranger), Error);
}

TEST(NewMail, InboxArrivalUpdatesLastItemAdd) {
    AddinHarness h;
    h.client.openExplorer();
    h.connectAddin();
    h.loop.advance(60000);
    h.client.deliver("news");
    EXPECT_EQ(h.addin().lastItemAdd(), h.loop.now());
}

}  // namespace
}  // namespace tw::test
