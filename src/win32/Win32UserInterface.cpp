// User-interface port over message boxes, window timers and the thread's message queue.
#include "win32/Win32UserInterface.h"

#include <windows.h>

#include "core/Error.h"
#include "win32/TextEncoding.h"
#include "win32/ThisModule.h"
#include "win32/Win32Error.h"
#include "win32/forms/FormWindows.h"

namespace tw::win32 {
namespace {

constexpr const char* kSource = "Win32UserInterface";
constexpr const wchar_t* kTimerWindowClass = L"TarnwickTimerWindow";

LRESULT CALLBACK timerWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    } else if (message == WM_TIMER) {
        auto* owner = reinterpret_cast<Win32UserInterface*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (owner != nullptr) owner->onTimer(static_cast<platform::TimerId>(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

/// Pixels of the screen's metric in twips (1440 per inch) at the screen's dots per inch along that axis.
int screenTwips(int metric, int dotsPerInchIndex) {
    constexpr int kTwipsPerInch = 1440;
    constexpr int kUsualDotsPerInch = 96;
    int dotsPerInch = kUsualDotsPerInch;
    if (HDC screen = GetDC(nullptr)) {
        const int measured = GetDeviceCaps(screen, dotsPerInchIndex);
        if (measured > 0) dotsPerInch = measured;
        ReleaseDC(nullptr, screen);
    }
    return MulDiv(GetSystemMetrics(metric), kTwipsPerInch, dotsPerInch);
}

HWND createTimerWindow(Win32UserInterface* owner) {
    const HINSTANCE instance = moduleOfThisCode();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = timerWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTimerWindowClass;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        raiseLastError(kSource, "Cannot register the timer window");
    }
    const HWND window = CreateWindowExW(0, kTimerWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, owner);
    if (window == nullptr) raiseLastError(kSource, "Cannot create the timer window");
    return window;
}

}  // namespace

Win32UserInterface::Win32UserInterface()
    : timerWindow_(createTimerWindow(this)), formWindows_(std::make_unique<forms::FormWindows>(*this)) {}

Win32UserInterface::~Win32UserInterface() {
    formWindows_.reset();
    const auto window = static_cast<HWND>(timerWindow_);
    for (const auto& [id, callback] : timers_) KillTimer(window, static_cast<UINT_PTR>(id));
    DestroyWindow(window);
    // Fails harmlessly while another instance still has a window of this class.
    UnregisterClassW(kTimerWindowClass, moduleOfThisCode());
}

int Win32UserInterface::MsgBox(const std::string& prompt, int style, const std::string& title) {
    // Owned by the window in front (a dialog of ours, or the mail client's), which it blocks until
    // answered, as a dialog's message box does; without an owner the dialog beneath stays usable.
    const HWND owner = GetActiveWindow();
    const int result = MessageBoxW(owner, toWide(prompt).c_str(), toWide(title).c_str(), static_cast<UINT>(style));
    if (result == 0) raiseLastError(kSource, "Cannot show a message box");
    return result;
}

void Win32UserInterface::showForm(platform::FormView& form, bool modal) {
    visibleForms_.insert(&form);
    try {
        formWindows_->open(form, modal);
    } catch (...) {
        visibleForms_.erase(&form);
        throw;
    }
    if (!modal) return;
    MSG message{};
    while (isFormVisible(form)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) raiseLastError(kSource, "Cannot read the message queue");
        if (got == 0) {
            // Leave the quit request for the thread's own message loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            hideForm(form);
            return;
        }
        if (formWindows_->translate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32UserInterface::hideForm(platform::FormView& form) {
    visibleForms_.erase(&form);
    formWindows_->close(form);
}

bool Win32UserInterface::isFormVisible(const platform::FormView& form) const { return visibleForms_.count(&form) != 0; }

platform::TimerId Win32UserInterface::setTimer(int intervalMs, std::function<void()> onTick) {
    const platform::TimerId id = nextTimerId_++;
    const UINT interval = intervalMs > 0 ? static_cast<UINT>(intervalMs) : USER_TIMER_MINIMUM;
    if (SetTimer(static_cast<HWND>(timerWindow_), static_cast<UINT_PTR>(id), interval, nullptr) == 0) {
        raiseLastError(kSource, "Cannot start a timer");
    }
    timers_[id] = std::move(onTick);
    return id;
}

void Win32UserInterface::killTimer(platform::TimerId id) {
    if (timers_.erase(id) != 0) KillTimer(static_cast<HWND>(timerWindow_), static_cast<UINT_PTR>(id));
}

void Win32UserInterface::onTimer(platform::TimerId id) {
    const auto found = timers_.find(id);
    if (found == timers_.end()) return;
    // A copy, because the callback may kill its own timer.
    const std::function<void()> callback = found->second;
    // Nothing may unwind through the window procedure into the system's code.
    try {
        callback();
        // A tick may have changed what a shown form displays.
        formWindows_->pushAll();
    } catch (const std::exception& error) {
        OutputDebugStringA((std::string("Tarnwick timer callback failed: ") + error.what() + "\n").c_str());
    } catch (...) {
        OutputDebugStringA("Tarnwick timer callback failed\n");
    }
}

void Win32UserInterface::doEvents() {
    // What the add-in changed in a shown form since it last yielded is drawn first.
    formWindows_->pushAll();
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (formWindows_->translate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int Win32UserInterface::screenWidth() const { return screenTwips(SM_CXSCREEN, LOGPIXELSX); }

int Win32UserInterface::screenHeight() const { return screenTwips(SM_CYSCREEN, LOGPIXELSY); }

int Win32UserInterface::textWidth(const std::string& text) const {
    constexpr int kTwipsPerInch = 1440;
    if (text.empty()) return 0;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) raiseLastError(kSource, "Cannot reach the screen to measure text");
    const HGDIOBJ previous = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    const std::wstring wide = toWide(text);
    SIZE extent{};
    const BOOL measured = GetTextExtentPoint32W(screen, wide.c_str(), static_cast<int>(wide.size()), &extent);
    const int dotsPerInch = GetDeviceCaps(screen, LOGPIXELSX);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    if (!measured) raiseLastError(kSource, "Cannot measure the text");
    return MulDiv(extent.cx, kTwipsPerInch, dotsPerInch > 0 ? dotsPerInch : 96);
}

}  // namespace tw::win32
