// The progress window's texts and its Cancel.
#include "twupdate/frmTwupdate.h"

namespace tw::twupdate {

namespace {
using platform::ControlKind;
using platform::control;
}  // namespace

const platform::FormDecl& frmTwupdate::declaration() {
    static const platform::FormDecl decl{
        "frmTwupdate", 0, 5400, 1995,
        {
            control(ControlKind::Label, "lblStatus", 0, 240, 240, 4920, 480),
            control(ControlKind::ProgressBar, "prgDownload", 0, 240, 840, 4920, 240),
            control(ControlKind::CommandButton, "cmdCancel", 0, 2093, 1320, 1215, 375, 0, true, true),
        }};
    return decl;
}

frmTwupdate::frmTwupdate(Updater& updater, platform::UserInterface& ui)
    : updater_(updater), ui_(ui), controls_(declaration()) {
    controls_.caption = "Tarnwick update";
    controls_["cmdCancel"].caption = "Cancel";
    controls_.onClick("cmdCancel", [this] { cmdCancel_Click(); });
    showProgress(0);
}

// The fetch library tells no byte counts: the bar moves by steps of the update, and the text counts
// the seconds to show that the download is alive.
void frmTwupdate::showProgress(int elapsedSeconds) {
    const std::string seconds = " (" + std::to_string(elapsedSeconds) + " s)";
    auto& status = controls_["lblStatus"].caption;
    auto& bar = controls_["prgDownload"].number;
    switch (updater_.stage()) {
        case UpdateStage::manifest:
            status = "Asking the Tarnwick service for the new release...";
            bar = 5;
            break;
        case UpdateStage::package:
            status = "Downloading the new release, " + std::to_string((updater_.packageSize() + 1023) / 1024) +
                     " KB" + seconds;
            bar = 10;
            break;
        case UpdateStage::saving:
        case UpdateStage::done:
            status = "Checked. Starting the installer...";
            bar = 100;
            controls_["cmdCancel"].enabled = false;
            break;
    }
}

void frmTwupdate::cmdCancel_Click() {
    cancelled_ = true;
    updater_.cancel();
    ui_.hideForm(*this);
}

}  // namespace tw::twupdate
