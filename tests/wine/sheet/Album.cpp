// The sheet's output folder and its list of pictures.
#include "sheet/Album.h"

#include "sheet/WindowPicture.h"
#include "win32/TextEncoding.h"

namespace tw::sheet {
namespace {

/// Letters, digits, '-' and '_' as they are; anything else becomes '_'.
std::string fileStem(const std::string& stem) {
    std::string out;
    for (const char c : stem) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        out += plain ? c : '_';
    }
    return out;
}

std::string twoDigits(int number) { return (number < 10 ? "0" : "") + std::to_string(number); }

}  // namespace

// Binary: the list is read on Linux, one line to a "\n".
Album::Album(const std::wstring& folder) : folder_(folder) { list_ = _wfopen((folder + L"\\sheet.txt").c_str(), L"wb"); }

Album::~Album() {
    if (list_ != nullptr) fclose(list_);
}

void Album::line(const char* kind, const std::string& file, const std::string& text) {
    if (list_ != nullptr) {
        fprintf(list_, "%s\t%s\t%s\n", kind, file.c_str(), text.c_str());
        fflush(list_);
    }
}

void Album::photograph(HWND window, const std::string& stem, const std::string& label, const ControlNamer& nameOf) {
    const std::string file = twoDigits(++taken_) + "-" + fileStem(stem) + ".bmp";
    const Picture picture = saveWindowPicture(window, folder_ + L"\\" + win32::toWide(file));
    if (!picture.saved) {
        problem(label + ": no picture: " + picture.problem);
        return;
    }
    ++pictures_;
    lastFile_ = file;
    line("picture", file, label);
    printf("sheet: %s -> %s\n", label.c_str(), file.c_str());
    fflush(stdout);
    if (!picture.problem.empty()) fault(picture.problem);
    if (!nameOf) return;
    for (const std::string& seen : checkWindow(window, nameOf)) fault(seen);
}

void Album::fault(const std::string& text) {
    line("fault", lastFile_, text);
    printf("sheet:   fault: %s\n", text.c_str());
    fflush(stdout);
}

void Album::noWindow(const std::string& form, const std::string& why) {
    line("nowindow", "-", form + ": " + why);
    printf("sheet: %s: no window (%s)\n", form.c_str(), why.c_str());
    fflush(stdout);
}

void Album::problem(const std::string& text) {
    ++problems_;
    line("problem", "-", text);
    printf("sheet: PROBLEM: %s\n", text.c_str());
    fflush(stdout);
}

}  // namespace tw::sheet
