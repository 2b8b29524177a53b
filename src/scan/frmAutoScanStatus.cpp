// The status window's texts, its placement on the screen, its Cancel button and what it keeps when unloaded.
#include "scan/frmAutoScanStatus.h"

#include <algorithm>

#include "core/StringTable.h"
#include "core/Text.h"
#include "scan/AutoScan.h"
#include "scan/ScanHost.h"

namespace tw::scan {

namespace {
using platform::ControlKind;
using platform::ControlLook;
using platform::control;
using platform::withLook;
constexpr int kCaptionId = 139;
constexpr int kCancelId = 205;
constexpr int kProcessedId = 310;

/// A saved coordinate beyond the screen or negative (a display that changed since) centres the window.
int placed(int saved, int screen, int window) { return saved >= screen || saved < 0 ? (screen - window) / 2 : saved; }
/// Where the user left the window, brought back so all of it is on the screen.
int onScreen(int at, int screen, int window) { return std::clamp(at, 0, std::max(0, screen - window)); }
}  // namespace

const platform::FormDecl& frmAutoScanStatus::declaration() {
    static const platform::FormDecl decl{
        "frmAutoScanStatus", kCaptionId, 4800, 1560,
        {
            // A long folder path keeps its start and its last folder, losing the middle to "...".
            withLook(control(ControlKind::Label, "lblFolder", 0, 120, 180, 4455, 255), ControlLook::pathEllipsis),
            control(ControlKind::Label, "lblCounter", 0, 120, 540, 2895, 255),
            control(ControlKind::CommandButton, "cmdCancel", kCancelId, 3360, 960, 1215, 375, 0, false, true),
        }};
    return decl;
}

frmAutoScanStatus::frmAutoScanStatus(ScanHost& addin) : addin_(addin), controls_(declaration()) {
    controls_.onClick("cmdCancel", [this] { cmdCancel_Click(); });
}

void frmAutoScanStatus::Form_Load() {
    loaded_ = true;
    // The caption's string ends in a blank that has no place in a title bar.
    controls_.caption = text::trim(loadString(kCaptionId));
    controls_["cmdCancel"].caption = loadString(kCancelId);
    controls_["lblCounter"].caption = text::fillPlaceholder(loadString(kProcessedId), "0");
    const auto& s = addin_.settings();
    const auto& ui = addin_.platform().ui;
    controls_.left = placed(s.autoscan_status_left, ui.screenWidth(), declaration().width);
    controls_.top = placed(s.autoscan_status_top, ui.screenHeight(), declaration().height);
}

void frmAutoScanStatus::ensureLoaded() {
    if (!loaded_) Form_Load();
}

void frmAutoScanStatus::Form_Unload() {
    if (!loaded_) return;
    loaded_ = false;
    auto& log = addin_.log();
    log.LogErrorMessage("unloading frmAutoscanstatus");
    try {
        if (owner_ && controls_["cmdCancel"].visible) owner_->cancelAutoScan();
        const auto& ui = addin_.platform().ui;
        const int left = onScreen(controls_.left, ui.screenWidth(), declaration().width);
        const int top = onScreen(controls_.top, ui.screenHeight(), declaration().height);
        auto& s = addin_.settings();
        s.autoscan_status_left = left;
        s.autoscan_status_top = top;
        auto key = addin_.settingsKey();
        key.writeNumber("autoscan_status_left", left);
        key.writeNumber("autoscan_status_top", top);
    } catch (...) {
        log.logError("frmAutoScanStatus Form_Unload");
    }
    owner_ = nullptr;
    auto& ui = addin_.platform().ui;
    if (ui.isFormVisible(*this)) ui.hideForm(*this);
}

void frmAutoScanStatus::bind(AutoScan& owner) {
    ensureLoaded();
    owner_ = &owner;
    controls_["cmdCancel"].visible = true;
}

void frmAutoScanStatus::setFolderText(const std::string& text) {
    ensureLoaded();
    controls_["lblFolder"].caption = text;
}

void frmAutoScanStatus::showCount(int32_t count) {
    ensureLoaded();
    controls_["lblCounter"].caption = text::fillPlaceholder(loadString(kProcessedId), std::to_string(count));
    auto& ui = addin_.platform().ui;
    if (!ui.isFormVisible(*this)) ui.showForm(*this, false);
}

void frmAutoScanStatus::hide() {
    auto& ui = addin_.platform().ui;
    if (ui.isFormVisible(*this)) ui.hideForm(*this);
}

void frmAutoScanStatus::cmdCancel_Click() {
    if (owner_) owner_->cancelAutoScan();
    controls_["cmdCancel"].visible = false;
    hide();
}

void frmAutoScanStatus::move(int left, int top) {
    controls_.left = left;
    controls_.top = top;
}

}  // namespace tw::scan
