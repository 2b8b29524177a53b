// Handlers of the statistics window.
#include "diag/frmStats.h"

#include "core/StringTable.h"
#include "core/Text.h"

namespace tw::diag {

namespace {
using platform::ControlKind;
using platform::control;
}  // namespace

const platform::FormDecl& frmStats::declaration() {
    static const platform::FormDecl decl{
        "frmStats", 332, 4320, 1920,
        {
            control(ControlKind::Label, "lblProcessed", 335, 240, 240, 3840, 255),
            control(ControlKind::Label, "lblCaught", 336, 240, 600, 3840, 255),
            control(ControlKind::CommandButton, "cmdReset", 333, 840, 1200, 1215, 375, 0),
            control(ControlKind::CommandButton, "cmdClose", 334, 2265, 1200, 1215, 375, 1, true, true),
        }};
    return decl;
}

frmStats::frmStats(platform::UserInterface& ui, settings::Settings& settings, StoreCounters storeCounters,
                   CErrorHandler& log)
    : ui_(ui), settings_(settings), storeCounters_(std::move(storeCounters)), log_(log), controls_(declaration()) {
    controls_.onClick("cmdReset", [this] { cmdReset_Click(); });
    controls_.onClick("cmdClose", [this] { cmdClose_Click(); });
}

std::string frmStats::caption() const { return loadString(332); }
std::string frmStats::resetCaption() const { return loadString(333); }
std::string frmStats::closeCaption() const { return loadString(334); }

void frmStats::show() {
    Form_Load();
    try {
        ui_.showForm(*this, false);
    } catch (...) {
        log_.logError("frmStats show");
    }
}

void frmStats::Form_Load() { refreshLabels(); }

void frmStats::refreshLabels() {
    controls_["lblProcessed"].caption = text::fillPlaceholder(loadString(335), std::to_string(settings_.processed));
    controls_["lblCaught"].caption = text::fillPlaceholder(loadString(336), std::to_string(settings_.caught));
}

void frmStats::store() {
    if (storeCounters_) storeCounters_(settings_.processed, settings_.caught);
}

void frmStats::cmdReset_Click() {
    try {
        settings_.processed = 0;
        settings_.caught = 0;
        settings_.weekly.clear();
        store();
    } catch (...) {
        log_.logError("frmStats cmdReset_Click");
    }
    refreshLabels();
}

void frmStats::cmdClose_Click() {
    // A counter that could not be stored must not keep the window open.
    try {
        store();
    } catch (...) {
        log_.logError("frmStats cmdClose_Click");
    }
    try {
        ui_.hideForm(*this);
    } catch (...) {
        log_.logError("frmStats cmdClose_Click");
    }
}

}  // namespace tw::diag
