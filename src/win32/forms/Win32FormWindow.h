// A form's real window: a dialog-style top-level window with one child window per declared
// control; the user's doings go into the form's controls and raise its handlers, and the controls'
// state is drawn back after each handler.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/UserInterface.h"
#include "win32/forms/ControlSync.h"

namespace tw::win32::forms {

/// Each child window's control ID: this plus the control's index in the form's declaration.
inline constexpr int kFirstControlId = 1000;
/// The window class of every form window.
inline constexpr const wchar_t* kFormWindowClass = L"TarnwickFormWindow";

/// Owned through shared_ptr: a handler may hide the form, destroying the window while its own
/// message is being handled, so the window procedure holds the object until it returns.
class Win32FormWindow : public std::enable_shared_from_this<Win32FormWindow> {
public:
    /// `ui` is asked to hide the form when the user closes the window and the form's cancel
    /// button did not.
    Win32FormWindow(platform::FormView& form, platform::FormControls& controls, platform::UserInterface& ui);
    ~Win32FormWindow();
    Win32FormWindow(const Win32FormWindow&) = delete;
    Win32FormWindow& operator=(const Win32FormWindow&) = delete;

    /// Creates, draws and shows the window, owned by `owner` (may be null); a modal show disables
    /// the owner until the window is closed. Raises Error when the window cannot be made.
    void open(HWND owner, bool modal);
    /// Destroys the window, first giving the owner it disabled back its input.
    void close();
    /// Brings an open window to the front again.
    void raise();

    HWND window() const { return window_; }
    const platform::FormView& form() const { return form_; }

    /// Draws the controls' state (captions, texts, ticks, lists, nodes, visibility ...) into the
    /// child windows, touching only what differs; a focused control it hides hands the focus on.
    void pushState();
    /// Tab, Enter and Escape for a message meant for this window or one of its children.
    bool translate(MSG& message);

    /// The window procedure's work for this window.
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void createChildren();
    /// The pictures and fonts the declaration asks for, made for this window.
    void dressChildren();
    void releaseDressing();
    void resizeToForm();
    /// The window's place on the screen goes back into the form, after the user moved it.
    void onMoved();
    void onActivate(bool active);
    void onCommand(int id, int code);
    /// A control's notification: true when it was the user's doing and went to the form.
    bool reactTo(size_t index, int code);
    bool onNotify(const NMHDR& header, LRESULT& result);
    void onSliderMoved(size_t index);
    void onTreeClick(size_t index, bool onCheckBox, HTREEITEM item);
    /// A tick list's entry ticked, cleared, selected or no longer selected.
    void onCheckListChange(size_t index, const NMLISTVIEW& change);
    /// The declaration indices of the option buttons of the group an option belongs to, in order;
    /// empty for a control that is no option.
    std::vector<size_t> optionGroupOf(size_t index) const;
    void syncOptionTabStops();
    void keepFocusOnAShownControl();
    void onUserClose();
    void onListSelection(size_t index);
    int defaultButtonId() const;
    platform::ControlState& stateAt(size_t index);

    platform::FormView& form_;
    platform::FormControls& controls_;
    platform::UserInterface& ui_;
    HWND window_ = nullptr;
    HWND disabledOwner_ = nullptr;
    int dpiX_ = 96, dpiY_ = 96;
    /// Set while the state is drawn: the notifications that drawing causes are not the user's.
    bool pushing_ = false;
    /// Set once the window is shown: moves from then on are the user's.
    bool tracking_ = false;
    /// The control that had the focus when the window was last left, to get it back on return.
    HWND lastFocus_ = nullptr;
    HFONT titleFont_ = nullptr;
    std::vector<HBITMAP> pictures_;
    /// Declaration indices in the order the children were made, which is the focus order.
    std::vector<size_t> order_;
    /// By declaration index.
    std::vector<HWND> children_;
    std::vector<ShownContents> shown_;
    /// Whether each button is drawn as the default one.
    std::vector<bool> shownDefault_;
};

}  // namespace tw::win32::forms
