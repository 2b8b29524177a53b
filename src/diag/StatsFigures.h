// The filter's figures over the last twelve weeks, as the statistics window and the stats command show them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/OleDate.h"
#include "settings/WeeklyStats.h"

namespace tw::diag {

struct StatsFigures {
    /// Totals over the twelve weeks ending with the current week.
    int64_t checked = 0, caught = 0, falsePositives = 0, missedSpam = 0, legitimateReports = 0;
    /// False positives per thousand checked; none while nothing was checked.
    std::optional<double> falsePositivesPerThousand;
    /// The percentage of the spam seen (caught and missed) that was missed; none while no spam was seen.
    std::optional<double> missedPercent;

    struct Week {
        int64_t start = 0;  // serial day of the Monday
        int32_t caught = 0, missed = 0, falsePositives = 0;
    };
    /// The twelve weeks, oldest first, the current one last.
    std::vector<Week> weeks;
    /// The largest of the weekly counts, the top of the chart's scale (0 when all are 0).
    int32_t largest = 0;
};

/// The figures of the record's weekly counters for the weeks ending with the week of `now`.
StatsFigures statsFigures(const settings::WeeklyStats& weekly, OleDate now);

/// A rate as shown: one decimal, for example "2.5".
std::string oneDecimal(double value);
/// A week's first day, short enough to stand under a chart's bars: "30 Nov".
std::string shortDayText(int64_t day);

}  // namespace tw::diag
