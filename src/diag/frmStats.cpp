// Handlers of the statistics window.
#include "diag/frmStats.h"

#include "core/StringTable.h"
#include "core/Text.h"

namespace tw::diag {

frmStats::frmStats(platform::UserInterface& ui, settings::Settings& settings, StoreCounters storeCounters,
                   CErrorHandler& log)
    : ui_(ui), settings_(settings), storeCounters_(std::move(storeCounters)), log_(log) {}

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
    processedLabel_ = text::fillPlaceholder(loadString(335), std::to_string(settings_.processed));
    caughtLabel_ = text::fillPlaceholder(loadString(336), std::to_string(settings_.caught));
}

void frmStats::store() {
    if (storeCounters_) storeCounters_(settings_.processed, settings_.caught);
}

void frmStats::cmdReset_Click() {
    try {
        settings_.processed = 0;
        settings_.caught = 0;
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
