// Composing the statistics report and its weekly bar chart.
#include "host/StatsCommand.h"

#include <algorithm>
#include <utility>

#include "diag/StatsFigures.h"
#include "settings/RegistryAccess.h"
#include "settings/SettingsLoader.h"
#include "settings/WeeklyStats.h"

namespace tw::host {

namespace {
constexpr int kBarWidth = 40;

std::string bar(int32_t count, int32_t largest) {
    if (count <= 0 || largest <= 0) return {};
    // Any count at all shows at least one mark, so a single mistake is not lost beside thousands caught.
    int marks = static_cast<int>(int64_t{count} * kBarWidth / largest);
    return std::string(static_cast<size_t>(std::max(marks, 1)), '#');
}
}  // namespace

std::string statisticsReport(const settings::Settings& record, OleDate now) {
    const diag::StatsFigures f = diag::statsFigures(record.weekly, now);

    std::string out;
    out += "Messages processed: " + std::to_string(record.processed) + "\n";
    out += "Spam caught: " + std::to_string(record.caught) + "\n";
    out += "\nIn the last twelve weeks:\n";
    out += "  checked: " + std::to_string(f.checked) + ", caught: " + std::to_string(f.caught) + "\n";
    out += "  false positives (approved out of the junk folder): " + std::to_string(f.falsePositives) + "\n";
    out += "  spam missed (blocked or reported from other folders): " + std::to_string(f.missedSpam) + "\n";
    out += "  reported as legitimate: " + std::to_string(f.legitimateReports) + "\n";
    out += "  false positives per thousand checked: " +
           (f.falsePositivesPerThousand ? diag::oneDecimal(*f.falsePositivesPerThousand) : std::string("none checked")) +
           "\n";
    out += "  share of spam missed: " +
           (f.missedPercent ? diag::oneDecimal(*f.missedPercent) + "%" : std::string("no spam seen")) + "\n";

    out += "\nWeek starting  (caught / missed / false positives)\n";
    for (const auto& week : f.weeks) {
        const std::pair<const char*, int32_t> rows[] = {
            {"caught", week.caught}, {"missed", week.missed}, {"false+", week.falsePositives}};
        bool first = true;
        for (const auto& [label, count] : rows) {
            out += (first ? settings::dayText(week.start) : std::string(10, ' ')) + "  " + label + " |" +
                   bar(count, f.largest) + " " + std::to_string(count) + "\n";
            first = false;
        }
    }
    return out;
}

int runStatsCommand(HostSession& session, std::ostream& out) {
    settings::Settings record;
    settings::loadUserSettings(settings::SettingsKey(session.registry()), record, nullptr, nullptr);
    out << statisticsReport(record, session.loop().now());
    return 0;
}

}  // namespace tw::host
