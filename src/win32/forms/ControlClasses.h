// The window class and styles each kind of declared control is drawn with on Windows.
#pragma once

#include <windows.h>

#include "platform/FormControls.h"

namespace tw::win32::forms {

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

/// The child window a declared control becomes; the caller adds WS_CHILD and visibility, and
/// finishes it with finishControl once it is made.
ControlClass controlClassFor(const platform::ControlDecl& decl);

/// What a control needs after it is made and before it is filled: a tree's tick boxes (a tree
/// given TVS_CHECKBOXES at creation may show every box cleared) and a tick list's check boxes and
/// its one column.
void finishControl(HWND child, const platform::ControlDecl& decl);

/// Loads the common controls the table uses (tree view, list view, trackbar, up-down, progress bar); once per process.
void initCommonControls();

}  // namespace tw::win32::forms
