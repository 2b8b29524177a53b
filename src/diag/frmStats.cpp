// Handlers of the statistics window.
#include "diag/frmStats.h"

#include "core/StringTable.h"
#include "core/Text.h"
#include "diag/StatsFigures.h"

namespace tw::diag {

namespace {
using platform::ControlKind;
using platform::control;
}  // namespace

const platform::FormDecl& frmStats::declaration() {
    static const platform::FormDecl decl{
        "frmStats", 332, 6840, 6480,
        {
            control(ControlKind::Label, "lblProcessed", 335, 240, 240, 6360, 255),
            control(ControlKind::Label, "lblCaught", 336, 240, 540, 6360, 255),
            control(ControlKind::Label, "lblWeeks", 0, 240, 960, 6360, 255),
            control(ControlKind::Label, "lblFalsePositives", 0, 240, 1260, 6360, 255),
            control(ControlKind::Label, "lblMissed", 0, 240, 1560, 6360, 255),
            control(ControlKind::Label, "lblLegitimate", 0, 240, 1860, 6360, 255),
            control(ControlKind::Label, "lblFalsePositiveRate", 0, 240, 2160, 6360, 255),
            control(ControlKind::Label, "lblMissedShare", 0, 240, 2460, 6360, 255),
            control(ControlKind::BarChart, "chtWeeks", 0, 240, 2880, 6360, 2880),
            control(ControlKind::CommandButton, "cmdReset", 333, 3840, 5940, 1215, 375, 0),
            control(ControlKind::CommandButton, "cmdClose", 334, 5265, 5940, 1215, 375, 1, true, true),
        }};
    return decl;
}

frmStats::frmStats(platform::UserInterface& ui, settings::Settings& settings, platform::Clock& clock,
                   StoreCounters storeCounters, CErrorHandler& log)
    : ui_(ui), settings_(settings), clock_(clock), storeCounters_(std::move(storeCounters)), log_(log),
      controls_(declaration()) {
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
    const auto fill = [](int id, const std::string& value) { return text::fillPlaceholder(loadString(id), value); };
    controls_["lblProcessed"].caption = fill(335, std::to_string(settings_.processed));
    controls_["lblCaught"].caption = fill(336, std::to_string(settings_.caught));

    const StatsFigures f = statsFigures(settings_.weekly, clock_.now());
    controls_["lblWeeks"].caption =
        text::replaceAll(fill(1300, std::to_string(f.checked)), "%2", std::to_string(f.caught));
    controls_["lblFalsePositives"].caption = fill(1301, std::to_string(f.falsePositives));
    controls_["lblMissed"].caption = fill(1302, std::to_string(f.missedSpam));
    controls_["lblLegitimate"].caption = fill(1303, std::to_string(f.legitimateReports));
    controls_["lblFalsePositiveRate"].caption =
        fill(1304, f.falsePositivesPerThousand ? oneDecimal(*f.falsePositivesPerThousand) : loadString(1306));
    controls_["lblMissedShare"].caption =
        fill(1305, f.missedPercent ? oneDecimal(*f.missedPercent) + "%" : loadString(1307));

    auto& chart = controls_["chtWeeks"];
    chart.items.clear();
    chart.series = {{loadString(1308), {}}, {loadString(1309), {}}, {loadString(1310), {}}};
    for (const auto& week : f.weeks) {
        chart.items.push_back(shortDayText(week.start));
        chart.series[0].values.push_back(week.caught);
        chart.series[1].values.push_back(week.missed);
        chart.series[2].values.push_back(week.falsePositives);
    }
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
