// Looks over a drawn form window for faults a user would see.
#include "sheet/WindowCheck.h"

#include <algorithm>

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

/// A caption or label that does not fit the control it is drawn in.
std::string cutText(const Child& child) {
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
