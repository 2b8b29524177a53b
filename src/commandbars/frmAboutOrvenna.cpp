// The About window's texts and buttons. The logo is a picture box of the declaration: every view
// loads it from the add-in's resources in memory (the bitmap ABOUTLOGO), never through a file.
#include "commandbars/frmAboutOrvenna.h"

#include "core/StringTable.h"

namespace tw::commandbars {

namespace {
using platform::ControlKind;
using platform::ControlLook;
using platform::control;
using platform::withLook;
constexpr const char* kMsInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kToolsLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
}  // namespace

const platform::FormDecl& frmAboutOrvenna::declaration() {
    static const platform::FormDecl decl{
        "frmAboutOrvenna", 940, 5730, 3660,
        {
            control(ControlKind::PictureBox, "imgLogo", 0, 120, 120, 1440, 1440, -1, false, false, false, "ABOUTLOGO"),
            withLook(control(ControlKind::Label, "lblTitle", 134, 1680, 120, 3885, 480), ControlLook::title),
            control(ControlKind::Label, "lblVersion", 350, 1680, 660, 3885, 225),
            control(ControlKind::Label, "lblNotice1", 351, 1680, 1020, 3885, 450),
            control(ControlKind::Label, "lblNotice2", 352, 120, 1680, 5445, 825),
            control(ControlKind::CommandButton, "cmdOK", 204, 4245, 2625, 1260, 375, 0, true, true),
            control(ControlKind::CommandButton, "cmdSysInfo", 941, 4245, 3075, 1260, 375, 1),
        }};
    return decl;
}

frmAboutOrvenna::frmAboutOrvenna(platform::Platform& platform, diag::CErrorHandler& log)
    : platform_(platform), log_(log), controls_(declaration()) {
    controls_.onClick("cmdOK", [this] { cmdOK_Click(); });
    controls_.onClick("cmdSysInfo", [this] { cmdSysInfo_Click(); });
}

void frmAboutOrvenna::show() {
    try {
        platform_.ui.showForm(*this, true);
    } catch (...) {
        log_.logError("frmAboutOrvenna show");
    }
}

void frmAboutOrvenna::cmdOK_Click() { platform_.ui.hideForm(*this); }

void frmAboutOrvenna::cmdSysInfo_Click() {
    try {
        std::string program;
        auto path = platform_.registry.queryValue(platform::Hive::LocalMachine, kMsInfoKey, "PATH");
        if (path && !path->text.empty()) program = path->text;
        if (program.empty()) {
            auto folder = platform_.registry.queryValue(platform::Hive::LocalMachine, kToolsLocationKey, "MSINFO");
            if (folder && !folder->text.empty() && platform_.files.fileExists(folder->text + "\\MSINFO32.EXE"))
                program = folder->text + "\\MSINFO32.EXE";
        }
        if (program.empty()) {
            platform_.ui.MsgBox(loadString(942), platform::vbOKOnly, loadString(134));
            return;
        }
        platform_.shell.startProgram(program, 1);
    } catch (...) {
        log_.logError("cmdSysInfo_Click");
    }
}

}  // namespace tw::commandbars
