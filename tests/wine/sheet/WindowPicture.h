// Photographs a top-level window, frame included, into a 24-bit .bmp file.
#pragma once

#include <windows.h>

#include <string>

namespace tw::sheet {

struct Picture {
    bool saved = false;
    /// Why nothing was saved, or what is wrong with what was: "all one colour".
    std::string problem;
};

/// Redraws the window and its children, then copies what the window shows from its own surface,
/// so another window lying over it does not spoil the picture.
Picture saveWindowPicture(HWND window, const std::wstring& path);

}  // namespace tw::sheet
