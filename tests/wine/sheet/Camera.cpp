// Every form and message box of the add-in passes through here on its way to the screen: a modal
// one is worked by its scene on a timer, one step a tick once its window is drawn, and closed.
#include "sheet/Camera.h"

#include <commctrl.h>

#include <exception>

#include "win32/TextEncoding.h"
#include "win32/forms/Win32FormWindow.h"

namespace tw::sheet {
namespace {

constexpr int kTickMs = 100;
/// Ticks a window is given to draw after it appeared and after each step.
constexpr int kSettleTicks = 3;
/// A modal show whose window has not appeared by then gets none.
constexpr int kWindowWaitTicks = 50;
/// A window still open that long after its scene ended is closed by force.
constexpr int kCloseWaitTicks = 30;

using win32::forms::kFirstControlId;
using win32::forms::kFormWindowClass;

struct WindowSearch {
    std::wstring className, caption;
    HWND found = nullptr, any = nullptr;
};

BOOL CALLBACK visitWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (search.className != name || !IsWindowVisible(window)) return TRUE;
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    if (search.any == nullptr) search.any = window;
    if (search.caption == title) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

/// The topmost visible window of this thread of that class with that caption; with `orAny`, else
/// the topmost of that class.
HWND findWindow(const std::wstring& className, const std::wstring& caption, bool orAny) {
    WindowSearch search;
    search.className = className;
    search.caption = caption;
    EnumThreadWindows(GetCurrentThreadId(), visitWindow, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr ? search.found : (orAny ? search.any : nullptr);
}

/// The answer that changes nothing: No, Cancel or OK, as the box offers.
WPARAM safestAnswer(int style) {
    switch (style & 0x0F) {
        case platform::vbOKCancel:
        case platform::vbYesNoCancel:
        case platform::vbRetryCancel: return IDCANCEL;
        case platform::vbYesNo: return IDNO;
        case platform::vbAbortRetryIgnore: return IDABORT;
        default: return IDOK;
    }
}

int declaredIndex(platform::FormView* form, const std::string& name) {
    auto* controls = form != nullptr ? form->controls() : nullptr;
    if (controls == nullptr) return -1;
    const auto& declared = controls->declaration().controls;
    for (size_t i = 0; i < declared.size(); ++i)
        if (declared[i].name == name) return static_cast<int>(i);
    return -1;
}

HTREEITEM findTreeItem(HWND tree, HTREEITEM item, LPARAM wanted) {
    for (; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
        TVITEMW data{};
        data.mask = TVIF_PARAM | TVIF_HANDLE;
        data.hItem = item;
        if (TreeView_GetItem(tree, &data) && data.lParam == wanted) return item;
        if (HTREEITEM inside = findTreeItem(tree, TreeView_GetChild(tree, item), wanted)) return inside;
    }
    return nullptr;
}

}  // namespace

struct Camera::Shown {
    platform::FormView* form = nullptr;  // null for a message box
    std::string name;
    std::wstring boxTitle;
    int boxStyle = 0;
    std::vector<Step> steps;
    size_t next = 0;
    HWND window = nullptr;
    int age = 0, wait = 0, idle = 0;
    bool busy = false;
};

Step photo(std::string stem, std::string label) {
    return [stem, label](Stage& stage) { stage.photo(stem, label); };
}
Step press(std::string name) {
    return [name](Stage& stage) { stage.press(name); };
}
Step closeIt() {
    return [](Stage& stage) { stage.close(); };
}

namespace {

/// Tree nodes whose tick box does not show what the form's node says: its image 2 (ticked), 3
/// (cleared) or none.
void checkTicks(platform::FormView& form, HWND window, Album& album) {
    auto& controls = *form.controls();
    const auto& declared = controls.declaration().controls;
    for (size_t index = 0; index < declared.size(); ++index) {
        if (declared[index].kind != platform::ControlKind::TreeView) continue;
        HWND tree = GetDlgItem(window, kFirstControlId + static_cast<int>(index));
        if (tree == nullptr || (GetWindowLongW(tree, GWL_STYLE) & TVS_CHECKBOXES) == 0) continue;
        const auto& nodes = controls[declared[index].name].nodes;
        std::string wrong;
        for (size_t node = 0; node < nodes.size(); ++node) {
            HTREEITEM item = findTreeItem(tree, TreeView_GetRoot(tree), static_cast<LPARAM>(node));
            if (item == nullptr) continue;
            const UINT shown = (TreeView_GetItemState(tree, item, TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) >> 12;
            const int image = nodes[node].image;
            const UINT wanted = image == 2 ? 2 : image == 3 ? 1 : 0;
            if (shown != wanted) wrong += (wrong.empty() ? "" : ", ") + nodes[node].key;
        }
        if (!wrong.empty()) album.fault(declared[index].name + ": tick boxes that differ from the form's nodes: " + wrong);
    }
}

}  // namespace

void Stage::photo(const std::string& stem, const std::string& label) {
    // A message box is the system's own dialog: only the add-in's forms are looked over.
    if (form_ == nullptr) return camera_.album().photograph(window_, stem, label, nullptr);
    platform::FormView* form = form_;
    camera_.album().photograph(window_, stem, label, [form](int id) -> std::string {
        auto* controls = form != nullptr ? form->controls() : nullptr;
        const int index = id - kFirstControlId;
        if (controls == nullptr || index < 0 || static_cast<size_t>(index) >= controls->declaration().controls.size())
            return {};
        return controls->declaration().controls[static_cast<size_t>(index)].name;
    });
    checkTicks(*form_, window_, camera_.album());
}

HWND Stage::child(const std::string& name) {
    const int index = declaredIndex(form_, name);
    HWND found = index >= 0 ? GetDlgItem(window_, kFirstControlId + index) : nullptr;
    if (found == nullptr)
        camera_.album().problem((form_ ? form_->formName() : std::string("message box")) + " has no control " + name);
    return found;
}

void Stage::press(const std::string& name) {
    HWND button = child(name);
    if (button == nullptr) return;
    if (!IsWindowVisible(button) || !IsWindowEnabled(button)) {
        camera_.album().problem(form_->formName() + ": " + name + " cannot be pressed (hidden or disabled)");
        return;
    }
    // A click gives the button the focus before it presses it.
    SetFocus(button);
    SendMessageW(button, BM_CLICK, 0, 0);
}

void Stage::pickFirst(const std::string& name) {
    HWND list = child(name);
    if (list == nullptr) return;
    wchar_t className[64] = {};
    GetClassNameW(list, className, 64);
    if (lstrcmpiW(className, L"ListBox") != 0) {
        // Another kind of list: the pick goes into the form's state, as the control would put it.
        auto& state = (*form_->controls())[name];
        if (!state.selected.empty()) state.selected[0] = true;
        return;
    }
    if (SendMessageW(list, LB_GETCOUNT, 0, 0) <= 0) {
        camera_.album().problem(form_->formName() + ": " + name + " has no entry to pick");
        return;
    }
    const LONG style = GetWindowLongW(list, GWL_STYLE);
    if ((style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0) SendMessageW(list, LB_SETSEL, TRUE, 0);
    else SendMessageW(list, LB_SETCURSEL, 0, 0);
    // What the list box tells its parent when the user picks an entry.
    SendMessageW(window_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void Stage::selectNode(const std::string& key) {
    auto* controls = form_ != nullptr ? form_->controls() : nullptr;
    if (controls == nullptr) return;
    for (const auto& declared : controls->declaration().controls) {
        if (declared.kind != platform::ControlKind::TreeView) continue;
        const auto& nodes = (*controls)[declared.name].nodes;
        for (size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i].key != key) continue;
            HWND tree = child(declared.name);
            HTREEITEM item = tree ? findTreeItem(tree, TreeView_GetRoot(tree), static_cast<LPARAM>(i)) : nullptr;
            if (item == nullptr) break;
            // A click on a node gives the tree the focus, so the node shows selected as the user sees it.
            SetFocus(tree);
            TreeView_SelectItem(tree, item);
            return;
        }
    }
    camera_.album().problem(form_->formName() + ": no tree node " + key);
}

void Stage::close() {
    if (form_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
    else PostMessageW(window_, WM_COMMAND, safestAnswer(boxStyle_), 0);
}

Camera::Camera(win32::Win32UserInterface& screen, Album& album) : screen_(screen), album_(album) {
    timer_ = screen_.setTimer(kTickMs, [this] { tick(); });
}

Camera::~Camera() { screen_.killTimer(timer_); }

void Camera::script(const std::string& formName, std::vector<Step> steps) { scenes_[formName].push_back(std::move(steps)); }

std::vector<Step> Camera::sceneFor(const std::string& name, const std::string& stem, const std::string& label) {
    auto found = scenes_.find(name);
    if (found == scenes_.end() || found->second.empty()) return {photo(stem, label), closeIt()};
    std::vector<Step> steps = std::move(found->second.front());
    found->second.erase(found->second.begin());
    return steps;
}

HWND Camera::windowOf(platform::FormView& form) const {
    auto* controls = form.controls();
    if (controls == nullptr) return nullptr;
    return findWindow(kFormWindowClass, win32::toWide(controls->caption), false);
}

void Camera::settle(int milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(milliseconds)) {
        screen_.doEvents();
        Sleep(10);
    }
}

void Camera::photographOpen(platform::FormView& form, const std::string& stem, const std::string& label) {
    // A form without controls was reported when it was shown.
    if (form.controls() == nullptr) return;
    settle(kSettleTicks * kTickMs + 200);
    HWND window = windowOf(form);
    if (window == nullptr) {
        album_.problem(label + ": shown, but no window appeared");
        return;
    }
    Stage(*this, &form, window).photo(stem, label);
}

int Camera::MsgBox(const std::string& prompt, int style, const std::string& title) {
    auto shown = std::make_unique<Shown>();
    shown->name = "MsgBox";
    shown->boxTitle = win32::toWide(title);
    shown->boxStyle = style;
    shown->steps = sceneFor("MsgBox", "MsgBox-" + title, "Message box: " + title);
    shown_.push_back(std::move(shown));
    struct Pop {
        std::vector<std::unique_ptr<Shown>>& stack;
        ~Pop() { stack.pop_back(); }
    } pop{shown_};
    return screen_.MsgBox(prompt, style, title);
}

void Camera::showForm(platform::FormView& form, bool modal) {
    const std::string name = form.formName();
    if (form.controls() == nullptr) {
        album_.noWindow(name, "it declares no controls");
        // A modal show would wait for a window nobody can close: it ends at once, as a closed form.
        if (!modal) screen_.showForm(form, false);
        return;
    }
    if (!modal) return screen_.showForm(form, false);
    auto shown = std::make_unique<Shown>();
    shown->form = &form;
    shown->name = name;
    shown->steps = sceneFor(name, name, name);
    shown_.push_back(std::move(shown));
    struct Pop {
        std::vector<std::unique_ptr<Shown>>& stack;
        ~Pop() { stack.pop_back(); }
    } pop{shown_};
    screen_.showForm(form, true);
}

void Camera::giveUp(Shown& shown, const std::string& why) {
    album_.problem(shown.name + ": " + why + "; the sheet closed it");
    shown.next = shown.steps.size();
    shown.idle = 0;
    if (shown.form != nullptr) screen_.hideForm(*shown.form);
    else if (shown.window != nullptr) EndDialog(shown.window, IDCANCEL);
}

void Camera::tick() {
    if (shown_.empty()) return;
    Shown& shown = *shown_.back();
    if (shown.busy) return;
    ++shown.age;
    if (shown.window == nullptr || !IsWindow(shown.window)) {
        shown.window = shown.form != nullptr ? windowOf(*shown.form) : findWindow(L"#32770", shown.boxTitle, true);
        if (shown.window == nullptr) {
            if (shown.age > kWindowWaitTicks) giveUp(shown, "no window appeared");
            return;
        }
        shown.wait = kSettleTicks;
    }
    if (shown.wait > 0) {
        --shown.wait;
        return;
    }
    if (shown.next < shown.steps.size()) {
        const Step step = shown.steps[shown.next++];
        shown.wait = kSettleTicks;
        shown.busy = true;
        // A step may open another modal window, whose scene runs in the ticks of its own loop.
        Stage stage(*this, shown.form, shown.window, shown.boxStyle);
        try {
            step(stage);
        } catch (const std::exception& error) {
            album_.problem(shown.name + ": a step failed: " + error.what());
        } catch (...) {
            album_.problem(shown.name + ": a step failed");
        }
        shown.busy = false;
        return;
    }
    if (++shown.idle > kCloseWaitTicks) giveUp(shown, "still open after its scene");
}

}  // namespace tw::sheet
