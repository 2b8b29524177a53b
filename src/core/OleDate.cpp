// Conversions of the mail client's date-time to calendar fields and its text forms.
#include "core/OleDate.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tw {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// 1970-01-01 is serial 25569.
constexpr int64_t kUnixEpochSerial = 25569;

// Days from 1970-01-01 for a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

// Whole seconds since the serial's epoch, rounded to the nearest second so that
// binary fractions such as 0.1 days do not lose a second.
int64_t totalSeconds(double serial) { return static_cast<int64_t>(std::llround(serial * kSecondsPerDay)); }

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

OleDate OleDate::fromCivil(const CivilTime& t) {
    int64_t days = daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) + kUnixEpochSerial;
    int64_t secs = t.hour * 3600 + t.minute * 60 + t.second;
    return OleDate(static_cast<double>(days) + static_cast<double>(secs) / kSecondsPerDay);
}

OleDate OleDate::fromUnixSeconds(int64_t seconds) {
    return OleDate(static_cast<double>(kUnixEpochSerial) + static_cast<double>(seconds) / kSecondsPerDay);
}

CivilTime OleDate::toCivil() const {
    int64_t secs = totalSeconds(serial_);
    int64_t days = floorDiv(secs, kSecondsPerDay);
    int64_t rest = secs - days * kSecondsPerDay;
    CivilTime t;
    civilFromDays(days - kUnixEpochSerial, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest % 3600 / 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

int64_t OleDate::toUnixSeconds() const { return totalSeconds(serial_) - kUnixEpochSerial * kSecondsPerDay; }

std::string OleDate::toRegistryText() const {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10f", serial_);
    std::string s(buf);
    // The C library follows the "C" locale here, so the point is always a point.
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

std::optional<OleDate> OleDate::parseRegistryText(std::string_view text) {
    std::string s;
    for (char c : text) {
        if (c == ' ' || c == '\t') continue;
        s += (c == ',') ? '.' : c;
    }
    if (s.empty()) return std::nullopt;
    bool digit = false, point = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') digit = true;
        else if (c == '.' && !point) point = true;
        else if (c == '-' && i == 0) continue;
        else return std::nullopt;
    }
    if (!digit) return std::nullopt;
    // Parse by hand so the user's locale cannot change the meaning of the point.
    double whole = 0, frac = 0, scale = 1;
    bool negative = s[0] == '-', inFrac = false;
    for (char c : s) {
        if (c == '-') continue;
        if (c == '.') { inFrac = true; continue; }
        if (!inFrac) whole = whole * 10 + (c - '0');
        else { scale /= 10; frac += (c - '0') * scale; }
    }
    double v = whole + frac;
    return OleDate(negative ? -v : v);
}

std::string OleDate::toFilterText() const {
    CivilTime t = toCivil();
    char buf[40];
    std::snprintf(buf, sizeof buf, "%s %02d %04d %02d:%02d", kMonths[(t.month - 1) % 12], t.day, t.year, t.hour, t.minute);
    return buf;
}

std::string OleDate::toIsoText() const {
    CivilTime t = toCivil();
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

int64_t secondsBetween(OleDate from, OleDate to) { return totalSeconds(to.serial()) - totalSeconds(from.serial()); }

int64_t minutesBetween(OleDate from, OleDate to) {
    return floorDiv(totalSeconds(to.serial()), 60) - floorDiv(totalSeconds(from.serial()), 60);
}

int64_t daysBetween(OleDate from, OleDate to) {
    return floorDiv(totalSeconds(to.serial()), kSecondsPerDay) - floorDiv(totalSeconds(from.serial()), kSecondsPerDay);
}

}  // namespace tw
