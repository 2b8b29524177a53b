// The real windows of the shown forms that declare their controls, by form.
#include "win32/forms/FormWindows.h"

#include <algorithm>
#include <vector>

#include "win32/forms/Win32FormWindow.h"

namespace tw::win32::forms {

namespace {

constexpr const char* kSource = "FormWindows";

/// The objects with open windows on this thread (the user-interface thread) and the one hook
/// that hands them the keys.
std::vector<FormWindows*> keyTakers;
HHOOK keyHook = nullptr;

bool isKeyMessage(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

LRESULT CALLBACK takeKeys(int code, WPARAM removed, LPARAM lParam) {
    if (code == HC_ACTION && removed == PM_REMOVE) {
        auto& message = *reinterpret_cast<MSG*>(lParam);
        // Nothing may unwind into the mail client's message loop.
        try {
            for (FormWindows* windows : std::vector<FormWindows*>(keyTakers)) {
                // A handler run for an earlier one may have closed the add-in's windows for good.
                if (std::find(keyTakers.begin(), keyTakers.end(), windows) == keyTakers.end()) continue;
                if (!isKeyMessage(message.message) || !windows->translate(message)) continue;
                // Handled as a dialog key: the loop that took it gets nothing to do.
                message.message = WM_NULL;
                message.wParam = 0;
                message.lParam = 0;
                break;
            }
        } catch (...) {
        }
    }
    return CallNextHookEx(keyHook, code, removed, lParam);
}

}  // namespace

FormWindows::FormWindows(platform::UserInterface& ui) : ui_(ui) {}

FormWindows::~FormWindows() {
    // Closed one by one from a copy: closing may run the system's messages back into this object.
    auto open = std::move(windows_);
    windows_.clear();
    for (auto& [form, window] : open) window->close();
    watchKeys();
}

void FormWindows::watchKeys() {
    const auto found = std::find(keyTakers.begin(), keyTakers.end(), this);
    const bool wanted = !windows_.empty();
    if (wanted == (found != keyTakers.end())) return;
    if (wanted) keyTakers.push_back(this);
    else keyTakers.erase(found);
    if (!keyTakers.empty() && keyHook == nullptr) {
        keyHook = SetWindowsHookExW(WH_GETMESSAGE, takeKeys, nullptr, GetCurrentThreadId());
        if (keyHook == nullptr) OutputDebugStringA("Tarnwick form windows: cannot watch the keys\n");
    } else if (keyTakers.empty() && keyHook != nullptr) {
        UnhookWindowsHookEx(keyHook);
        keyHook = nullptr;
    }
}

bool FormWindows::isFormWindow(HWND window) const {
    for (const auto& [form, formWindow] : windows_)
        if (formWindow->window() == window) return true;
    return false;
}

HWND FormWindows::ownerFor(bool modal) const {
    HWND owner = GetActiveWindow();
    // A window that blocks belongs to whatever is active, a dialog of ours included, since it closes
    // first. One that does not must outlive a dialog of ours closing, so it belongs to the window
    // below our dialogs: the mail client's.
    if (!modal)
        while (owner != nullptr && isFormWindow(owner)) owner = GetWindow(owner, GW_OWNER);
    return owner;
}

void FormWindows::open(platform::FormView& form, bool modal) {
    platform::FormControls* controls = form.controls();
    if (controls == nullptr) {
        if (modal) platform::refuseModalWithoutWindow(form, kSource);
        return;
    }
    auto found = windows_.find(&form);
    if (found != windows_.end() && found->second->window() != nullptr) {
        found->second->raise();
        return;
    }
    auto window = std::make_shared<Win32FormWindow>(form, *controls, ui_);
    windows_[&form] = window;
    try {
        window->open(ownerFor(modal), modal);
    } catch (...) {
        windows_.erase(&form);
        watchKeys();
        throw;
    }
    watchKeys();
}

void FormWindows::close(const platform::FormView& form) {
    auto found = windows_.find(&form);
    if (found == windows_.end()) return;
    // Kept until closed: the window procedure of this very window may be what asked.
    const std::shared_ptr<Win32FormWindow> window = found->second;
    windows_.erase(found);
    window->close();
    watchKeys();
}

HWND FormWindows::windowOf(const platform::FormView& form) const {
    auto found = windows_.find(&form);
    return found == windows_.end() ? nullptr : found->second->window();
}

bool FormWindows::translate(MSG& message) {
    if (windows_.empty() || message.hwnd == nullptr) return false;
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    for (const auto& [form, window] : windows_) {
        if (window->window() != root) continue;
        const std::shared_ptr<Win32FormWindow> keep = window;
        return keep->translate(message);
    }
    return false;
}

void FormWindows::pushAll() {
    std::vector<std::shared_ptr<Win32FormWindow>> open;
    for (const auto& [form, window] : windows_) open.push_back(window);
    for (const auto& window : open) window->pushState();
}

}  // namespace tw::win32::forms
