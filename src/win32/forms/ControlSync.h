// Drawing a control's state into its child window, touching only what differs so a redraw after
// each handler keeps the caret, the scroll position and the open drop-down where the user left them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/FormControls.h"

namespace tw::win32::forms {

/// What a list, combo box or tree last showed, so unchanged contents are not refilled.
struct ShownContents {
    std::vector<std::wstring> rows;
    /// A tick list filled anew scrolls its first ticked entry into view once it shows.
    bool revealTick = false;
};

/// The tree's tick images (2 ticked, 3 cleared) are drawn as the tree's check boxes.
inline constexpr int kTickedImage = 2;
inline constexpr int kClearedImage = 3;

/// Twips at the screen's dots per inch.
int twipsToPixels(int twips, int dotsPerInch);

std::wstring windowText(HWND window);
void setTextIfChanged(HWND window, const std::wstring& text);
void syncVisibility(HWND child, const platform::ControlState& state);
void syncGeometry(HWND child, const platform::ControlState& state, int dpiX, int dpiY);
void syncListBox(HWND child, const platform::ControlState& state, ShownContents& shown);
/// A tick list (a list view with check boxes): its entries, ticks, selection and the width its one
/// column scrolls across.
void syncCheckList(HWND child, const platform::ControlState& state, ShownContents& shown, int dpiX);
/// Scrolls a shown tick list filled anew to its first ticked entry, which takes the focus mark.
void revealFirstTick(HWND child, const platform::ControlState& state, ShownContents& shown);
/// How far a list scrolls sideways: the form's measure of its widest entry, in pixels.
void syncHorizontalExtent(HWND child, const platform::ControlState& state, int dpiX);
void syncComboBox(HWND child, const platform::ControlState& state, ShownContents& shown);
void syncSlider(HWND child, const platform::ControlState& state);
void syncTree(HWND child, const platform::ControlState& state, ShownContents& shown);
/// A progress bar from 0 to 100 at the state's number.
void syncProgress(HWND child, const platform::ControlState& state);
/// Draws a command button as the default one or as a plain one.
void setDefaultLook(HWND button, bool isDefault);

/// The key of a tree item, from the node index the item carries.
std::string treeItemKey(HWND tree, HTREEITEM item, const platform::ControlState& state);

}  // namespace tw::win32::forms
