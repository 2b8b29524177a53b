// The first line of every rule file: which file it is and when its rules were released.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarn::engine {

/// A rule file starts with the line "TWRULES <name> <stamp>\n", for example
/// "TWRULES tw1 2026.12.10.07.00.00\n"; what follows is the file's own business. The stamp is the
/// release's time in UTC, year first, so that a later release compares greater as text.
struct RuleHeader {
    std::string name;   ///< "tw1", "tw2" or "tw5"
    std::string stamp;  ///< "YYYY.MM.DD.HH.MM.SS"
    size_t bodyOffset = 0;
};

/// The header of a rule file's bytes, or nothing when they do not start with a well-formed one.
std::optional<RuleHeader> readRuleHeader(std::string_view bytes);

/// The header line for `name` and `stamp` (both as readRuleHeader accepts them).
std::string writeRuleHeader(std::string_view name, std::string_view stamp);

/// True for "YYYY.MM.DD.HH.MM.SS" with digits in every place.
bool isRuleStamp(std::string_view stamp);

/// True for the three rule files the engine knows: "tw1", "tw2", "tw5".
bool isRuleFileName(std::string_view name);

}  // namespace tarn::engine
