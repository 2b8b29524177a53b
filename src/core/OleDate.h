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
