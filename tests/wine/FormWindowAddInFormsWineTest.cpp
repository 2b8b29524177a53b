// The add-in's own windows as a Windows user meets them: every modal one appears while the add-in
// waits on it, message boxes belong to the dialog in front, windows that do not block leave the
// keys where they were yet answer their own between the add-in's passes, open where they were left,
// and show their pictures, headings and progress bars.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "classify/frmWhy.h"
#include "commandbars/frmAboutOrvenna.h"
#include "core/Error.h"
#include "diag/CErrorHandler.h"
#include "diag/frmStats.h"
#include "diag/frmViewLog.h"
#include "net/frmConnect.h"
#include "net/frmNewRelease.h"
#include "scan/frmScanning.h"
#include "settings/RegistryAccess.h"
#include "settings/Settings.h"
#include "win32/Win32Platform.h"
#include "win32/forms/Win32FormWindow.h"
#include "wine/FormWindowScript.h"

namespace tw::test {
namespace {

using platform::ControlKind;
using platform::control;
using win32::forms::kFormWindowClass;

/// One button that closes the window; where the window stands is the test's business.
class PlacedForm : public platform::FormView {
public:
    explicit PlacedForm(platform::UserInterface& ui) : ui_(ui), controls_(declaration()) {
        controls_.caption = "Placed";
        controls_["cmdCancel"].caption = "Cancel";
        controls_.onClick("cmdCancel", [this] {
            ++cancelClicks;
            ui_.hideForm(*this);
        });
    }
    static const platform::FormDecl& declaration() {
        static const platform::FormDecl decl{
            "frmPlacedTest", 0, 3600, 1200,
            {control(ControlKind::CommandButton, "cmdCancel", 0, 1200, 480, 1215, 375, 0, true, true)}};
        return decl;
    }
    std::string formName() const override { return "frmPlacedTest"; }
    platform::FormControls* controls() override { return &controls_; }
    int cancelClicks = 0;

private:
    platform::UserInterface& ui_;
    platform::FormControls controls_;
};

int dotsPerInch(int index) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, index);
    ReleaseDC(nullptr, screen);
    return dpi;
}

/// Runs the thread's messages the way the mail client's own loop does: no dialog keys of ours.
void runClientLoop() {
    MSG message{};
    for (int round = 0; round < 50 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++round) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class FormWindowAddInForms : public ::testing::Test {
protected:
    void SetUp() override {
        if (!canCreateWindows()) GTEST_SKIP() << "no display driver: run.sh runs these under Wine's null driver";
    }
    win32::Win32Platform p;
    win32::Win32UserInterface& ui = p.ui;
    diag::CErrorHandler log{p.files, p.shell, p.clock};
    settings::Settings settings;
    net::NetContext net{p.ports, settings, settings::SettingsKey(p.registry), log};
};

TEST_F(FormWindowAddInForms, AModalShowOfAFormWithoutAWindowIsRefusedAtOnce) {
    struct Bare : platform::FormView {
        std::string formName() const override { return "frmBare"; }
    } bare;
    try {
        ui.showForm(bare, true);
        ADD_FAILURE() << "the modal show returned without a window to wait on";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), platform::kNoWindowToWaitOn);
    }
    EXPECT_FALSE(ui.isFormVisible(bare));
}

TEST_F(FormWindowAddInForms, EveryModallyShownFormHasAVisibleWindowWhileItWaits) {
    net::frmConnect connect(net);
    connect.Form_Load("Cannot connect to Tarnwick Network.  Will retry later.");
    net::frmNewRelease release(net, "4.0.1", "http://service.tarnwick.example/tarnwick/download.html");
    release.Form_Load();
    diag::frmStats stats(ui, settings, p.clock, [](int, int) {}, log);
    stats.Form_Load();
    diag::frmViewLog viewer(p.files, p.shell, ui, log);
    viewer.Form_Load();
    commandbars::frmAboutOrvenna about(p.ports, log);
    classify::frmWhy why(ui, log);
    classify::Judgement judgement;
    judgement.by = classify::Judgement::By::score;
    judgement.sender = "sales@watch-outlet.example";
    judgement.score = 97;
    judgement.threshold = 90;
    why.fill("Replica watches", judgement);

    struct Case {
        platform::FormView& form;
        std::function<void()> show;
        std::wstring title;
    };
    const auto modal = [this](platform::FormView& form) { return [this, &form] { ui.showForm(form, true); }; };
    std::vector<Case> cases{
        {connect, modal(connect), L"Tarnwick Network"},
        {release, modal(release), L"New Tarnwick Release"},
        {stats, modal(stats), L"Tarnwick Statistics"},
        {viewer, modal(viewer), L"Tarnwick Log Report"},
        {about, [&about] { about.show(); }, L"About Tarnwick"},
        {why, [&why] { why.showModal(); }, L"Why was this message judged so?"},
    };
    for (auto& c : cases) {
        bool visible = false;
        std::wstring title;
        ScriptedUser user(ui, c.form, {[&](HWND window) {
                                           visible = IsWindowVisible(window) != FALSE;
                                           title = textOf(window);
                                           pressKey(window, VK_ESCAPE);
                                       }});
        c.show();
        EXPECT_TRUE(visible) << c.form.formName();
        EXPECT_EQ(title, c.title) << c.form.formName();
        EXPECT_FALSE(user.gaveUp) << c.form.formName() << ": Escape did not end the modal show";
        EXPECT_FALSE(ui.isFormVisible(c.form)) << c.form.formName();
    }
    EXPECT_EQ(FindWindowW(kFormWindowClass, nullptr), nullptr);
}

TEST_F(FormWindowAddInForms, AMessageBoxBelongsToTheDialogInFrontAndBlocksIt) {
    PlacedForm form(ui);
    HWND dialog = nullptr;
    ScriptedUser user(ui, form, {[&](HWND window) {
                                     dialog = window;
                                     ui.MsgBox("Please enter an address or domain.", platform::vbOKOnly, "Tarnwick");
                                 },
                                 [](HWND window) { pressKey(window, VK_ESCAPE); }});
    ui.showForm(form, true);
    EXPECT_FALSE(user.gaveUp);
    ASSERT_EQ(user.boxOwners.size(), 1u);
    EXPECT_EQ(user.boxOwners[0], dialog) << "owned by the dialog it speaks for";
    EXPECT_FALSE(user.ownersEnabled[0]) << "the dialog beneath takes no clicks while the box is up";
    EXPECT_EQ(form.cancelClicks, 1);
}

TEST_F(FormWindowAddInForms, AWindowThatDoesNotBlockLeavesTheKeysWithTheWindowInFront) {
    HWND front = CreateWindowExW(0, L"EDIT", L"a message being typed", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(front, nullptr);
    SetForegroundWindow(front);
    SetActiveWindow(front);
    SetFocus(front);
    ASSERT_EQ(GetFocus(), front);

    PlacedForm form(ui);
    ui.showForm(form, false);
    HWND window = FindWindowW(kFormWindowClass, L"Placed");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetActiveWindow(), front);
    EXPECT_EQ(GetFocus(), front) << "the status window took the keys: a Space would press its button";

    // The typing goes on where it was; the window's Cancel is not pressed by it.
    PostMessageW(front, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(front, WM_KEYDOWN, VK_SPACE, 0);
    ui.doEvents();
    EXPECT_EQ(form.cancelClicks, 0);
    EXPECT_TRUE(ui.isFormVisible(form));

    // Clicked by the user, it takes the keys, on its first control.
    SetForegroundWindow(window);
    SetActiveWindow(window);
    EXPECT_EQ(GetFocus(), controlOf(window, 0));
    ui.hideForm(form);
    DestroyWindow(front);
}

TEST_F(FormWindowAddInForms, AWindowThatDoesNotBlockAnswersItsKeysInTheMailClientsOwnLoop) {
    PlacedForm form(ui);
    ui.showForm(form, false);
    HWND window = FindWindowW(kFormWindowClass, L"Placed");
    ASSERT_NE(window, nullptr);
    // The add-in has returned to the mail client, whose loop knows nothing of dialog keys.
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    runClientLoop();
    EXPECT_EQ(form.cancelClicks, 1) << "Escape went nowhere while the add-in did not yield";
    EXPECT_FALSE(ui.isFormVisible(form));
}

TEST_F(FormWindowAddInForms, AWindowOpensWhereTheFormStandsAndTheUserMovingItMovesTheForm) {
    PlacedForm form(ui);
    auto& controls = *form.controls();
    controls.left = 1500;
    controls.top = 900;
    ui.showForm(form, false);
    HWND window = FindWindowW(kFormWindowClass, L"Placed");
    ASSERT_NE(window, nullptr);
    const int dpiX = dotsPerInch(LOGPIXELSX), dpiY = dotsPerInch(LOGPIXELSY);
    RECT frame{};
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.left, MulDiv(1500, dpiX, 1440));
    EXPECT_EQ(frame.top, MulDiv(900, dpiY, 1440));

    // Dragged by the user (what the system does at the end of a drag).
    SetWindowPos(window, nullptr, 320, 240, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(controls.left, MulDiv(320, 1440, dpiX));
    EXPECT_EQ(controls.top, MulDiv(240, 1440, dpiY));

    // Shown again, it comes back where it was left.
    ui.hideForm(form);
    ui.showForm(form, false);
    window = FindWindowW(kFormWindowClass, L"Placed");
    ASSERT_NE(window, nullptr);
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.left, 320);
    EXPECT_EQ(frame.top, 240);
    ui.hideForm(form);
}

TEST_F(FormWindowAddInForms, TheAboutWindowShowsItsLogoAndItsTitleInALargerBoldFont) {
    commandbars::frmAboutOrvenna about(p.ports, log);
    BITMAP logo{};
    LOGFONTW title{}, body{};
    COLORREF middle = 0;
    ScriptedUser user(ui, about, {[&](HWND window) {
                                      // The declaration's order: imgLogo, lblTitle, lblVersion ...
                                      auto* picture = reinterpret_cast<HBITMAP>(
                                          SendMessageW(controlOf(window, 0), STM_GETIMAGE, IMAGE_BITMAP, 0));
                                      if (picture != nullptr) {
                                          GetObjectW(picture, sizeof logo, &logo);
                                          HDC memory = CreateCompatibleDC(nullptr);
                                          HGDIOBJ previous = SelectObject(memory, picture);
                                          middle = GetPixel(memory, 48, 20);
                                          SelectObject(memory, previous);
                                          DeleteDC(memory);
                                      }
                                      const auto fontOf = [&](int index, LOGFONTW& font) {
                                          auto* handle = reinterpret_cast<HFONT>(
                                              SendMessageW(controlOf(window, index), WM_GETFONT, 0, 0));
                                          GetObjectW(handle, sizeof font, &font);
                                      };
                                      fontOf(1, title);
                                      fontOf(2, body);
                                      pressKey(window, VK_ESCAPE);
                                  }});
    about.show();
    EXPECT_FALSE(user.gaveUp);
    EXPECT_EQ(logo.bmWidth, 96) << "the logo bitmap comes from the module's resources";
    EXPECT_EQ(logo.bmHeight, 96);
    EXPECT_NE(middle, RGB(0, 0, 0)) << "a logo, not a black square";
    EXPECT_GE(title.lfWeight, FW_BOLD);
    EXPECT_GT(std::abs(title.lfHeight), std::abs(body.lfHeight));
}

TEST_F(FormWindowAddInForms, TheScanProgressIsARealProgressBar) {
    scan::frmScanning progress;
    progress.setTotal(10);
    progress.setProcessed(4);
    ui.showForm(progress, false);
    HWND window = FindWindowW(kFormWindowClass, nullptr);
    ASSERT_NE(window, nullptr);
    HWND bar = controlOf(window, 2);  // Label1, StatusLabel, prgScan
    wchar_t className[64] = {};
    GetClassNameW(bar, className, 64);
    EXPECT_STREQ(className, L"msctls_progress32");
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 40);
    progress.setProcessed(10);
    ui.doEvents();
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(textOf(controlOf(window, 1)), L"Processed: 10");
    ui.hideForm(progress);
}

}  // namespace
}  // namespace tw::test
