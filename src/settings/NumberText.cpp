// Locale-proof conversions between numbers and their registry text.
#include "settings/NumberText.h"

#include <charconv>
#include <cmath>

#include "core/Text.h"

namespace tw::settings {

std::string decimalText(double value) { return text::formatDouble(value); }

std::optional<double> parseDecimalText(std::string_view text) {
    std::string s = text::trim(text);
    if (s.size() > 1 && s[0] == '+' && s[1] != '-') s.erase(0, 1);
    if (s.empty()) return std::nullopt;
    // Only digits, one sign, one separator and an exponent: from_chars alone would also take "nan" and "inf".
    int separators = 0;
    for (char& c : s) {
        if (c == ',') c = '.';
        if (c == '.') ++separators;
        bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!allowed) return std::nullopt;
    }
    if (separators > 1) return std::nullopt;
    double value = 0;
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<int32_t> parseIntegerText(std::string_view text) {
    std::string s = text::trim(text);
    if (s.size() > 1 && s[0] == '+' && s[1] != '-') s.erase(0, 1);
    if (s.empty()) return std::nullopt;
    int32_t value = 0;
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

}  // namespace tw::settings
