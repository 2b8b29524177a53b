// A form's real window, built from the form's declaration of its controls.
#include "win32/forms/Win32FormWindow.h"

#include <algorithm>
#include <exception>
#include <numeric>
#include <string>

#include "win32/TextEncoding.h"
#include "win32/ThisModule.h"
#include "win32/Win32Error.h"
#include "win32/forms/BarChartPainter.h"
#include "win32/forms/ControlClasses.h"

namespace tw::win32::forms {

using platform::ControlKind;

namespace {

constexpr const char* kSource = "Win32FormWindow";
/// Posted to draw the state again once a control has finished its own reaction to a click.
constexpr UINT kPushStateLater = WM_APP + 1;
/// The up-down control rests mid-range: each arrow is a step for the form, never a position.
constexpr int kUpDownRange = 100;

void reportFailure(const char* what) {
    OutputDebugStringA((std::string("Tarnwick form window: ") + what + "\n").c_str());
}

/// Gives a control the focus as the dialog manager does: a text box arrives with its text selected,
/// so typing replaces what was there (an entry opened for editing) rather than adding to its front.
void focusControl(HWND control) {
    SetFocus(control);
    if ((SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) SendMessageW(control, EM_SETSEL, 0, -1);
}

LRESULT CALLBACK formWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* owner = reinterpret_cast<Win32FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // Held for the whole message: a handler may hide the form and so drop the last other owner.
    const std::shared_ptr<Win32FormWindow> keep = owner != nullptr ? owner->weak_from_this().lock() : nullptr;
    if (keep == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    // Nothing may unwind through the window procedure into the system's code.
    try {
        return keep->handleMessage(window, message, wParam, lParam);
    } catch (const std::exception& error) {
        reportFailure(error.what());
    } catch (...) {
        reportFailure("a handler failed");
    }
    return message == WM_NCCREATE ? TRUE : 0;
}

void registerFormClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = formWindowProcedure;
        windowClass.hInstance = moduleOfThisCode();
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        windowClass.lpszClassName = kFormWindowClass;
        return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered) raiseLastError(kSource, "Cannot register the form window class");
}

constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

/// The outer size of a form window whose inside is `width` by `height` pixels.
SIZE frameSize(int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

/// The dialog font, half as large again and bold, for a window's heading.
HFONT makeTitleFont() {
    LOGFONTW font{};
    if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font) == 0) return nullptr;
    font.lfHeight = font.lfHeight != 0 ? font.lfHeight * 3 / 2 : -16;
    font.lfWidth = 0;
    font.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&font);
}

/// Declaration indices in the order the child windows are made, which is the focus order: the
/// controls that take the focus by their tab index, then the others as declared.
std::vector<size_t> creationOrder(const platform::FormDecl& decl) {
    std::vector<size_t> order(decl.controls.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int ta = decl.controls[a].tabIndex, tb = decl.controls[b].tabIndex;
        if ((ta < 0) != (tb < 0)) return ta >= 0;
        return ta >= 0 && ta < tb;
    });
    return order;
}

}  // namespace

Win32FormWindow::Win32FormWindow(platform::FormView& form, platform::FormControls& controls, platform::UserInterface& ui)
    : form_(form), controls_(controls), ui_(ui) {}

Win32FormWindow::~Win32FormWindow() { close(); }

void Win32FormWindow::open(HWND owner, bool modal) {
    if (window_ != nullptr) return raise();
    initCommonControls();
    registerFormClass();
    if (HDC screen = GetDC(nullptr)) {
        dpiX_ = std::max(1, GetDeviceCaps(screen, LOGPIXELSX));
        dpiY_ = std::max(1, GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
    }
    const SIZE size = frameSize(twipsToPixels(controls_.declaration().width, dpiX_), twipsToPixels(controls_.height, dpiY_));
    // Where the form keeps a place of its own it opens there; otherwise in the middle of the screen.
    const int left = controls_.left >= 0 ? twipsToPixels(controls_.left, dpiX_)
                                         : std::max(0, (GetSystemMetrics(SM_CXSCREEN) - static_cast<int>(size.cx)) / 2);
    const int top = controls_.top >= 0 ? twipsToPixels(controls_.top, dpiY_)
                                       : std::max(0, (GetSystemMetrics(SM_CYSCREEN) - static_cast<int>(size.cy)) / 2);
    // The window procedure knows the handle from the window's first messages on; a window that
    // failed while being made has none.
    window_ = CreateWindowExW(kFormExStyle, kFormWindowClass, toWide(controls_.caption).c_str(), kFormStyle, left, top,
                              size.cx, size.cy, owner, nullptr, moduleOfThisCode(), this);
    if (window_ == nullptr) raiseLastError(kSource, "Cannot create the window of " + form_.formName());
    createChildren();
    dressChildren();
    pushState();
    if (modal && owner != nullptr && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        disabledOwner_ = owner;
    }
    if (modal) {
        ShowWindow(window_, SW_SHOW);
        if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) focusControl(first);
    } else {
        // A window that does not block appears beside what the user is doing and leaves the keys
        // there: someone typing must not press its buttons by chance.
        ShowWindow(window_, SW_SHOWNOACTIVATE);
    }
    tracking_ = true;
}

void Win32FormWindow::createChildren() {
    const auto& decl = controls_.declaration();
    children_.assign(decl.controls.size(), nullptr);
    shown_.assign(decl.controls.size(), ShownContents{});
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    bool afterOption = false;
    order_ = creationOrder(decl);
    for (const size_t index : order_) {
        const auto& control = decl.controls[index];
        const ControlClass kind = controlClassFor(control);
        const bool isOption = control.kind == ControlKind::OptionButton;
        // Option buttons made one after another form one group: choosing one clears the others.
        const DWORD group = isOption && afterOption ? 0 : WS_GROUP;
        afterOption = isOption;
        HWND child = CreateWindowExW(kind.exStyle, kind.className, L"", WS_CHILD | WS_CLIPSIBLINGS | group | kind.style, 0,
                                     0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)),
                                     moduleOfThisCode(), nullptr);
        if (child == nullptr) raiseLastError(kSource, "Cannot create the control " + control.name + " of " + form_.formName());
        SendMessageW(child, WM_SETFONT, font, FALSE);
        finishControl(child, control);
        if (control.kind == ControlKind::UpDown) {
            SendMessageW(child, UDM_SETRANGE32, 0, kUpDownRange);
            SendMessageW(child, UDM_SETPOS32, 0, kUpDownRange / 2);
        }
        children_[index] = child;
    }
    shownDefault_.assign(decl.controls.size(), false);
    for (size_t index = 0; index < decl.controls.size(); ++index)
        shownDefault_[index] = decl.controls[index].kind == ControlKind::CommandButton && decl.controls[index].isDefault;
}

void Win32FormWindow::dressChildren() {
    const auto& decl = controls_.declaration();
    for (size_t index = 0; index < decl.controls.size(); ++index) {
        const auto& control = decl.controls[index];
        if (control.look == platform::ControlLook::title) {
            if (titleFont_ == nullptr) titleFont_ = makeTitleFont();
            if (titleFont_ != nullptr) SendMessageW(children_[index], WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
        }
        if (control.look == platform::ControlLook::readOnlyLines)
            SendMessageW(children_[index], EM_SETLIMITTEXT, 0, 0);  // a log is longer than the usual limit
        if (control.kind != ControlKind::PictureBox || control.picture.empty()) continue;
        // Pictures are bitmaps among the module's own resources.
        auto* picture = static_cast<HBITMAP>(
            LoadImageW(moduleOfThisCode(), toWide(control.picture).c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
        if (picture == nullptr) {
            reportFailure(("no picture resource " + control.picture).c_str());
            continue;
        }
        pictures_.push_back(picture);
        SendMessageW(children_[index], STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    }
}

void Win32FormWindow::releaseDressing() {
    for (HBITMAP picture : pictures_) DeleteObject(picture);
    pictures_.clear();
    if (titleFont_ != nullptr) DeleteObject(titleFont_);
    titleFont_ = nullptr;
}

void Win32FormWindow::close() {
    if (window_ == nullptr) return;
    HWND closing = window_;
    window_ = nullptr;
    // From here on the window's messages are no longer the form's.
    SetWindowLongPtrW(closing, GWLP_USERDATA, 0);
    if (disabledOwner_ != nullptr) {
        // The owner first takes input again, so the activation goes back to it, not to another program.
        EnableWindow(disabledOwner_, TRUE);
        if (GetActiveWindow() == closing) SetActiveWindow(disabledOwner_);
        disabledOwner_ = nullptr;
    }
    DestroyWindow(closing);
    children_.clear();
    shown_.clear();
    lastFocus_ = nullptr;
    tracking_ = false;
    releaseDressing();
    order_.clear();
}

void Win32FormWindow::raise() {
    if (window_ == nullptr) return;
    ShowWindow(window_, SW_SHOW);
    BringWindowToTop(window_);
    pushState();
}

platform::ControlState& Win32FormWindow::stateAt(size_t index) {
    return controls_[controls_.declaration().controls[index].name];
}

void Win32FormWindow::resizeToForm() {
    const int width = twipsToPixels(controls_.declaration().width, dpiX_);
    const int height = twipsToPixels(controls_.height, dpiY_);
    RECT inside{};
    GetClientRect(window_, &inside);
    if (inside.right == width && inside.bottom == height) return;
    const SIZE size = frameSize(width, height);
    SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32FormWindow::pushState() {
    if (window_ == nullptr) return;
    struct Drawing {
        bool& flag;
        explicit Drawing(bool& f) : flag(f) { flag = true; }
        ~Drawing() { flag = false; }
    } drawing(pushing_);
    setTextIfChanged(window_, toWide(controls_.caption));
    resizeToForm();
    HWND focus = GetFocus();
    const bool hadFocus = focus != nullptr && (focus == window_ || IsChild(window_, focus));
    for (size_t index = 0; index < children_.size(); ++index) {
        HWND child = children_[index];
        const auto& state = stateAt(index);
        syncGeometry(child, state, dpiX_, dpiY_);
        switch (state.decl.kind) {
            case ControlKind::Label:
            case ControlKind::CommandButton:
                setTextIfChanged(child, toWide(state.caption));
                break;
            case ControlKind::CheckBox:
            case ControlKind::OptionButton: {
                setTextIfChanged(child, toWide(state.caption));
                const WPARAM check = state.value ? BST_CHECKED : BST_UNCHECKED;
                if (static_cast<WPARAM>(SendMessageW(child, BM_GETCHECK, 0, 0)) != check) SendMessageW(child, BM_SETCHECK, check, 0);
                break;
            }
            case ControlKind::TextBox:
                setTextIfChanged(child, toWide(state.text));
                break;
            case ControlKind::ListBox:
                if (state.decl.checkBoxes) {
                    syncCheckList(child, state, shown_[index], dpiX_);
                    break;
                }
                syncListBox(child, state, shown_[index]);
                syncHorizontalExtent(child, state, dpiX_);
                break;
            case ControlKind::ComboBox:
                syncComboBox(child, state, shown_[index]);
                break;
            case ControlKind::Slider:
                syncSlider(child, state);
                break;
            case ControlKind::TreeView:
                syncTree(child, state, shown_[index]);
                break;
            case ControlKind::ProgressBar:
                syncProgress(child, state);
                break;
            case ControlKind::BarChart:
                if (auto rows = chartRows(state); rows != shown_[index].rows) {
                    shown_[index].rows = std::move(rows);
                    InvalidateRect(child, nullptr, FALSE);
                }
                break;
            case ControlKind::PictureBox:
            case ControlKind::UpDown:
                break;
        }
        if (state.decl.kind == ControlKind::CommandButton && state.isDefault != shownDefault_[index]) {
            setDefaultLook(child, state.isDefault);
            shownDefault_[index] = state.isDefault;
        }
        syncVisibility(child, state);
        if (state.decl.kind == ControlKind::ListBox && state.decl.checkBoxes) revealFirstTick(child, state, shown_[index]);
    }
    syncOptionTabStops();
    if (hadFocus) keepFocusOnAShownControl();
}

std::vector<size_t> Win32FormWindow::optionGroupOf(size_t index) const {
    // Option buttons made one after another form one group.
    const auto& decl = controls_.declaration().controls;
    const auto at = std::find(order_.begin(), order_.end(), index);
    if (at == order_.end() || decl[index].kind != ControlKind::OptionButton) return {};
    auto first = at, last = at + 1;
    while (first != order_.begin() && decl[*(first - 1)].kind == ControlKind::OptionButton) --first;
    while (last != order_.end() && decl[*last].kind == ControlKind::OptionButton) ++last;
    return {first, last};
}

void Win32FormWindow::syncOptionTabStops() {
    // A group of option buttons has one tab stop, the chosen button (the first while none is), and
    // the arrow keys move the choice within the group, as in every Windows dialog.
    const auto& decl = controls_.declaration().controls;
    for (size_t at = 0; at < order_.size();) {
        const auto group = optionGroupOf(order_[at]);
        if (group.empty()) {
            ++at;
            continue;
        }
        at += group.size();
        if (decl[group.front()].tabIndex < 0) continue;
        size_t stop = group.front();
        for (const size_t index : group)
            if (stateAt(index).value) {
                stop = index;
                break;
            }
        for (const size_t index : group) {
            HWND child = children_[index];
            const LONG style = GetWindowLongW(child, GWL_STYLE);
            const LONG wanted = index == stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG>(WS_TABSTOP));
            if (wanted != style) SetWindowLongW(child, GWL_STYLE, wanted);
        }
    }
}

void Win32FormWindow::keepFocusOnAShownControl() {
    // A page that hides the focused control would leave the focus on the window itself, where no
    // key reaches a control: it goes to the first control that takes it.
    HWND focus = GetFocus();
    const bool lost = focus == window_ || (focus != nullptr && IsChild(window_, focus) &&
                                           (IsWindowVisible(focus) == FALSE || IsWindowEnabled(focus) == FALSE));
    if (!lost) return;
    if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) focusControl(first);
}

bool Win32FormWindow::translate(MSG& message) {
    if (window_ == nullptr || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) return false;
    return IsDialogMessageW(window_, &message) != FALSE;
}

int Win32FormWindow::defaultButtonId() const {
    const auto& controls = controls_.declaration().controls;
    for (size_t index = 0; index < controls.size(); ++index)
        if (controls[index].kind == ControlKind::CommandButton && controls_[controls[index].name].isDefault)
            return kFirstControlId + static_cast<int>(index);
    return 0;
}

LRESULT Win32FormWindow::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE:
            window_ = window;
            break;
        case WM_COMMAND:
            if (!pushing_) onCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!pushing_ && onNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return result;
            break;
        }
        case WM_HSCROLL:
        case WM_VSCROLL: {
            const int index = GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) - kFirstControlId;
            if (!pushing_ && lParam != 0 && index >= 0 && static_cast<size_t>(index) < children_.size() &&
                stateAt(static_cast<size_t>(index)).decl.kind == ControlKind::Slider)
                onSliderMoved(static_cast<size_t>(index));
            return 0;
        }
        case DM_GETDEFID: {
            const int id = defaultButtonId();
            return id != 0 ? MAKELRESULT(id, DC_HASDEFID) : 0;
        }
        case kPushStateLater:
            pushState();
            return 0;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            const size_t index = item.CtlID - static_cast<UINT>(kFirstControlId);
            if (item.CtlType != ODT_STATIC || item.CtlID < static_cast<UINT>(kFirstControlId) || index >= children_.size() ||
                stateAt(index).decl.kind != ControlKind::BarChart)
                break;
            paintBarChart(item.hDC, item.rcItem, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)),
                          stateAt(index));
            return TRUE;
        }
        case WM_NEXTDLGCTL: {
            // A many-line text box hands Tab and Enter on this way, as in a dialog.
            HWND target = LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                              : GetNextDlgTabItem(window, GetFocus(), wParam != 0 ? TRUE : FALSE);
            if (target != nullptr && IsChild(window, target)) SetFocus(target);
            return 0;
        }
        case WM_MOVE:
            if (window == window_ && tracking_ && !pushing_) onMoved();
            break;
        case WM_ACTIVATE:
            if (window == window_ && HIWORD(wParam) == 0) {
                onActivate(LOWORD(wParam) != WA_INACTIVE);
                return 0;
            }
            break;
        case WM_CLOSE:
            onUserClose();
            return 0;
        case WM_DESTROY:
            // Only a window destroyed from outside gets here (its owner went): the form is hidden with it.
            if (window == window_) {
                window_ = nullptr;
                if (disabledOwner_ != nullptr) EnableWindow(disabledOwner_, TRUE);
                disabledOwner_ = nullptr;
                children_.clear();
                shown_.clear();
                lastFocus_ = nullptr;
                tracking_ = false;
                releaseDressing();
                order_.clear();
                ui_.hideForm(form_);
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32FormWindow::onCommand(int id, int code) {
    if (id == IDCANCEL) {
        controls_.pressEscape();
        return pushState();
    }
    if (id == IDOK) {
        controls_.pressEnter();
        return pushState();
    }
    const int index = id - kFirstControlId;
    if (index < 0 || static_cast<size_t>(index) >= children_.size()) return;
    // Only what the user did is the form's business, and only then is the state drawn back: a
    // notification such as EN_UPDATE comes in the middle of the control's own change, and drawing
    // the old state there would undo the user's typing.
    if (reactTo(static_cast<size_t>(index), code)) pushState();
}

bool Win32FormWindow::reactTo(size_t index, int code) {
    HWND child = children_[index];
    auto& state = stateAt(index);
    const std::string name = state.decl.name;
    switch (state.decl.kind) {
        case ControlKind::CommandButton:
            if (code != BN_CLICKED) return false;
            controls_.click(name);
            return true;
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
            if (code == BN_CLICKED) {
                state.value = SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
                // Choosing an option clears the others of its group, on screen as in the state.
                if (state.value)
                    for (const size_t other : optionGroupOf(index))
                        if (other != index) stateAt(other).value = false;
                controls_.click(name);
                return true;
            }
            if (code != BN_SETFOCUS || state.decl.kind != ControlKind::OptionButton) return false;
            controls_.raise(name, "GotFocus");
            return true;
        case ControlKind::TextBox:
            if (code != EN_CHANGE) return false;
            controls_.type(name, toUtf8(windowText(child)));
            return true;
        case ControlKind::ListBox:
            if (state.decl.checkBoxes) return false;  // a list view: it notifies through WM_NOTIFY
            if (code == LBN_SELCHANGE) {
                onListSelection(index);
                return true;
            }
            if (code != LBN_DBLCLK) return false;
            controls_.raise(name, "DblClick");
            return true;
        case ControlKind::ComboBox:
            if (code != CBN_SELCHANGE) return false;
            state.listIndex = static_cast<int>(SendMessageW(child, CB_GETCURSEL, 0, 0));
            controls_.raise(name, "Click");
            return true;
        case ControlKind::Label:
        case ControlKind::PictureBox:
            if (code != STN_CLICKED) return false;
            controls_.click(name);
            return true;
        case ControlKind::Slider:
        case ControlKind::UpDown:
        case ControlKind::TreeView:
        case ControlKind::ProgressBar:
        case ControlKind::BarChart:
            return false;
    }
    return false;
}

void Win32FormWindow::onMoved() {
    RECT frame{};
    if (!GetWindowRect(window_, &frame)) return;
    constexpr int kTwipsPerInch = 1440;
    controls_.left = MulDiv(frame.left, kTwipsPerInch, dpiX_);
    controls_.top = MulDiv(frame.top, kTwipsPerInch, dpiY_);
}

void Win32FormWindow::onActivate(bool active) {
    HWND focus = GetFocus();
    if (!active) {
        if (focus != nullptr && IsChild(window_, focus)) lastFocus_ = focus;
        return;
    }
    // A window the user comes back to gives the focus to the control that had it, else the first.
    if (focus != nullptr && IsChild(window_, focus)) return;
    HWND target = lastFocus_ != nullptr && IsChild(window_, lastFocus_) && IsWindowVisible(lastFocus_) &&
                          IsWindowEnabled(lastFocus_)
                      ? lastFocus_
                      : GetNextDlgTabItem(window_, nullptr, FALSE);
    if (target != nullptr) SetFocus(target);
}

void Win32FormWindow::onListSelection(size_t index) {
    auto& state = stateAt(index);
    HWND list = children_[index];
    state.selected.assign(state.items.size(), false);
    const auto chosen = SendMessageW(list, LB_GETCURSEL, 0, 0);
    for (size_t row = 0; row < state.items.size(); ++row)
        state.selected[row] = state.decl.multiSelect ? SendMessageW(list, LB_GETSEL, row, 0) > 0
                                                     : static_cast<LRESULT>(row) == chosen;
    controls_.click(state.decl.name);
}

bool Win32FormWindow::onNotify(const NMHDR& header, LRESULT& result) {
    const auto index = static_cast<size_t>(header.idFrom) - static_cast<size_t>(kFirstControlId);
    if (header.idFrom < static_cast<UINT_PTR>(kFirstControlId) || index >= children_.size()) return false;
    const auto& state = stateAt(index);
    if (state.decl.kind == ControlKind::TreeView) {
        if (header.code == TVN_SELCHANGEDW) {
            onTreeClick(index, false, reinterpret_cast<const NMTREEVIEWW&>(header).itemNew.hItem);
            return true;
        }
        if (header.code == static_cast<UINT>(NM_CLICK)) {
            const DWORD where = GetMessagePos();
            TVHITTESTINFO hit{};
            hit.pt = {static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
            ScreenToClient(header.hwndFrom, &hit.pt);
            HTREEITEM item = TreeView_HitTest(header.hwndFrom, &hit);
            if (item == nullptr || (hit.flags & TVHT_ONITEMSTATEICON) == 0) return false;
            onTreeClick(index, true, item);
            // The tree flips its own box after the click: the node's image decides once it is done.
            if (window_ != nullptr) PostMessageW(window_, kPushStateLater, 0, 0);
            result = TRUE;
            return true;
        }
        if (header.code == static_cast<UINT>(TVN_KEYDOWN) &&
            reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey == VK_SPACE) {
            // Space ticks the selected node as a click on its box does; the tree flips its own box too.
            if (HTREEITEM item = TreeView_GetSelection(header.hwndFrom)) {
                onTreeClick(index, true, item);
                if (window_ != nullptr) PostMessageW(window_, kPushStateLater, 0, 0);
            }
            result = TRUE;  // no incremental search for the space
            return true;
        }
        return false;
    }
    if (state.decl.kind == ControlKind::ListBox && state.decl.checkBoxes && header.code == static_cast<UINT>(LVN_ITEMCHANGED)) {
        onCheckListChange(index, reinterpret_cast<const NMLISTVIEW&>(header));
        return true;
    }
    if (state.decl.kind == ControlKind::UpDown && header.code == static_cast<UINT>(UDN_DELTAPOS)) {
        const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
        controls_.raise(state.decl.name, change.iDelta > 0 ? "UpClick" : "DownClick");
        pushState();
        result = TRUE;  // the control stays mid-range
        return true;
    }
    return false;
}

void Win32FormWindow::onCheckListChange(size_t index, const NMLISTVIEW& change) {
    if ((change.uChanged & LVIF_STATE) == 0) return;
    auto& state = stateAt(index);
    const std::string name = state.decl.name;
    const UINT flipped = change.uNewState ^ change.uOldState;
    const auto row = static_cast<size_t>(change.iItem);
    if ((flipped & LVIS_STATEIMAGEMASK) != 0 && change.iItem >= 0 && row < state.items.size()) {
        // The user ticked or cleared a box, by a click on it or by Space.
        controls_.tick(name, row, (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2));
        pushState();
    }
    if ((flipped & LVIS_SELECTED) == 0) return;
    HWND list = children_[index];
    auto& chosen = stateAt(index).selected;
    chosen.assign(state.items.size(), false);
    for (size_t i = 0; i < chosen.size(); ++i) chosen[i] = SendMessageW(list, LVM_GETITEMSTATE, i, LVIS_SELECTED) != 0;
    if ((change.uNewState & LVIS_SELECTED) != 0) controls_.click(name);
    pushState();
}

void Win32FormWindow::onTreeClick(size_t index, bool onCheckBox, HTREEITEM item) {
    auto& state = stateAt(index);
    const std::string key = treeItemKey(children_[index], item, state);
    if (key.empty()) return;
    const std::string name = state.decl.name;
    state.number = onCheckBox ? 1 : 0;
    controls_.raise(name, "MouseDown");
    controls_[name].text = key;
    controls_.raise(name, "NodeClick");
    pushState();
}

void Win32FormWindow::onSliderMoved(size_t index) {
    auto& state = stateAt(index);
    const int position = static_cast<int>(SendMessageW(children_[index], TBM_GETPOS, 0, 0));
    if (position == state.number) return;
    state.number = position;
    const std::string name = state.decl.name;
    controls_.raise(name, "Scroll");
    controls_.raise(name, "Change");
    pushState();
}

void Win32FormWindow::onUserClose() {
    // Closing the window is the cancel button's work; a form without one (or whose cancel kept
    // it open) is closed as it stands, as the user asked.
    controls_.pressEscape();
    if (window_ != nullptr && ui_.isFormVisible(form_)) ui_.hideForm(form_);
    pushState();
}

}  // namespace tw::win32::forms
