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

/// The child window a declared control becomes; the caller adds WS_CHILD and visibility.
ControlClass controlClassFor(const platform::ControlDecl& decl);

/// Loads the common controls the table uses (tree view, trackbar, up-down, progress bar); once per process.
void initCommonControls();

}  // namespace tw::win32::forms
