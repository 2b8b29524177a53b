// Per-week counts of what the filter checked and caught and of the mistakes the user corrected.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/OleDate.h"

namespace tw::settings {

class SettingsKey;
struct Settings;

/// Weeks run Monday 00:00 to Sunday 24:00 of the clock's local time.
inline constexpr int kWeeksKept = 12;

/// The serial day number of the Monday starting the week `when` falls in.
int64_t weekStartOf(OleDate when);
/// A serial day as "yyyy-mm-dd", the form the stored rows and the reports name weeks by.
std::string dayText(int64_t day);

/// One counter, week by week: at most twelve weeks, oldest first. Stored as one REG_SZ value of
/// rows "yyyy-mm-dd:count" joined by ",", each date the Monday its week starts on, for example
/// "2026-11-30:4,2026-12-07:1". Weeks without a count have no row.
class WeeklyCounts {
public:
    struct Week {
        int64_t start = 0;  // serial day of the Monday
        int32_t count = 0;
    };

    /// Adds to the week `weekStart`; weeks more than eleven weeks older than the newest are dropped.
    void add(int64_t weekStart, int32_t count);
    int32_t countFor(int64_t weekStart) const;
    /// The sum over the twelve weeks ending with `currentWeek`.
    int64_t total(int64_t currentWeek) const;
    const std::vector<Week>& weeks() const { return weeks_; }
    void clear() { weeks_.clear(); }

    std::string toText() const;
    /// Reads the stored form; rows that do not read as a date and a count of zero or more are skipped.
    static WeeklyCounts fromText(const std::string& text);

private:
    void dropOld();
    std::vector<Week> weeks_;
};

/// The mistakes the user corrects, and the filter's own work week by week.
enum class Mistake { falsePositive, missedSpam, legitimateReport };

struct WeeklyStats {
    WeeklyCounts checked;
    WeeklyCounts caught;
    WeeklyCounts falsePositives;     // approved out of the junk folder
    WeeklyCounts missedSpam;         // blocked or reported as spam from any other folder
    WeeklyCounts legitimateReports;  // reported as legitimate mail

    WeeklyCounts& of(Mistake mistake);
    void clear();
};

/// The registry value names of the five counters, in the order of `WeeklyStats`.
const std::vector<std::string>& weeklyValueNames();

/// Reads the five counters from the key; a missing or damaged value reads as no weeks.
WeeklyStats loadWeeklyStats(const SettingsKey& key);
/// Stores the five counters; false when any failed.
bool storeWeeklyStats(const SettingsKey& key, const WeeklyStats& stats);
/// Counts `count` mistakes in the week of `now` in the record, and stores that counter at once:
/// a correction the user made is not lost to a crash before shutdown. Never raises.
bool recordMistakes(const SettingsKey& key, Settings& record, Mistake mistake, int32_t count, OleDate now);

}  // namespace tw::settings
