// Computing the twelve weeks' totals, rates and weekly bars from the weekly counters.
#include "diag/StatsFigures.h"

#include <algorithm>
#include <cstdio>

namespace tw::diag {

StatsFigures statsFigures(const settings::WeeklyStats& weekly, OleDate now) {
    StatsFigures f;
    const int64_t thisWeek = settings::weekStartOf(now);
    f.checked = weekly.checked.total(thisWeek);
    f.caught = weekly.caught.total(thisWeek);
    f.falsePositives = weekly.falsePositives.total(thisWeek);
    f.missedSpam = weekly.missedSpam.total(thisWeek);
    f.legitimateReports = weekly.legitimateReports.total(thisWeek);
    if (f.checked > 0)
        f.falsePositivesPerThousand = 1000.0 * static_cast<double>(f.falsePositives) / static_cast<double>(f.checked);
    if (f.caught + f.missedSpam > 0)
        f.missedPercent = 100.0 * static_cast<double>(f.missedSpam) / static_cast<double>(f.caught + f.missedSpam);
    for (int i = settings::kWeeksKept - 1; i >= 0; --i) {
        const int64_t week = thisWeek - 7 * i;
        StatsFigures::Week w{week, weekly.caught.countFor(week), weekly.missedSpam.countFor(week),
                             weekly.falsePositives.countFor(week)};
        f.largest = std::max({f.largest, w.caught, w.missed, w.falsePositives});
        f.weeks.push_back(w);
    }
    return f;
}

std::string oneDecimal(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return buffer;
}

std::string shortDayText(int64_t day) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const CivilTime t = OleDate(static_cast<double>(day)).toCivil();
    if (t.month < 1 || t.month > 12) return settings::dayText(day);
    return std::to_string(t.day) + " " + kMonths[t.month - 1];
}

}  // namespace tw::diag
