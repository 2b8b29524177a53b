// The status window's texts, its placement on the screen, its Cancel button and what it keeps when unloaded.
#include "scan/frmAutoScanStatus.h"

#include "core/StringTable.h"
#include "core/Text.h"
#include "scan/AutoScan.h"
#include "scan/ScanHost.h"

namespace tw::scan {

namespace {
using platform::ControlKind;
using platform::control;
constexpr int kCaptionId = 139;
constexpr int kCancelId = 205;
constexpr int kProcessedId = 310;

/// A saved coordinate beyond the screen or negative (a display that changed since) centres the window.
int placed(int saved, int screen, int window) { return saved >= screen || saved < 0 ? (screen - window) / 2 : saved; }
}  // namespace

const platform::FormDecl& frmAutoScanStatus::declaration() {
    static const platform::FormDecl decl{
        "frmAutoScanStatus", kCaptionId, 4800, 1560,
        {
            control(ControlKind::TextBox, "txtFolder", 0, 120, 120, 4455, 315),
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
    controls_.caption = loadString(kCaptionId);
    controls_["cmdCancel"].caption = loadString(kCancelId);
    controls_["lblCounter"].caption = text::fillPlaceholder(loadString(kProcessedId), "0");
    const auto& s = addin_.settings();
    const auto& ui = addin_.platform().ui;
    left_ = placed(s.autoscan_status_left, ui.screenWidth(), declaration().width);
    top_ = placed(s.autoscan_status_top, ui.screenHeight(), declaration().height);
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
        auto& s = addin_.settings();
        s.autoscan_status_left = left_;
        s.autoscan_status_top = top_;
        auto key = addin_.settingsKey();
        key.writeNumber("autoscan_status_left", left_);
        key.writeNumber("autoscan_status_top", top_);
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
    controls_["txtFolder"].text = text;
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
    left_ = left;
    top_ = top;
}

}  // namespace tw::scan
