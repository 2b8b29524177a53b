// User-interface port: message boxes, forms, timers and letting pending events run.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/FormControls.h"

namespace tw::platform {

/// Message-box buttons and results use the platform's numbers.
enum MsgBoxStyle : int {
    vbOKOnly = 0, vbOKCancel = 1, vbAbortRetryIgnore = 2, vbYesNoCancel = 3, vbYesNo = 4, vbRetryCancel = 5,
    vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64,
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

/// A window of the add-in as the platform sees it. Form classes own their state and handlers;
/// the platform only shows, hides and draws them.
class FormView {
public:
    virtual ~FormView() = default;
    /// The form's name ("frmViewLog").
    virtual std::string formName() const = 0;
    /// The controls a view draws and drives, for forms that declare theirs; nothing otherwise.
    virtual FormControls* controls() { return nullptr; }
};

using TimerId = int;

/// The error of a modal show that would have no window.
inline constexpr long kNoWindowToWaitOn = 400;

/// Raises that error for the form.
[[noreturn]] void refuseModalWithoutWindow(const FormView& form, const std::string& source);

/// Thread rule: the user-interface thread only; timer callbacks run on it too.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    virtual int MsgBox(const std::string& prompt, int style, const std::string& title) = 0;

    /// Shows a form; a modal show returns when the form is hidden again. A modal show of a form
    /// that declares no controls raises Error (number kNoWindowToWaitOn) at once: nobody could see
    /// it, let alone close it, and the wait would never end.
    virtual void showForm(FormView& form, bool modal) = 0;
    virtual void hideForm(FormView& form) = 0;
    virtual bool isFormVisible(const FormView& form) const = 0;

    /// A repeating window timer; the callback runs on each tick until the timer is killed.
    virtual TimerId setTimer(int intervalMs, std::function<void()> onTick) = 0;
    virtual void killTimer(TimerId id) = 0;

    /// Lets pending window messages and due events run ("yield").
    virtual void doEvents() = 0;

    /// The screen's size in twips, the unit of form geometry, for forms that place themselves.
    /// Without a screen of its own a platform answers 1024 by 768 pixels at 96 dots per inch.
    virtual int screenWidth() const { return 15360; }
    virtual int screenHeight() const { return 11520; }

    /// The width in twips of a line of text in the default dialog font, as a list box needs for
    /// its horizontal scrolling. Without a screen of its own a platform measures 7 pixels at 96
    /// dots per inch (105 twips) for every character.
    virtual int textWidth(const std::string& text) const;
    /// The widest of the texts by textWidth, as a list's horizontal extent; 0 for none.
    int widestText(const std::vector<std::string>& texts) const;
};

}  // namespace tw::platform
