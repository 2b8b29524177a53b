// Small text helpers shared by every subsystem: trimming, case, splitting and placeholders.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tw::text {

std::string trim(std::string_view s);
std::string lower(std::string_view s);
std::string upper(std::string_view s);
bool iequals(std::string_view a, std::string_view b);
bool startsWith(std::string_view s, std::string_view prefix);
bool endsWith(std::string_view s, std::string_view suffix);
bool icontains(std::string_view haystack, std::string_view needle);

/// Splits at every occurrence of sep; an empty input gives one empty part, like the scripting Split.
std::vector<std::string> split(std::string_view s, std::string_view sep);
std::string join(const std::vector<std::string>& parts, std::string_view sep);
std::string replaceAll(std::string s, std::string_view from, std::string_view to);

/// Replaces the first "%1" of a text with value.
std::string fillPlaceholder(std::string_view text, std::string_view value);

/// The text after the last backslash (the whole text when there is none).
std::string afterLastBackslash(std::string_view path);

/// Shortest decimal text of a double with a decimal point, as Visual Basic's CStr gives it ("90", "0.5").
std::string formatDouble(double value);
/// "True" or "False".
std::string formatBool(bool value);

}  // namespace tw::text
