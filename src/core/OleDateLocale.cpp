// The mail client's date-time written and read in the user's regional short date and time formats.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string>
#include <vector>

#include "core/OleDate.h"

namespace tw {

namespace {

const char* const kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

/// One piece of a picture: a run of one code letter ("dd", "MMM", "tt") or literal text.
struct Piece {
    char code = 0;  // 0: literal
    size_t count = 0;
    std::string literal;
};

bool isCode(char c) { return std::string_view("dMyghHmst").find(c) != std::string_view::npos; }

std::vector<Piece> splitPicture(std::string_view picture) {
    std::vector<Piece> pieces;
    auto addLiteral = [&](char c) {
        if (pieces.empty() || pieces.back().code != 0) pieces.push_back({});
        pieces.back().literal += c;
    };
    for (size_t i = 0; i < picture.size();) {
        char c = picture[i];
        if (c == '\'') {
            size_t close = picture.find('\'', i + 1);
            if (close == std::string_view::npos) close = picture.size();
            if (close == i + 1) addLiteral('\'');
            for (size_t k = i + 1; k < close; ++k) addLiteral(picture[k]);
            i = close + 1;
        } else if (isCode(c)) {
            size_t n = 1;
            while (i + n < picture.size() && picture[i + n] == c) ++n;
            pieces.push_back({c, n, {}});
            i += n;
        } else {
            addLiteral(c);
            ++i;
        }
    }
    return pieces;
}

/// The time picture without its seconds and the separator before them ("h:mm:ss tt" -> "h:mm tt").
std::vector<Piece> withoutSeconds(std::vector<Piece> pieces) {
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].code != 's') continue;
        size_t from = (i > 0 && pieces[i - 1].code == 0) ? i - 1 : i;
        pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(from), pieces.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        i = from;
        if (i > 0) --i;
    }
    return pieces;
}

std::string number(int value, size_t width) {
    std::string s = std::to_string(value);
    while (s.size() < width) s.insert(s.begin(), '0');
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

void skipBlanks(std::string_view s, size_t& i) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
}

bool readInt(std::string_view s, size_t& i, int& out, size_t maxDigits) {
    size_t start = i;
    out = 0;
    while (i < s.size() && i - start < maxDigits && s[i] >= '0' && s[i] <= '9') out = out * 10 + (s[i++] - '0');
    return i > start;
}

/// An English month name or its first three letters; 0 when there is none at i.
int readMonthName(std::string_view s, size_t& i) {
    size_t start = i;
    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) ++i;
    std::string word = lower(s.substr(start, i - start));
    for (int m = 0; m < 12; ++m)
        if (word == lower(kShortMonths[m]) || word == lower(kLongMonths[m])) return m + 1;
    return 0;
}

/// Two-digit years fall in 1930-2029, as the system's default window has them.
int fullYear(int year, size_t digits) { return digits <= 2 ? (year < 30 ? 2000 + year : 1900 + year) : year; }

bool readDateByPicture(std::string_view s, size_t& i, const DateLocale& locale, CivilTime& t) {
    for (const Piece& p : splitPicture(locale.shortDate)) {
        if (p.code == 0) {
            std::string_view lit = p.literal;
            for (char c : lit) {
                if (c == ' ') {
                    skipBlanks(s, i);
                    continue;
                }
                if (i >= s.size() || s[i] != c) return false;
                ++i;
            }
            continue;
        }
        switch (p.code) {
            case 'd':
                if (p.count >= 3) {  // a day name says nothing the date does not
                    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) ++i;
                } else if (!readInt(s, i, t.day, 2)) {
                    return false;
                }
                break;
            case 'M':
                if (p.count >= 3) {
                    if (!locale.englishMonthNames || (t.month = readMonthName(s, i)) == 0) return false;
                } else if (!readInt(s, i, t.month, 2)) {
                    return false;
                }
                break;
            case 'y': {
                size_t start = i;
                if (!readInt(s, i, t.year, p.count <= 2 ? 2 : 4)) return false;
                t.year = fullYear(t.year, i - start);
                break;
            }
            case 'g':
                while (i < s.size() && (std::isalpha(static_cast<unsigned char>(s[i])) || s[i] == '.')) ++i;
                break;
            default:
                return false;
        }
    }
    return true;
}

bool readEnglishDate(std::string_view s, size_t& i, CivilTime& t) {
    if ((t.month = readMonthName(s, i)) == 0) return false;
    skipBlanks(s, i);
    if (!readInt(s, i, t.day, 2)) return false;
    if (i < s.size() && s[i] == ',') ++i;
    skipBlanks(s, i);
    size_t start = i;
    if (!readInt(s, i, t.year, 4)) return false;
    t.year = fullYear(t.year, i - start);
    return true;
}

bool startsWithDesignator(std::string_view s, size_t i, const std::string& designator) {
    return !designator.empty() && s.size() - i >= designator.size() && lower(s.substr(i, designator.size())) == lower(designator);
}

/// Optional "h:mm[:ss]" with an optional designator, before or after the digits.
bool readTime(std::string_view s, size_t& i, const DateLocale& locale, CivilTime& t) {
    skipBlanks(s, i);
    if (i == s.size()) return true;
    int half = 0;  // 1 morning, 2 afternoon
    auto designator = [&] {
        skipBlanks(s, i);
        for (int k = 0; k < 2 && half == 0; ++k) {
            const std::string& d = k == 0 ? locale.am : locale.pm;
            if (startsWithDesignator(s, i, d)) {
                half = k + 1;
                i += d.size();
            }
        }
        skipBlanks(s, i);
    };
    designator();
    if (!readInt(s, i, t.hour, 2) || i >= s.size() || s[i++] != ':' || !readInt(s, i, t.minute, 2)) return false;
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!readInt(s, i, t.second, 2)) return false;
    }
    if (half == 0) designator();
    if (i != s.size()) return false;
    if (half != 0) {
        if (t.hour < 1 || t.hour > 12) return false;
        t.hour = t.hour % 12 + (half == 2 ? 12 : 0);
    }
    return t.hour < 24 && t.minute < 60 && t.second < 60;
}

bool validDay(const CivilTime& t) {
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.year < 100 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > days[t.month - 1]) return false;
    bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    return t.month != 2 || t.day <= 28 || leap;
}

std::string formatByPicture(const std::vector<Piece>& pieces, const CivilTime& t, const DateLocale& locale) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kLongDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    std::string out;
    int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    const std::string& designator = t.hour < 12 ? locale.am : locale.pm;
    for (const Piece& p : pieces) {
        switch (p.code) {
            case 0: out += p.literal; break;
            case 'd':
                if (p.count <= 2) {
                    out += number(t.day, p.count);
                } else {
                    // 1899-12-30, serial 0, was a Saturday.
                    int64_t days = static_cast<int64_t>(OleDate::fromCivil({t.year, t.month, t.day}).serial());
                    int weekday = static_cast<int>(((days % 7) + 7 + 6) % 7);
                    out += p.count == 3 ? kDays[weekday] : kLongDays[weekday];
                }
                break;
            case 'M':
                out += p.count <= 2 ? number(t.month, p.count) : (p.count == 3 ? kShortMonths[t.month - 1] : kLongMonths[t.month - 1]);
                break;
            case 'y':
                out += p.count <= 2 ? number(t.year % 100, p.count) : number(t.year, 4);
                break;
            case 'h': out += number(hour12, std::min<size_t>(p.count, 2)); break;
            case 'H': out += number(t.hour, std::min<size_t>(p.count, 2)); break;
            case 'm': out += number(t.minute, std::min<size_t>(p.count, 2)); break;
            case 's': out += number(t.second, std::min<size_t>(p.count, 2)); break;
            case 't': out += p.count == 1 ? designator.substr(0, 1) : designator; break;
            default: break;  // the era ('g') of a Gregorian date writes nothing
        }
    }
    return out;
}

}  // namespace

std::string OleDate::toLocaleText(const DateLocale& locale) const {
    CivilTime t = toCivil();
    std::string date = formatByPicture(splitPicture(locale.shortDate), t, locale);
    std::string time = formatByPicture(withoutSeconds(splitPicture(locale.time)), t, locale);
    while (!time.empty() && time.back() == ' ') time.pop_back();
    return date + " " + time;
}

std::optional<OleDate> OleDate::parseLocaleText(std::string_view text, const DateLocale& locale) {
    size_t i = 0;
    skipBlanks(text, i);
    std::string_view s = text;
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    CivilTime t;
    t.year = 0;
    t.month = 0;
    t.day = 0;
    size_t start = i;
    bool read = readDateByPicture(s, i, locale, t);
    // "Dec 08 2026" puts the month first; a locale that writes the day first reads it no better
    // than any other foreign form.
    size_t month = locale.shortDate.find('M'), day = locale.shortDate.find('d');
    bool monthFirst = month != std::string::npos && (day == std::string::npos || month < day);
    if (!read && locale.englishMonthNames && monthFirst) {
        i = start;
        t = CivilTime{};
        read = readEnglishDate(s, i, t);
    }
    if (!read || !validDay(t)) return std::nullopt;
    // The date must end where the time begins: "10.12.20261" is no date.
    if (i < s.size() && s[i] != ' ' && s[i] != '\t') return std::nullopt;
    if (!readTime(s, i, locale, t)) return std::nullopt;
    return OleDate::fromCivil(t);
}

}  // namespace tw
