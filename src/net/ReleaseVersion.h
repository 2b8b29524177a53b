// Reading the release file and comparing releases as numbers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tw::net {

/// major, minor, revision.
using ReleaseNumber = std::array<int32_t, 3>;

/// The text after "version=" at the start of a line up to the line's end, trimmed; nothing when the
/// file names no version.
std::optional<std::string> offeredVersionText(const std::string& releaseFile);

/// Three numbers separated by "." ("4.10.0"); nothing for any other form.
std::optional<ReleaseNumber> parseRelease(const std::string& text);

/// Part by part, as numbers: 4.10.0 is newer than 4.9.0.
bool isNewer(const ReleaseNumber& offered, const ReleaseNumber& than);

/// A newer release is offered unless the user chose to ignore this one or a later one; an ignored
/// release of any other form ignores nothing.
bool shouldRemind(const ReleaseNumber& offered, const std::string& ignoredRelease);

}  // namespace tw::net
