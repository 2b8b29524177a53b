// Composing the statistics report and its weekly bar chart.
#include "host/StatsCommand.h"

#include <algorithm>
#include <cstdio>

#include "settings/RegistryAccess.h"
#include "settings/SettingsLoader.h"
#include "settings/WeeklyStats.h"

namespace tw::host {

namespace {
constexpr int kBarWidth = 40;

std::string fixed(double value, const char* format) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string bar(int32_t count, int32_t largest) {
    if (count <= 0 || largest <= 0) return {};
    // Any count at all shows at least one mark, so a single mistake is not lost beside thousands caught.
    int marks = static_cast<int>(int64_t{count} * kBarWidth / largest);
    return std::string(static_cast<size_t>(std::max(marks, 1)), '#');
}
}  // namespace

std::string statisticsReport(const settings::Settings& record, OleDate now) {
    const auto& w = record.weekly;
    const int64_t thisWeek = settings::weekStartOf(now);
    const int64_t checked = w.checked.total(thisWeek), caught = w.caught.total(thisWeek);
    const int64_t falsePositives = w.falsePositives.total(thisWeek), missed = w.missedSpam.total(thisWeek);

    std::string out;
    out += "Messages processed: " + std::to_string(record.processed) + "\n";
    out += "Spam caught: " + std::to_string(record.caught) + "\n";
    out += "\nIn the last twelve weeks:\n";
    out += "  checked: " + std::to_string(checked) + ", caught: " + std::to_string(caught) + "\n";
    out += "  false positives (approved out of the junk folder): " + std::to_string(falsePositives) + "\n";
    out += "  spam missed (blocked or reported from other folders): " + std::to_string(missed) + "\n";
    out += "  reported as legitimate: " + std::to_string(w.legitimateReports.total(thisWeek)) + "\n";
    out += "  false positives per thousand checked: " +
           (checked > 0 ? fixed(1000.0 * static_cast<double>(falsePositives) / static_cast<double>(checked), "%.1f")
                        : std::string("none checked")) +
           "\n";
    out += "  share of spam missed: " +
           (caught + missed > 0
                ? fixed(100.0 * static_cast<double>(missed) / static_cast<double>(caught + missed), "%.1f") + "%"
                : std::string("no spam seen")) +
           "\n";

    int32_t largest = 0;
    for (int i = 0; i < settings::kWeeksKept; ++i) {
        const int64_t week = thisWeek - 7 * i;
        largest = std::max({largest, w.caught.countFor(week), w.missedSpam.countFor(week), w.falsePositives.countFor(week)});
    }
    out += "\nWeek starting  (caught / missed / false positives)\n";
    for (int i = settings::kWeeksKept - 1; i >= 0; --i) {
        const int64_t week = thisWeek - 7 * i;
        const std::pair<const char*, int32_t> rows[] = {{"caught", w.caught.countFor(week)},
                                                        {"missed", w.missedSpam.countFor(week)},
                                                        {"false+", w.falsePositives.countFor(week)}};
        bool first = true;
        for (const auto& [label, count] : rows) {
            out += (first ? settings::dayText(week) : std::string(10, ' ')) + "  " + label + " |" + bar(count, largest) + " " +
                   std::to_string(count) + "\n";
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
