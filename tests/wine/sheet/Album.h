// The sheet's output folder: one picture per window, numbered in the order taken, and the list
// "sheet.txt" that scripts/dialog-sheet.sh reads to label them and to report what it found.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "sheet/WindowCheck.h"

namespace tw::sheet {

/// Lines of sheet.txt, tab-separated: "picture FILE LABEL", "fault FILE TEXT" (a fault seen in that
/// picture), "nowindow - FORM: WHY" (a form that has no window to photograph) and "problem - TEXT".
class Album {
public:
    /// The folder must exist.
    explicit Album(const std::wstring& folder);
    ~Album();
    Album(const Album&) = delete;
    Album& operator=(const Album&) = delete;

    bool ready() const { return list_ != nullptr; }
    /// Photographs the window as "NN-stem.bmp" and, given the names of its controls, looks it over for faults.
    void photograph(HWND window, const std::string& stem, const std::string& label, const ControlNamer& nameOf);
    /// A fault seen in the picture taken last.
    void fault(const std::string& text);
    /// A form with no window, and why: it declares no controls, or none appeared.
    void noWindow(const std::string& form, const std::string& why);
    /// Something that went wrong while taking the pictures.
    void problem(const std::string& text);

    int pictures() const { return pictures_; }
    int problems() const { return problems_; }

private:
    void line(const char* kind, const std::string& file, const std::string& text);

    std::wstring folder_;
    FILE* list_ = nullptr;
    std::string lastFile_;
    int taken_ = 0, pictures_ = 0, problems_ = 0;
};

}  // namespace tw::sheet
