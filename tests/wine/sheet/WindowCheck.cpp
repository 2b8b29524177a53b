// Looks over a drawn form window for faults a user would see.
#include "sheet/WindowCheck.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace tw::sheet {
namespace {

struct Child {
    HWND window;
    std::string name;
    std::wstring className;
    RECT box;  // in the parent's client coordinates
};

/// The class name in lower case: the system's own classes answer in either case.
std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    CharLowerW(name);
    return name;
}

std::wstring textOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

/// The size the text needs in the control's own font: on one line, or wrapped at `width`.
SIZE neededFor(HWND control, const std::wstring& text, int width, bool wrap) {
    HDC dc = GetDC(control);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    const HGDIOBJ previous = SelectObject(dc, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    RECT box{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_CALCRECT | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return {box.right - box.left, box.bottom - box.top};
}

/// The text of a list box entry, a tree node or a text box, for measuring.
std::wstring listEntry(HWND list, int index) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

/// Tree nodes whose captions run past the tree's right edge, when it is scrolled fully left.
std::string cutNodes(HWND tree) {
    RECT inside{};
    GetClientRect(tree, &inside);
    const int scrolled = GetScrollPos(tree, SB_HORZ);
    int cut = 0, all = 0, widest = 0;
    std::vector<HTREEITEM> pending{TreeView_GetRoot(tree)};
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        for (; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
            ++all;
            RECT text{};
            // The message takes the item in the rectangle it fills.
            std::memcpy(&text, &item, sizeof item);
            if (SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text))) {
                const int right = text.right + scrolled;
                widest = std::max(widest, right);
                if (right > inside.right) ++cut;
            }
            if (HTREEITEM child = TreeView_GetChild(tree, item)) pending.push_back(child);
        }
    }
    if (cut == 0) return {};
    return std::to_string(cut) + " of its " + std::to_string(all) + " node captions run past its right edge (the widest needs " +
           std::to_string(widest) + " pixels, it shows " + std::to_string(inside.right) + ")";
}

/// List box entries, or a text box's text, wider than the box shows.
std::string cutEntries(HWND control, bool list) {
    RECT inside{};
    GetClientRect(control, &inside);
    const int room = inside.right - (list ? 2 : 4);
    int cut = 0, all = 0, widest = 0;
    const int count = list ? static_cast<int>(SendMessageW(control, LB_GETCOUNT, 0, 0)) : 1;
    for (int i = 0; i < count; ++i) {
        const std::wstring text = list ? listEntry(control, i) : textOf(control);
        if (text.empty()) continue;
        ++all;
        const int width = static_cast<int>(neededFor(control, text, 0, false).cx);
        widest = std::max(widest, width);
        if (width > room) ++cut;
    }
    if (cut == 0) return {};
    if (!list) return "its text is wider than the box (" + std::to_string(widest) + " pixels, it shows " + std::to_string(room) + ")";
    return std::to_string(cut) + " of its " + std::to_string(all) + " entries are wider than the list (the widest needs " +
           std::to_string(widest) + " pixels, it shows " + std::to_string(room) + ")";
}

/// A caption, label, list entry or tree node that does not fit the control it is drawn in.
std::string cutText(const Child& child) {
    if (child.className == L"systreeview32") return cutNodes(child.window);
    if (child.className == L"listbox") return cutEntries(child.window, true);
    // A text box of many lines wraps or scrolls its lines by design.
    if (child.className == L"edit" && (GetWindowLongW(child.window, GWL_STYLE) & ES_MULTILINE) == 0)
        return cutEntries(child.window, false);
    if (child.className == L"edit") return {};
    const std::wstring text = textOf(child.window);
    if (text.empty()) return {};
    const int width = child.box.right - child.box.left, height = child.box.bottom - child.box.top;
    const LONG style = GetWindowLongW(child.window, GWL_STYLE);
    if (child.className == L"button") {
        const LONG kind = style & BS_TYPEMASK;
        if (kind == BS_GROUPBOX) return {};
        const bool pushButton = kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
        const int room = pushButton ? width - 8 : width - GetSystemMetrics(SM_CXMENUCHECK) - 6;
        if ((style & BS_MULTILINE) != 0) {
            const SIZE needed = neededFor(child.window, text, std::max(1, room), true);
            if (needed.cy > height || needed.cx > room) return "its caption does not fit";
            return {};
        }
        if (neededFor(child.window, text, room, false).cx > room) return "its caption is cut off";
        return {};
    }
    if (child.className == L"static") {
        const LONG kind = style & SS_TYPEMASK;
        if (kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP) return {};
        const bool wrap = kind != SS_LEFTNOWORDWRAP;
        const SIZE needed = neededFor(child.window, text, width, wrap);
        if (needed.cx > width) return "its text is wider than the label";
        if (needed.cy > height) return "its text needs " + std::to_string(needed.cy) + " pixels of height, the label has " +
                                       std::to_string(height);
    }
    return {};
}

}  // namespace

std::vector<std::string> checkWindow(HWND window, const ControlNamer& nameOf) {
    std::vector<std::string> faults;
    RECT inside{};
    GetClientRect(window, &inside);
    std::vector<Child> children;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        Child seen{child, nameOf(GetDlgCtrlID(child)), classOf(child), {}};
        if (seen.name.empty()) seen.name = "control " + std::to_string(GetDlgCtrlID(child));
        GetWindowRect(child, &seen.box);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&seen.box), 2);
        if (seen.box.right <= seen.box.left || seen.box.bottom <= seen.box.top) continue;
        children.push_back(seen);
    }
    for (size_t i = 0; i < children.size(); ++i) {
        const Child& child = children[i];
        if (child.box.left < 0 || child.box.top < 0 || child.box.right > inside.right || child.box.bottom > inside.bottom)
            faults.push_back(child.name + " lies (partly) outside the window");
        if (const std::string cut = cutText(child); !cut.empty()) faults.push_back(child.name + ": " + cut);
        for (size_t j = i + 1; j < children.size(); ++j) {
            RECT both{};
            // An up-down control sits against its box by design.
            if (child.className == L"msctls_updown32" || children[j].className == L"msctls_updown32") continue;
            if (IntersectRect(&both, &child.box, &children[j].box))
                faults.push_back(child.name + " and " + children[j].name + " overlap");
        }
    }
    return faults;
}

}  // namespace tw::sheet
