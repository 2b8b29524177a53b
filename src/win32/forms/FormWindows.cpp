// The real windows of the shown forms that declare their controls, by form.
#include "win32/forms/FormWindows.h"

#include <vector>

#include "win32/forms/Win32FormWindow.h"

namespace tw::win32::forms {

FormWindows::FormWindows(platform::UserInterface& ui) : ui_(ui) {}

FormWindows::~FormWindows() {
    // Closed one by one from a copy: closing may run the system's messages back into this object.
    auto open = std::move(windows_);
    windows_.clear();
    for (auto& [form, window] : open) window->close();
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
    if (controls == nullptr) return;
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
        throw;
    }
}

void FormWindows::close(const platform::FormView& form) {
    auto found = windows_.find(&form);
    if (found == windows_.end()) return;
    // Kept until closed: the window procedure of this very window may be what asked.
    const std::shared_ptr<Win32FormWindow> window = found->second;
    windows_.erase(found);
    window->close();
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
