// The mail client's date-time: days since 30 December 1899, the time of day as the fraction.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

struct CivilTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

/// The user's regional short date and time formats, in the Control Panel's picture codes
/// ("M/d/yyyy", "dd.MM.yyyy", "h:mm:ss tt", "HH:mm"; text in apostrophes stands as it is), and the
/// morning and afternoon designators. The mail client reads the dates of its filters in these.
struct DateLocale {
    std::string shortDate = "M/d/yyyy";
    std::string time = "h:mm:ss tt";
    std::string am = "AM";
    std::string pm = "PM";
    /// Month names are read and written in the locale's language; only English ones are known here.
    bool englishMonthNames = true;
};

class OleDate {
public:
    constexpr OleDate() = default;
    constexpr explicit OleDate(double serial) : serial_(serial) {}

    static OleDate fromCivil(const CivilTime& t);
    static OleDate fromUnixSeconds(int64_t seconds);

    double serial() const { return serial_; }
    CivilTime toCivil() const;
    int64_t toUnixSeconds() const;

    OleDate plusDays(double days) const { return OleDate(serial_ + days); }
    OleDate plusSeconds(double seconds) const { return OleDate(serial_ + seconds / 86400.0); }

    /// Registry text form: the decimal text of the serial number, always with a decimal point.
    std::string toRegistryText() const;
    /// Reads the registry text form; accepts a decimal point or a decimal comma. Empty or bad text gives nothing.
    static std::optional<OleDate> parseRegistryText(std::string_view text);

    /// The mail client's filter form "mmm dd yyyy hh:mm", for example "Dec 08 2026 16:05".
    std::string toFilterText() const;
    /// The short date and the time in the locale's formats, without the seconds, as the mail
    /// client's filters read them: "12/8/2026 4:05 PM", "08.12.2026 16:05".
    std::string toLocaleText(const DateLocale& locale) const;
    /// Reads a date, optionally followed by a time, in the locale's short date order and separators;
    /// where the locale's month names are English and it writes the month before the day (a US
    /// locale), "Dec 08 2026 16:05" as well. The time may have
    /// seconds and a designator. Nothing for any other form.
    static std::optional<OleDate> parseLocaleText(std::string_view text, const DateLocale& locale);
    /// "yyyy-mm-dd hh:mm:ss", for logs and summaries.
    std::string toIsoText() const;

    friend bool operator<(OleDate a, OleDate b) { return a.serial_ < b.serial_; }
    friend bool operator<=(OleDate a, OleDate b) { return a.serial_ <= b.serial_; }
    friend bool operator>(OleDate a, OleDate b) { return a.serial_ > b.serial_; }
    friend bool operator>=(OleDate a, OleDate b) { return a.serial_ >= b.serial_; }
    friend bool operator==(OleDate a, OleDate b) { return a.serial_ == b.serial_; }

private:
    double serial_ = 0.0;
};

/// Elapsed time counted as calendar boundaries crossed from `from` to `to`, as the mail client's
/// date arithmetic does: 23:59:59 to 00:00:00 is one day, 10:00:59 to 10:01:00 is one minute.
int64_t secondsBetween(OleDate from, OleDate to);
int64_t minutesBetween(OleDate from, OleDate to);
int64_t daysBetween(OleDate from, OleDate to);

}  // namespace tw
