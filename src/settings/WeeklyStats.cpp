// The weekly counters, their stored form and their registry values.
#include "settings/WeeklyStats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/Text.h"
#include "settings/RegistryAccess.h"
#include "settings/Settings.h"

namespace tw::settings {

namespace {
constexpr int64_t kFirstMonday = 2;  // serial day 2 is Monday 1 January 1900

bool readNumber(std::string_view text, int& out) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

/// "yyyy-mm-dd" as a serial day; false for anything else or an impossible date.
bool readDate(std::string_view text, int64_t& day) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    int year = 0, month = 0, dayOfMonth = 0;
    if (!readNumber(text.substr(0, 4), year) || !readNumber(text.substr(5, 2), month) ||
        !readNumber(text.substr(8, 2), dayOfMonth))
        return false;
    if (year < 1900 || month < 1 || month > 12 || dayOfMonth < 1 || dayOfMonth > 31) return false;
    CivilTime civil{year, month, dayOfMonth};
    OleDate date = OleDate::fromCivil(civil);
    CivilTime back = date.toCivil();
    if (back.month != month || back.day != dayOfMonth) return false;  // 31 February and the like
    day = static_cast<int64_t>(std::floor(date.serial()));
    return true;
}
}  // namespace

std::string dayText(int64_t day) {
    CivilTime t = OleDate(static_cast<double>(day)).toCivil();
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.year, t.month, t.day);
    return buffer;
}

int64_t weekStartOf(OleDate when) {
    const auto day = static_cast<int64_t>(std::floor(when.serial()));
    return day - (((day - kFirstMonday) % 7) + 7) % 7;
}

void WeeklyCounts::add(int64_t weekStart, int32_t count) {
    auto at = std::lower_bound(weeks_.begin(), weeks_.end(), weekStart,
                               [](const Week& w, int64_t start) { return w.start < start; });
    if (at != weeks_.end() && at->start == weekStart) {
        // A counter that would pass the largest stored number stays at it.
        at->count = static_cast<int32_t>(std::min<int64_t>(int64_t{at->count} + count, INT32_MAX));
    } else {
        weeks_.insert(at, Week{weekStart, count});
    }
    dropOld();
}

void WeeklyCounts::dropOld() {
    if (weeks_.empty()) return;
    const int64_t oldestKept = weeks_.back().start - 7 * (kWeeksKept - 1);
    weeks_.erase(std::remove_if(weeks_.begin(), weeks_.end(), [&](const Week& w) { return w.start < oldestKept; }),
                 weeks_.end());
}

int32_t WeeklyCounts::countFor(int64_t weekStart) const {
    for (const auto& w : weeks_)
        if (w.start == weekStart) return w.count;
    return 0;
}

int64_t WeeklyCounts::total(int64_t currentWeek) const {
    int64_t sum = 0;
    for (const auto& w : weeks_)
        if (w.start <= currentWeek && w.start > currentWeek - 7 * kWeeksKept) sum += w.count;
    return sum;
}

std::string WeeklyCounts::toText() const {
    std::string out;
    for (const auto& w : weeks_) {
        if (!out.empty()) out += ',';
        out += dayText(w.start) + ':' + std::to_string(w.count);
    }
    return out;
}

WeeklyCounts WeeklyCounts::fromText(const std::string& text) {
    WeeklyCounts counts;
    for (const auto& row : text::split(text, ",")) {
        const std::string trimmed = text::trim(row);
        auto colon = trimmed.find(':');
        if (colon == std::string::npos) continue;
        int64_t day = 0;
        int count = 0;
        if (!readDate(std::string_view(trimmed).substr(0, colon), day)) continue;
        if (!readNumber(std::string_view(trimmed).substr(colon + 1), count) || count < 0) continue;
        counts.add(weekStartOf(OleDate(static_cast<double>(day))), count);
    }
    return counts;
}

WeeklyCounts& WeeklyStats::of(Mistake mistake) {
    switch (mistake) {
    case Mistake::falsePositive: return falsePositives;
    case Mistake::missedSpam: return missedSpam;
    case Mistake::legitimateReport: break;
    }
    return legitimateReports;
}

void WeeklyStats::clear() {
    for (WeeklyCounts* c : {&checked, &caught, &falsePositives, &missedSpam, &legitimateReports}) c->clear();
}

const std::vector<std::string>& weeklyValueNames() {
    static const std::vector<std::string> names{"weeklyChecked", "weeklyCaught", "weeklyFalsePositives",
                                                "weeklyMissedSpam", "weeklyLegitimateReports"};
    return names;
}

namespace {
std::vector<WeeklyCounts*> series(WeeklyStats& s) {
    return {&s.checked, &s.caught, &s.falsePositives, &s.missedSpam, &s.legitimateReports};
}

const std::string& valueNameOf(Mistake mistake) {
    const auto& names = weeklyValueNames();
    switch (mistake) {
    case Mistake::falsePositive: return names[2];
    case Mistake::missedSpam: return names[3];
    case Mistake::legitimateReport: break;
    }
    return names[4];
}
}  // namespace

WeeklyStats loadWeeklyStats(const SettingsKey& key) {
    WeeklyStats stats;
    auto all = series(stats);
    for (size_t i = 0; i < all.size(); ++i) {
        try {
            RegVariant v = key.read(weeklyValueNames()[i]);
            if (v.isText()) *all[i] = WeeklyCounts::fromText(v.text());
        } catch (...) {
        }
    }
    return stats;
}

bool storeWeeklyStats(const SettingsKey& key, const WeeklyStats& stats) {
    const std::vector<const WeeklyCounts*> all{&stats.checked, &stats.caught, &stats.falsePositives,
                                               &stats.missedSpam, &stats.legitimateReports};
    bool ok = true;
    for (size_t i = 0; i < all.size(); ++i) ok = key.writeString(weeklyValueNames()[i], all[i]->toText()) && ok;
    return ok;
}

bool recordMistakes(const SettingsKey& key, Settings& record, Mistake mistake, int32_t count, OleDate now) {
    if (count <= 0) return true;
    try {
        WeeklyCounts& counts = record.weekly.of(mistake);
        counts.add(weekStartOf(now), count);
        return key.writeString(valueNameOf(mistake), counts.toText());
    } catch (...) {
        return false;
    }
}

}  // namespace tw::settings
