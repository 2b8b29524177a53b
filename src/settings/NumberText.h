// Numbers kept as text in the registry: always written with a decimal point, read with a point or a comma.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw::settings {

/// The decimal text of a number, with a decimal point whatever the user's locale ("90", "72.5").
std::string decimalText(double value);

/// A finite number from decimal text; blanks around it are ignored and a decimal comma counts as
/// a point, so a profile moved between locales keeps its values. Anything else gives nothing.
std::optional<double> parseDecimalText(std::string_view text);

/// A whole 32-bit number from text of decimal digits with an optional sign; blanks around it are ignored.
std::optional<int32_t> parseIntegerText(std::string_view text);

}  // namespace tw::settings
