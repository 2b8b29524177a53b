// The real windows of the shown forms that declare their controls, by form.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "platform/UserInterface.h"

namespace tw::win32::forms {

class Win32FormWindow;

class FormWindows {
public:
    /// `ui` is the user interface that shows and hides the forms (it hides one the user closes).
    explicit FormWindows(platform::UserInterface& ui);
    ~FormWindows();
    FormWindows(const FormWindows&) = delete;
    FormWindows& operator=(const FormWindows&) = delete;

    /// Opens the window of a form that declares its controls, owned by the thread's active window;
    /// a modal show disables that owner while the window is open. Nothing for a form without
    /// declared controls shown without blocking; a modal show of one raises Error, since nobody
    /// could end it. Raises Error when the window cannot be made.
    void open(platform::FormView& form, bool modal);
    /// Destroys the form's window, if it has one.
    void close(const platform::FormView& form);
    /// The form's window; null when it has none.
    HWND windowOf(const platform::FormView& form) const;
    /// Tab, Enter and Escape for a message meant for one of the windows; true when handled.
    /// While a window is open this also runs for the keys the mail client's own message loop
    /// takes, through a hook on the thread's messages, so a window that does not block answers its
    /// keys between the add-in's passes too.
    bool translate(MSG& message);
    /// Draws every open window's controls again, after the add-in changed them outside a handler
    /// (a timer, a long pass that yields).
    void pushAll();

private:
    HWND ownerFor(bool modal) const;
    /// The hook is set while this object has a window open, and taken away with the last one.
    void watchKeys();
    bool isFormWindow(HWND window) const;

    platform::UserInterface& ui_;
    std::map<const platform::FormView*, std::shared_ptr<Win32FormWindow>> windows_;
};

}  // namespace tw::win32::forms
