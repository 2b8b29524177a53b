// Drawing a control's state into its child window, touching only what differs.
#include "win32/forms/ControlSync.h"

#include <algorithm>

#include "win32/TextEncoding.h"

namespace tw::win32::forms {

using platform::ControlKind;
using platform::ControlState;

namespace {

constexpr int kTwipsPerInch = 1440;
/// The drop-down part of a combo box, below the declared height of its edit part.
constexpr int kDropDownPixels = 200;
constexpr int kUsualSliderMax = 100;

int stateImageFor(int image) {
    if (image == kTickedImage) return 2;
    if (image == kClearedImage) return 1;
    return 0;
}

std::vector<std::wstring> treeRows(const ControlState& state) {
    // The shape of the tree: key, caption and parent of every node; images are set apart.
    std::vector<std::wstring> rows;
    for (const auto& node : state.nodes) rows.push_back(toWide(node.key + '\n' + node.caption + '\n' + node.parent));
    return rows;
}

void fillTree(HWND tree, const ControlState& state) {
    SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    std::vector<std::pair<std::string, HTREEITEM>> inserted;
    for (size_t i = 0; i < state.nodes.size(); ++i) {
        const auto& node = state.nodes[i];
        HTREEITEM parent = TVI_ROOT;
        for (const auto& [key, item] : inserted)
            if (!node.parent.empty() && key == node.parent) parent = item;
        std::wstring caption = toWide(node.caption);
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
        insert.item.pszText = caption.data();
        insert.item.lParam = static_cast<LPARAM>(i);
        insert.item.state = INDEXTOSTATEIMAGEMASK(stateImageFor(node.image)) | TVIS_EXPANDED;
        insert.item.stateMask = TVIS_STATEIMAGEMASK | TVIS_EXPANDED;
        auto* item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        inserted.emplace_back(node.key, item);
    }
}

/// Calls visit(item, nodeIndex) for every item of the tree.
template <typename Visit>
void eachTreeItem(HWND tree, HTREEITEM item, Visit visit) {
    for (; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
        TVITEMW data{};
        data.mask = TVIF_PARAM | TVIF_HANDLE;
        data.hItem = item;
        if (TreeView_GetItem(tree, &data)) visit(item, static_cast<size_t>(data.lParam));
        eachTreeItem(tree, TreeView_GetChild(tree, item), visit);
    }
}

}  // namespace

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

int twipsToPixels(int twips, int dotsPerInch) { return MulDiv(twips, dotsPerInch, kTwipsPerInch); }

void setTextIfChanged(HWND window, const std::wstring& text) {
    if (windowText(window) != text) SetWindowTextW(window, text.c_str());
}

void syncVisibility(HWND child, const ControlState& state) {
    if ((IsWindowVisible(child) != FALSE) != state.visible) ShowWindow(child, state.visible ? SW_SHOWNA : SW_HIDE);
    if ((IsWindowEnabled(child) != FALSE) != state.enabled) EnableWindow(child, state.enabled ? TRUE : FALSE);
}

void syncGeometry(HWND child, const ControlState& state, int dpiX, int dpiY) {
    RECT wanted{twipsToPixels(state.left, dpiX), twipsToPixels(state.top, dpiY),
                twipsToPixels(state.left + state.width, dpiX), twipsToPixels(state.top + state.height, dpiY)};
    if (state.decl.kind == ControlKind::ComboBox) wanted.bottom += kDropDownPixels;
    RECT now{};
    GetWindowRect(child, &now);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&now), 2);
    // A combo box reports the height of its edit part only; its place and width are what can move.
    const bool sameHeight = state.decl.kind == ControlKind::ComboBox || now.bottom - now.top == wanted.bottom - wanted.top;
    if (now.left == wanted.left && now.top == wanted.top && now.right - now.left == wanted.right - wanted.left && sameHeight)
        return;
    MoveWindow(child, wanted.left, wanted.top, wanted.right - wanted.left, wanted.bottom - wanted.top, TRUE);
}

void syncListBox(HWND child, const ControlState& state, ShownContents& shown) {
    std::vector<std::wstring> rows;
    for (const auto& item : state.items) rows.push_back(toWide(item));
    if (rows != shown.rows) {
        const auto top = SendMessageW(child, LB_GETTOPINDEX, 0, 0);
        SendMessageW(child, WM_SETREDRAW, FALSE, 0);
        SendMessageW(child, LB_RESETCONTENT, 0, 0);
        for (const auto& row : rows) SendMessageW(child, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        // A list filled again with as many entries stays scrolled where it was.
        if (rows.size() == shown.rows.size()) SendMessageW(child, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
        SendMessageW(child, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(child, nullptr, TRUE);
        shown.rows = std::move(rows);
    }
    const auto isSelected = [&](size_t i) { return i < state.selected.size() && state.selected[i]; };
    if (state.decl.multiSelect) {
        for (size_t i = 0; i < state.items.size(); ++i) {
            const bool now = SendMessageW(child, LB_GETSEL, i, 0) > 0;
            if (now != isSelected(i)) SendMessageW(child, LB_SETSEL, isSelected(i) ? TRUE : FALSE, static_cast<LPARAM>(i));
        }
        return;
    }
    LRESULT wanted = LB_ERR;
    for (size_t i = 0; i < state.items.size(); ++i)
        if (isSelected(i)) {
            wanted = static_cast<LRESULT>(i);
            break;
        }
    if (SendMessageW(child, LB_GETCURSEL, 0, 0) != wanted) SendMessageW(child, LB_SETCURSEL, static_cast<WPARAM>(wanted), 0);
}

void syncCheckList(HWND child, const ControlState& state, ShownContents& shown, int dpiX) {
    std::vector<std::wstring> rows;
    for (const auto& item : state.items) rows.push_back(toWide(item));
    if (rows != shown.rows) {
        SendMessageW(child, WM_SETREDRAW, FALSE, 0);
        SendMessageW(child, LVM_DELETEALLITEMS, 0, 0);
        for (size_t i = 0; i < rows.size(); ++i) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(i);
            item.pszText = rows[i].data();
            SendMessageW(child, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        SendMessageW(child, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(child, nullptr, TRUE);
        shown.rows = std::move(rows);
        shown.revealTick = true;
    }
    constexpr UINT kShown = LVIS_STATEIMAGEMASK | LVIS_SELECTED;
    for (size_t i = 0; i < state.items.size(); ++i) {
        const bool ticked = i < state.checked.size() && state.checked[i];
        const bool chosen = i < state.selected.size() && state.selected[i];
        const UINT wanted = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1) | (chosen ? LVIS_SELECTED : 0);
        if ((static_cast<UINT>(SendMessageW(child, LVM_GETITEMSTATE, i, kShown)) & kShown) == wanted) continue;
        LVITEMW item{};
        item.stateMask = kShown;
        item.state = wanted;
        SendMessageW(child, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
    }
    // The one column is as wide as the list, or as its widest entry after the tick box.
    RECT inside{};
    GetClientRect(child, &inside);
    const int box = GetSystemMetrics(SM_CXSMICON) + 8;
    const int wanted = std::max(static_cast<int>(inside.right),
                                state.horizontalExtent > 0 ? twipsToPixels(state.horizontalExtent, dpiX) + box : 0);
    if (SendMessageW(child, LVM_GETCOLUMNWIDTH, 0, 0) != wanted) SendMessageW(child, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(wanted, 0));
}

void revealFirstTick(HWND child, const ControlState& state, ShownContents& shown) {
    if (!shown.revealTick || !IsWindowVisible(child)) return;
    shown.revealTick = false;
    const auto first = std::find(state.checked.begin(), state.checked.end(), true);
    if (first == state.checked.end() || state.items.empty()) return;
    const auto row = static_cast<WPARAM>(first - state.checked.begin());
    // Space then ticks or clears the entry the user sees marked.
    LVITEMW item{};
    item.stateMask = LVIS_FOCUSED;
    item.state = LVIS_FOCUSED;
    SendMessageW(child, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendMessageW(child, LVM_ENSUREVISIBLE, row, FALSE);
}

void syncHorizontalExtent(HWND child, const ControlState& state, int dpiX) {
    const auto wanted = static_cast<WPARAM>(twipsToPixels(state.horizontalExtent, dpiX));
    if (static_cast<WPARAM>(SendMessageW(child, LB_GETHORIZONTALEXTENT, 0, 0)) != wanted)
        SendMessageW(child, LB_SETHORIZONTALEXTENT, wanted, 0);
}

void syncComboBox(HWND child, const ControlState& state, ShownContents& shown) {
    std::vector<std::wstring> rows;
    for (const auto& item : state.items) rows.push_back(toWide(item));
    if (rows != shown.rows) {
        SendMessageW(child, CB_RESETCONTENT, 0, 0);
        for (const auto& row : rows) SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        shown.rows = std::move(rows);
    }
    const LRESULT wanted = state.listIndex >= 0 && static_cast<size_t>(state.listIndex) < state.items.size() ? state.listIndex : CB_ERR;
    if (SendMessageW(child, CB_GETCURSEL, 0, 0) != wanted) SendMessageW(child, CB_SETCURSEL, static_cast<WPARAM>(wanted), 0);
}

void syncSlider(HWND child, const ControlState& state) {
    // The declaration carries no range: the usual 0 to 100, widened to take any position the form sets.
    const int low = std::min(0, state.number);
    const int high = std::max(kUsualSliderMax, state.number);
    if (SendMessageW(child, TBM_GETRANGEMIN, 0, 0) != low || SendMessageW(child, TBM_GETRANGEMAX, 0, 0) != high)
        SendMessageW(child, TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
    if (SendMessageW(child, TBM_GETPOS, 0, 0) != state.number) SendMessageW(child, TBM_SETPOS, TRUE, state.number);
}

void syncTree(HWND child, const ControlState& state, ShownContents& shown) {
    auto rows = treeRows(state);
    if (rows != shown.rows) {
        fillTree(child, state);
        shown.rows = std::move(rows);
    }
    HTREEITEM chosen = nullptr;
    eachTreeItem(child, TreeView_GetRoot(child), [&](HTREEITEM item, size_t index) {
        if (index >= state.nodes.size()) return;
        const auto& node = state.nodes[index];
        const UINT wanted = INDEXTOSTATEIMAGEMASK(stateImageFor(node.image));
        if ((TreeView_GetItemState(child, item, TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) != wanted)
            TreeView_SetItemState(child, item, wanted, TVIS_STATEIMAGEMASK);
        if (node.key == state.text) chosen = item;
    });
    if (chosen != nullptr && TreeView_GetSelection(child) != chosen) TreeView_SelectItem(child, chosen);
}

void syncProgress(HWND child, const ControlState& state) {
    const int wanted = std::clamp(state.number, 0, 100);
    if (SendMessageW(child, PBM_GETRANGE, FALSE, 0) != 100) SendMessageW(child, PBM_SETRANGE32, 0, 100);
    if (SendMessageW(child, PBM_GETPOS, 0, 0) != wanted) SendMessageW(child, PBM_SETPOS, static_cast<WPARAM>(wanted), 0);
}

void setDefaultLook(HWND button, bool isDefault) {
    SendMessageW(button, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

std::string treeItemKey(HWND tree, HTREEITEM item, const ControlState& state) {
    TVITEMW data{};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    if (item == nullptr || !TreeView_GetItem(tree, &data)) return {};
    const auto index = static_cast<size_t>(data.lParam);
    return index < state.nodes.size() ? state.nodes[index].key : std::string();
}

}  // namespace tw::win32::forms
