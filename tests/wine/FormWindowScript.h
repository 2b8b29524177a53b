// What the form window tests share: whether windows can be made at all, and a scripted user who
// acts on a form's window while a modal show pumps messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win32/Win32UserInterface.h"
#include "win32/forms/Win32FormWindow.h"

namespace tw::test {

/// Wine draws windows only with a display driver; run.sh runs these tests a second time with
/// Wine's null driver, which has one. Without it no top-level window can be made at all.
inline bool canCreateWindows() {
    static const bool can = [] {
        HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        if (probe == nullptr) return false;
        DestroyWindow(probe);
        return true;
    }();
    return can;
}

inline std::wstring textOf(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

/// Acts as the user while a modal show pumps messages: one step per tick of a timer set before
/// the show, each given the form's window. A form still open long after the last step is hidden,
/// and a message box the add-in shows is closed and counted, so a fault cannot hang the run.
class ScriptedUser {
public:
    using Step = std::function<void(HWND form)>;
    ScriptedUser(win32::Win32UserInterface& ui, platform::FormView& form, std::vector<Step> steps)
        : ui_(ui), form_(form), steps_(std::move(steps)) {
        timer_ = ui_.setTimer(30, [this] { tick(); });
    }
    ~ScriptedUser() { ui_.killTimer(timer_); }
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;

    size_t stepsTaken() const { return next_; }
    bool gaveUp = false;
    int messageBoxes = 0;
    /// For each message box met: its owner, and whether that owner took input while the box was up.
    std::vector<HWND> boxOwners;
    std::vector<bool> ownersEnabled;

private:
    static constexpr int kGiveUpTicks = 200;

    void tick() {
        if (HWND box = FindWindowW(L"#32770", nullptr)) {
            ++messageBoxes;
            HWND owner = GetWindow(box, GW_OWNER);
            boxOwners.push_back(owner);
            ownersEnabled.push_back(owner != nullptr && IsWindowEnabled(owner));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        HWND form = FindWindowW(win32::forms::kFormWindowClass, nullptr);
        if (form != nullptr && next_ < steps_.size()) {
            steps_[next_++](form);
            return;
        }
        if (++idleTicks_ > kGiveUpTicks && ui_.isFormVisible(form_)) {
            gaveUp = true;
            ui_.hideForm(form_);
        }
    }

    win32::Win32UserInterface& ui_;
    platform::FormView& form_;
    std::vector<Step> steps_;
    platform::TimerId timer_ = 0;
    size_t next_ = 0;
    int idleTicks_ = 0;
};

inline HWND controlOf(HWND form, int index) { return GetDlgItem(form, win32::forms::kFirstControlId + index); }

inline void typeInto(HWND form, int index, const wchar_t* text) { SetWindowTextW(controlOf(form, index), text); }

inline void pressKey(HWND form, WPARAM key) {
    HWND focus = GetFocus();
    PostMessageW(focus != nullptr ? focus : form, WM_KEYDOWN, key, 0);
}

}  // namespace tw::test
