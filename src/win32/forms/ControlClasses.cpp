// The window class and styles each kind of declared control is drawn with on Windows.
#include "win32/forms/ControlClasses.h"

#include <commctrl.h>

namespace tw::win32::forms {

using platform::ControlKind;

ControlClass controlClassFor(const platform::ControlDecl& decl) {
    const DWORD focusable = decl.tabIndex >= 0 ? WS_TABSTOP : 0;
    switch (decl.kind) {
        case ControlKind::Label:
            // "&" in a path or an address is a character, not a mnemonic.
            if (decl.look == platform::ControlLook::pathEllipsis)
                return {L"STATIC", SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS | SS_NOPREFIX | SS_NOTIFY, 0};
            return {L"STATIC", SS_LEFT | SS_NOTIFY, 0};
        case ControlKind::TextBox:
            if (decl.look == platform::ControlLook::readOnlyLines)
                return {L"EDIT", focusable | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_HSCROLL,
                        WS_EX_CLIENTEDGE};
            if (decl.look == platform::ControlLook::wrappedLines)
                return {L"EDIT", focusable | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE};
            return {L"EDIT", focusable | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::CommandButton:
            return {L"BUTTON", focusable | (decl.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0};
        case ControlKind::CheckBox:
            return {L"BUTTON", focusable | BS_AUTOCHECKBOX, 0};
        case ControlKind::OptionButton:
            // BS_NOTIFY: the form hears when an option takes the focus.
            return {L"BUTTON", focusable | BS_AUTORADIOBUTTON | BS_NOTIFY, 0};
        case ControlKind::ListBox:
            if (decl.checkBoxes)
                return {WC_LISTVIEWW,
                        focusable | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS |
                            (decl.multiSelect ? 0 : LVS_SINGLESEL),
                        WS_EX_CLIENTEDGE};
            return {L"LISTBOX",
                    focusable | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | (decl.multiSelect ? LBS_EXTENDEDSEL : 0),
                    WS_EX_CLIENTEDGE};
        case ControlKind::PictureBox:
            // The picture keeps its own size in the middle of the declared box.
            return {L"STATIC", SS_BITMAP | SS_CENTERIMAGE | SS_NOTIFY, 0};
        case ControlKind::Slider:
            return {TRACKBAR_CLASSW, focusable | TBS_HORZ | TBS_NOTICKS, 0};
        case ControlKind::UpDown:
            return {UPDOWN_CLASSW, UDS_ARROWKEYS, 0};
        case ControlKind::ComboBox:
            return {L"COMBOBOX", focusable | CBS_DROPDOWNLIST | WS_VSCROLL, 0};
        case ControlKind::TreeView:
            return {WC_TREEVIEWW,
                    focusable | TVS_HASLINES | TVS_LINESATROOT | TVS_HASBUTTONS | TVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE};
        case ControlKind::ProgressBar:
            return {PROGRESS_CLASSW, PBS_SMOOTH, 0};
        case ControlKind::BarChart:
            // The form window paints it on WM_DRAWITEM.
            return {L"STATIC", SS_OWNERDRAW, 0};
    }
    return {L"STATIC", 0, 0};
}

void finishControl(HWND child, const platform::ControlDecl& decl) {
    if (decl.kind == ControlKind::TreeView) {
        SetWindowLongW(child, GWL_STYLE, GetWindowLongW(child, GWL_STYLE) | TVS_CHECKBOXES);
        return;
    }
    if (decl.kind != ControlKind::ListBox || !decl.checkBoxes) return;
    constexpr DWORD kTickList = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
    SendMessageW(child, LVM_SETEXTENDEDLISTVIEWSTYLE, kTickList, kTickList);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    SendMessageW(child, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void initCommonControls() {
    static const bool loaded = [] {
        INITCOMMONCONTROLSEX wanted{};
        wanted.dwSize = sizeof wanted;
        wanted.dwICC = ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS;
        return InitCommonControlsEx(&wanted) != FALSE;
    }();
    (void)loaded;
}

}  // namespace tw::win32::forms
