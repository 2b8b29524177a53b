// User-interface port over message boxes, window timers and the thread's message queue.
#pragma once

#include <map>
#include <memory>
#include <set>

#include "platform/UserInterface.h"

namespace tw::win32 {

namespace forms {
class FormWindows;
}

/// A form that declares its controls is shown as a real window built from that declaration; the
/// others are kept as a visibility set only.
/// Timers tick on a hidden message-only window owned by this object, so they run on the
/// thread that created it, which must be the user-interface thread.
class Win32UserInterface final : public platform::UserInterface {
public:
    Win32UserInterface();
    ~Win32UserInterface() override;
    Win32UserInterface(const Win32UserInterface&) = delete;
    Win32UserInterface& operator=(const Win32UserInterface&) = delete;

    /// Owned by the thread's active window, which it disables while it is open.
    int MsgBox(const std::string& prompt, int style, const std::string& title) override;

    /// A modal show pumps messages until the form is hidden (by a handler or a timer) or the
    /// thread is asked to quit. Hiding a form destroys its window.
    void showForm(platform::FormView& form, bool modal) override;
    void hideForm(platform::FormView& form) override;
    bool isFormVisible(const platform::FormView& form) const override;

    platform::TimerId setTimer(int intervalMs, std::function<void()> onTick) override;
    void killTimer(platform::TimerId id) override;

    void doEvents() override;

    /// The primary screen in twips, at the screen's own dots per inch.
    int screenWidth() const override;
    int screenHeight() const override;
    /// Measured in the default GUI font on the screen, at the screen's dots per inch.
    int textWidth(const std::string& text) const override;

    /// Runs the callback of a timer; called by the hidden window's procedure.
    void onTimer(platform::TimerId id);

private:
    void* timerWindow_ = nullptr;  // HWND, kept opaque so this header needs no Windows header
    platform::TimerId nextTimerId_ = 1;
    std::map<platform::TimerId, std::function<void()>> timers_;
    std::set<const platform::FormView*> visibleForms_;
    std::unique_ptr<forms::FormWindows> formWindows_;
};

}  // namespace tw::win32
