// Text and number conversions of RegOp's values.
#include "regop/RegData.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "core/Error.h"
#include "core/Text.h"

namespace tw::regop {
namespace {

constexpr const char* kSource = "RegOp";

[[noreturn]] void typeMismatch(const std::string& what) { throw Error(13, kSource, "Type mismatch: " + what); }

/// A decimal number with an optional sign and fraction, nothing else but surrounding blanks.
bool parseDecimal(const std::string& text, double& out) {
    const std::string s = text::trim(text);
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++digits;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++digits;
    if (digits == 0 || i != s.size()) return false;
    out = std::strtod(s.c_str(), nullptr);  // too many digits give HUGE_VAL, caught as overflow
    return true;
}

}  // namespace

std::string RegData::toText() const {
    switch (kind()) {
        case Kind::Empty: return {};
        case Kind::Text: return std::get<std::string>(content_);
        case Kind::Number: return std::to_string(std::get<int32_t>(content_));
        case Kind::Strings: break;
    }
    typeMismatch("a list of strings has no text form");
}

int32_t RegData::toNumber() const {
    switch (kind()) {
        case Kind::Empty: return 0;
        case Kind::Number: return std::get<int32_t>(content_);
        case Kind::Strings: typeMismatch("a list of strings is not a number");
        case Kind::Text: break;
    }
    const std::string& text = std::get<std::string>(content_);
    double value = 0;
    if (!parseDecimal(text, value)) typeMismatch("\"" + text + "\" is not a number");
    const double rounded = std::nearbyint(value);  // the default rounding mode rounds half to even
    if (rounded < -2147483648.0 || rounded > 2147483647.0) throw Error(6, kSource, "Overflow: " + text + " does not fit in 32 bits");
    return static_cast<int32_t>(rounded);
}

}  // namespace tw::regop
