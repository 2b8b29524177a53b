// Forms that declare their controls appear as real windows: typing, ticking, selecting, Enter,
// Escape and the window's close box reach the form's state and handlers, and a modal show returns.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "diag/CErrorHandler.h"
#include "engineapi/EngineLibrary.h"
#include "senders/Senders.h"
#include "senders/frmEnterEmailDomain.h"
#include "settings/Settings.h"
#include "win32/TextEncoding.h"
#include "win32/Win32Clock.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32LibraryLoader.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"
#include "win32/Win32UserInterface.h"
#include "win32/forms/Win32FormWindow.h"
#include "wine/FormWindowScript.h"

namespace tw::test {
namespace {

using platform::ControlKind;
using platform::control;
using win32::forms::kFirstControlId;
using win32::forms::kFormWindowClass;

/// A small form with one control of each kind the user types into, ticks, selects and presses.
class TestForm : public platform::FormView {
public:
    enum Index { lblStatus, txtName, chkKeep, lstColours, cmdOK, cmdCancel };

    explicit TestForm(platform::UserInterface& ui) : ui_(ui), controls_(declaration()) {
        controls_.caption = "Form window test";
        controls_["lblStatus"].caption = "Your name";
        controls_["chkKeep"].caption = "Keep";
        controls_["cmdOK"].caption = "OK";
        controls_["cmdCancel"].caption = "Cancel";
        for (const char* colour : {"red", "green", "blue"}) controls_.addItem("lstColours", colour);
        controls_.on("txtName", "Change", [this] { changes.push_back(controls_["txtName"].text); });
        controls_.onClick("chkKeep", [this] { keepValues.push_back(controls_["chkKeep"].value); });
        controls_.onClick("lstColours", [this] { ++listClicks; });
        controls_.onClick("cmdOK", [this] { cmdOK_Click(); });
        controls_.onClick("cmdCancel", [this] {
            ++cancelClicks;
            ui_.hideForm(*this);
        });
    }

    static const platform::FormDecl& declaration() {
        static const platform::FormDecl decl{
            "frmWindowTest", 0, 4800, 3600,
            {
                control(ControlKind::Label, "lblStatus", 0, 120, 120, 4500, 300),
                control(ControlKind::TextBox, "txtName", 0, 120, 480, 3000, 315, 0),
                control(ControlKind::CheckBox, "chkKeep", 0, 120, 900, 3000, 300, 1),
                control(ControlKind::ListBox, "lstColours", 0, 120, 1300, 3000, 1200, 2),
                control(ControlKind::CommandButton, "cmdOK", 0, 1320, 2700, 1095, 375, 3, true),
                control(ControlKind::CommandButton, "cmdCancel", 0, 2520, 2700, 1095, 375, 4, false, true),
            }};
        return decl;
    }
    std::string formName() const override { return "frmWindowTest"; }
    platform::FormControls* controls() override { return &controls_; }

    /// OK without a name keeps the form open and says so, adds a choice and locks the tick.
    void cmdOK_Click() {
        ++okClicks;
        if (controls_["txtName"].text.empty()) {
            controls_["lblStatus"].caption = "A name is needed";
            controls_.addItem("lstColours", "black");
            controls_["chkKeep"].enabled = false;
            controls_["lstColours"].horizontalExtent = 2880;  // two inches
            return;
        }
        ui_.hideForm(*this);
    }

    std::vector<std::string> changes;
    std::vector<bool> keepValues;
    int listClicks = 0, okClicks = 0, cancelClicks = 0;

private:
    platform::UserInterface& ui_;
    platform::FormControls controls_;
};

class FormWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!canCreateWindows()) GTEST_SKIP() << "no display driver: run.sh runs these under Wine's null driver";
    }
    win32::Win32UserInterface ui;
    TestForm form{ui};
};

TEST_F(FormWindow, TypedTickedAndSelectedInputReachesTheFormAndOkEndsTheModalShow) {
    HWND seen = nullptr;
    ScriptedUser user(ui, form,
                      {[&](HWND window) {
                           seen = window;
                           EXPECT_EQ(textOf(window), L"Form window test");
                           EXPECT_EQ(textOf(controlOf(window, TestForm::chkKeep)), L"Keep");
                           EXPECT_EQ(SendMessageW(controlOf(window, TestForm::lstColours), LB_GETCOUNT, 0, 0), 3);
                           typeInto(window, TestForm::txtName, L"Ada Brandt");
                       },
                       [](HWND window) { SendMessageW(controlOf(window, TestForm::chkKeep), BM_CLICK, 0, 0); },
                       [](HWND window) {
                           HWND list = controlOf(window, TestForm::lstColours);
                           SendMessageW(list, LB_SETCURSEL, 1, 0);
                           // What the list box tells its parent when the user picks an entry.
                           SendMessageW(window, WM_COMMAND, MAKEWPARAM(kFirstControlId + TestForm::lstColours, LBN_SELCHANGE),
                                        reinterpret_cast<LPARAM>(list));
                       },
                       [](HWND window) { SendMessageW(controlOf(window, TestForm::cmdOK), BM_CLICK, 0, 0); }});
    ui.showForm(form, true);

    EXPECT_FALSE(user.gaveUp) << "the modal show ended only because the test hid the form";
    EXPECT_EQ(user.stepsTaken(), 4u);
    EXPECT_FALSE(ui.isFormVisible(form));
    EXPECT_FALSE(IsWindow(seen)) << "hiding the form destroys its window";
    auto& controls = *form.controls();
    EXPECT_EQ(controls["txtName"].text, "Ada Brandt");
    EXPECT_EQ(form.changes, std::vector<std::string>{"Ada Brandt"});
    EXPECT_TRUE(controls["chkKeep"].value);
    EXPECT_EQ(form.keepValues, std::vector<bool>{true});
    EXPECT_EQ(controls.selectedItems("lstColours"), std::vector<std::string>{"green"});
    EXPECT_EQ(form.listClicks, 1);
    EXPECT_EQ(form.okClicks, 1);
    EXPECT_EQ(form.cancelClicks, 0);
}

TEST_F(FormWindow, EnterPressesTheDefaultButtonEscapeTheCancelButtonAndTheCloseBoxCancels) {
    ScriptedUser enter(ui, form, {[](HWND window) { typeInto(window, TestForm::txtName, L"Ada"); },
                                  [](HWND window) { pressKey(window, VK_RETURN); }});
    ui.showForm(form, true);
    EXPECT_FALSE(enter.gaveUp);
    EXPECT_EQ(form.okClicks, 1);
    EXPECT_EQ(form.cancelClicks, 0);

    ScriptedUser escape(ui, form, {[](HWND window) { pressKey(window, VK_ESCAPE); }});
    ui.showForm(form, true);
    EXPECT_FALSE(escape.gaveUp);
    EXPECT_EQ(form.okClicks, 1);
    EXPECT_EQ(form.cancelClicks, 1);

    ScriptedUser closeBox(ui, form, {[](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }});
    ui.showForm(form, true);
    EXPECT_FALSE(closeBox.gaveUp);
    EXPECT_EQ(form.cancelClicks, 2);
    EXPECT_FALSE(ui.isFormVisible(form));
}

TEST_F(FormWindow, WhatAHandlerChangesIsDrawnBackIntoTheOpenWindow) {
    ScriptedUser user(ui, form,
                      {[](HWND window) { SendMessageW(controlOf(window, TestForm::cmdOK), BM_CLICK, 0, 0); },
                       [](HWND window) {
                           EXPECT_EQ(textOf(controlOf(window, TestForm::lblStatus)), L"A name is needed");
                           EXPECT_EQ(SendMessageW(controlOf(window, TestForm::lstColours), LB_GETCOUNT, 0, 0), 4);
                           EXPECT_FALSE(IsWindowEnabled(controlOf(window, TestForm::chkKeep)));
                           const HDC screen = GetDC(nullptr);
                           const LRESULT twoInches = 2 * GetDeviceCaps(screen, LOGPIXELSX);
                           ReleaseDC(nullptr, screen);
                           EXPECT_EQ(SendMessageW(controlOf(window, TestForm::lstColours), LB_GETHORIZONTALEXTENT, 0, 0),
                                     twoInches);
                           EXPECT_TRUE(IsWindowVisible(window)) << "OK without a name keeps the form open";
                           pressKey(window, VK_ESCAPE);
                       }});
    ui.showForm(form, true);
    EXPECT_FALSE(user.gaveUp);
    EXPECT_EQ(user.stepsTaken(), 2u);
    EXPECT_EQ(form.okClicks, 1);
    EXPECT_EQ(form.cancelClicks, 1);
}

TEST_F(FormWindow, TheWindowHasTheDeclaredSizePlaceAndFocusOrder) {
    ui.showForm(form, false);
    HWND window = FindWindowW(kFormWindowClass, L"Form window test");
    ASSERT_NE(window, nullptr);
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT inside{};
    GetClientRect(window, &inside);
    EXPECT_EQ(inside.right, MulDiv(4800, dpiX, 1440));
    EXPECT_EQ(inside.bottom, MulDiv(3600, dpiY, 1440));
    RECT box{};
    HWND text = controlOf(window, TestForm::txtName);
    GetWindowRect(text, &box);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, MulDiv(120, dpiX, 1440));
    EXPECT_EQ(box.top, MulDiv(480, dpiY, 1440));
    EXPECT_EQ(box.right - box.left, MulDiv(3000, dpiX, 1440));

    // Shown without blocking it leaves the focus alone; once the user comes to it, the focus starts
    // at tab index 0 and moves in tab order; the label takes none.
    EXPECT_NE(GetFocus(), text);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    EXPECT_EQ(GetFocus(), text);
    HWND next = text;
    for (int expected : {TestForm::chkKeep, TestForm::lstColours, TestForm::cmdOK, TestForm::cmdCancel, TestForm::txtName}) {
        next = GetNextDlgTabItem(window, next, FALSE);
        EXPECT_EQ(GetDlgCtrlID(next), kFirstControlId + expected);
    }
    EXPECT_EQ(GetWindowLongW(controlOf(window, TestForm::cmdOK), GWL_STYLE) & BS_DEFPUSHBUTTON, BS_DEFPUSHBUTTON);

    // A change made outside a handler (a long pass that yields) is drawn at the next yield.
    (*form.controls())["lblStatus"].caption = "Checked: 5";
    ui.doEvents();
    EXPECT_EQ(textOf(controlOf(window, TestForm::lblStatus)), L"Checked: 5");

    ui.hideForm(form);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(FormWindow, AFormWithoutDeclaredControlsGetsNoWindow) {
    struct Bare : platform::FormView {
        std::string formName() const override { return "frmBare"; }
    } bare;
    ui.showForm(bare, false);
    EXPECT_TRUE(ui.isFormVisible(bare));
    EXPECT_EQ(FindWindowW(kFormWindowClass, nullptr), nullptr);
    ui.hideForm(bare);
    EXPECT_FALSE(ui.isFormVisible(bare));
}

/// A form of the richer controls: slider, up-down, drop-down list, tree and two options.
class WidgetsForm : public platform::FormView {
public:
    enum Index { sldLevel, updLevel, cboFolder, tvwPages, optFirst, optSecond };

    WidgetsForm() : controls_(declaration()) {
        controls_.caption = "Widgets test";
        controls_["optFirst"].caption = "First";
        controls_["optSecond"].caption = "Second";
        controls_["optFirst"].value = true;
        controls_["cboFolder"].items = {"Inbox", "Junk", "Other"};
        controls_["cboFolder"].listIndex = 0;
        controls_["tvwPages"].nodes = {{"top", "Top", "", 0}, {"leaf", "Leaf", "top", 2}};
        for (const char* name : {"sldLevel", "updLevel", "cboFolder", "tvwPages", "optFirst", "optSecond"})
            for (const char* event : {"Scroll", "Change", "UpClick", "DownClick", "Click", "MouseDown", "NodeClick", "GotFocus"})
                controls_.on(name, event, [this, name, event] { log(std::string(name) + "." + event); });
        for (const char* name : {"optFirst", "optSecond"}) {
            controls_.onClick(name, [this, name] {
                log(std::string(name) + ".Click");
                controls_["optFirst"].value = std::string(name) == "optFirst";
                controls_["optSecond"].value = std::string(name) == "optSecond";
            });
        }
    }
    static const platform::FormDecl& declaration() {
        static const platform::FormDecl decl{
            "frmWidgetsTest", 0, 6000, 3600,
            {
                control(ControlKind::Slider, "sldLevel", 0, 120, 120, 3000, 400, 0),
                control(ControlKind::UpDown, "updLevel", 0, 3240, 120, 240, 300),
                control(ControlKind::ComboBox, "cboFolder", 0, 120, 720, 3000, 300, 1),
                control(ControlKind::TreeView, "tvwPages", 0, 120, 1200, 3000, 1500, 2),
                control(ControlKind::OptionButton, "optFirst", 0, 3600, 1200, 1500, 300, 3),
                control(ControlKind::OptionButton, "optSecond", 0, 3600, 1560, 1500, 300, 4),
            }};
        return decl;
    }
    std::string formName() const override { return "frmWidgetsTest"; }
    platform::FormControls* controls() override { return &controls_; }
    std::vector<std::string> events;

private:
    void log(const std::string& event) {
        // The tree tells which node: the key the click left in its text.
        events.push_back(event == "tvwPages.NodeClick" ? event + ":" + controls_["tvwPages"].text : event);
    }
    platform::FormControls controls_;
};

TEST_F(FormWindow, SliderDropDownUpDownTreeAndOptionsReachTheFormInTheirOwnTerms) {
    WidgetsForm widgets;
    // What a control tells its parent when the user moves or picks something.
    const auto notify = [](HWND window, UINT message, WPARAM wParam, HWND child) {
        SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(child));
    };
    ScriptedUser user(
        ui, widgets,
        {[&](HWND window) {
             HWND slider = controlOf(window, WidgetsForm::sldLevel);
             SendMessageW(slider, TBM_SETPOS, TRUE, 40);
             notify(window, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 40), slider);
         },
         [&](HWND window) {
             HWND combo = controlOf(window, WidgetsForm::cboFolder);
             EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
             SendMessageW(combo, CB_SETCURSEL, 1, 0);
             notify(window, WM_COMMAND,
                    MAKEWPARAM(kFirstControlId + WidgetsForm::cboFolder, CBN_SELCHANGE), combo);
         },
         [](HWND window) {
             NMUPDOWN change{};
             change.hdr.hwndFrom = controlOf(window, WidgetsForm::updLevel);
             change.hdr.idFrom = kFirstControlId + WidgetsForm::updLevel;
             change.hdr.code = UDN_DELTAPOS;
             change.iDelta = 1;
             SendMessageW(window, WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change));
         },
         [](HWND window) {
             HWND tree = controlOf(window, WidgetsForm::tvwPages);
             HTREEITEM leaf = TreeView_GetChild(tree, TreeView_GetRoot(tree));
             ASSERT_NE(leaf, nullptr);
             TreeView_SelectItem(tree, leaf);
         },
         [](HWND window) { SendMessageW(controlOf(window, WidgetsForm::optSecond), BM_CLICK, 0, 0); },
         [&](HWND window) {
             EXPECT_EQ(SendMessageW(controlOf(window, WidgetsForm::optFirst), BM_GETCHECK, 0, 0), BST_UNCHECKED);
             // The group of options is one stop of the Tab key, on the option chosen.
             const auto tabStop = [&](int index) {
                 return (GetWindowLongW(controlOf(window, index), GWL_STYLE) & WS_TABSTOP) != 0;
             };
             EXPECT_TRUE(tabStop(WidgetsForm::optSecond));
             EXPECT_FALSE(tabStop(WidgetsForm::optFirst));
             ui.hideForm(widgets);
         }});
    ui.showForm(widgets, true);

    EXPECT_FALSE(user.gaveUp);
    auto& controls = *widgets.controls();
    EXPECT_EQ(controls["sldLevel"].number, 40);
    EXPECT_EQ(controls["cboFolder"].listIndex, 1);
    EXPECT_EQ(controls["tvwPages"].text, "leaf");
    EXPECT_TRUE(controls["optSecond"].value);
    EXPECT_FALSE(controls["optFirst"].value);
    EXPECT_EQ(widgets.events,
              (std::vector<std::string>{"sldLevel.Scroll", "sldLevel.Change", "cboFolder.Click", "updLevel.UpClick",
                                        "tvwPages.MouseDown", "tvwPages.NodeClick:leaf", "optSecond.GotFocus",
                                        "optSecond.Click"}));
}

/// The sender entry dialog of the add-in over the real file system and registry.
class FormWindowAddIn : public FormWindow {
protected:
    FormWindowAddIn() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder = win32::toUtf8(temp) + "TarnwickFormWindowTest";
        CreateDirectoryW(win32::toWide(folder).c_str(), nullptr);
        DeleteFileW(win32::toWide(folder + "\\" + senders::kApprovedFile).c_str());
    }
    win32::Win32FileSystem files;
    win32::Win32Shell shell;
    win32::Win32Clock clock;
    win32::Win32Registry registry;
    win32::Win32LibraryLoader loader;
    diag::CErrorHandler log{files, shell, clock};
    settings::Settings settings;
    engineapi::EngineLibrary engine{loader, "no-engine-here.dll"};
    std::string folder;
};

TEST_F(FormWindowAddIn, TheSenderEntryDialogAddsWhatWasTypedOnEnterAndEscapeLeavesTheListAlone) {
    senders::Senders lists(senders::SendersContext{files, clock, log, settings, settings::SettingsKey(registry), folder,
                                                   nullptr, nullptr, engineapi::Bounce(engine, [] { return 0; })});
    senders::frmEnterEmailDomain dialog(lists, ui, log);
    dialog.setKind(0);
    dialog.setMode(senders::entryAdd);
    constexpr int kEntry = 1;  // txtEntry in the dialog's declaration
    {
        ScriptedUser user(ui, dialog, {[](HWND window) { typeInto(window, kEntry, L"  Friend@Example.COM "); },
                                       [](HWND window) { pressKey(window, VK_RETURN); }});
        dialog.show();
        EXPECT_FALSE(user.gaveUp);
        EXPECT_EQ(user.messageBoxes, 0);
    }
    EXPECT_TRUE(lists.isApprovedSender("friend@example.com"));
    EXPECT_FALSE(ui.isFormVisible(dialog));

    {
        ScriptedUser user(ui, dialog, {[](HWND window) { typeInto(window, kEntry, L"stranger@example.com"); },
                                       [](HWND window) { pressKey(window, VK_ESCAPE); }});
        dialog.show();
        EXPECT_FALSE(user.gaveUp);
        EXPECT_EQ(user.stepsTaken(), 2u);
    }
    EXPECT_FALSE(lists.isApprovedSender("stranger@example.com"));
    EXPECT_FALSE(ui.isFormVisible(dialog));
    EXPECT_EQ(FindWindowW(kFormWindowClass, nullptr), nullptr);
}

TEST_F(FormWindowAddIn, AnEntryOpenedForEditingArrivesSelectedSoTypingReplacesIt) {
    senders::Senders lists(senders::SendersContext{files, clock, log, settings, settings::SettingsKey(registry), folder,
                                                   nullptr, nullptr, engineapi::Bounce(engine, [] { return 0; })});
    senders::frmEnterEmailDomain dialog(lists, ui, log);
    dialog.setKind(0);
    dialog.setMode(senders::entryEdit);
    dialog.setEditedEntry("old@example.com");
    constexpr int kEntry = 1;  // txtEntry in the dialog's declaration
    DWORD start = 1, end = 0;
    int length = 0;
    {
        ScriptedUser user(ui, dialog, {[&](HWND window) {
                                           HWND box = controlOf(window, kEntry);
                                           length = GetWindowTextLengthW(box);
                                           SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                                        reinterpret_cast<LPARAM>(&end));
                                       },
                                       [](HWND window) { pressKey(window, VK_ESCAPE); }});
        dialog.show();
        EXPECT_FALSE(user.gaveUp);
    }
    ASSERT_GT(length, 0) << "the edited entry is in the box";
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(length));
}

}  // namespace
}  // namespace tw::test
