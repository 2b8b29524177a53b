// Handlers of the log viewer window.
#include "diag/frmViewLog.h"

#include "core/StringTable.h"

namespace tw::diag {

namespace {
using platform::ControlKind;
using platform::ControlLook;
using platform::control;
using platform::withLook;
}  // namespace

const platform::FormDecl& frmViewLog::declaration() {
    static const platform::FormDecl decl{
        "frmViewLog", 340, 9600, 6600,
        {
            withLook(control(ControlKind::TextBox, "txtLog", 0, 120, 120, 9360, 5700, 0), ControlLook::readOnlyLines),
            control(ControlKind::CommandButton, "cmdClear", 342, 6840, 6045, 1215, 375, 1),
            control(ControlKind::CommandButton, "cmdClose", 334, 8265, 6045, 1215, 375, 2, true, true),
        }};
    return decl;
}

frmViewLog::frmViewLog(platform::FileSystem& files, platform::Shell& shell, platform::UserInterface& ui,
                       CErrorHandler& log)
    : files_(files), shell_(shell), ui_(ui), log_(log), controls_(declaration()) {
    controls_.onClick("cmdClear", [this] { cmdClear_Click(); });
    controls_.onClick("cmdClose", [this] { cmdClose_Click(); });
}

std::string frmViewLog::caption() const { return loadString(340); }
std::string frmViewLog::clearCaption() const { return loadString(342); }
std::string frmViewLog::closeCaption() const { return loadString(334); }

void frmViewLog::show() {
    Form_Load();
    try {
        ui_.showForm(*this, false);
    } catch (...) {
        log_.logError("frmViewLog show");
    }
}

void frmViewLog::Form_Load() {
    auto& text = controls_["txtLog"].text;
    text.clear();
    try {
        const std::string path = shell_.libraryFolder() + "\\report.txt";
        if (files_.fileExists(path)) text = files_.readAll(path);
    } catch (...) {
        log_.logError("frmViewLog Form_Load");
    }
}

void frmViewLog::cmdClear_Click() {
    try {
        const std::string folder = shell_.libraryFolder();
        for (const char* name : {"\\report.txt", "\\report0.txt"}) {
            const std::string path = folder + name;
            if (files_.fileExists(path)) files_.removeFile(path);
        }
    } catch (...) {
        log_.logError("frmViewLog cmdClear_Click");
    }
    Form_Load();
}

void frmViewLog::cmdClose_Click() {
    try {
        ui_.hideForm(*this);
    } catch (...) {
        log_.logError("frmViewLog cmdClose_Click");
    }
}

}  // namespace tw::diag
