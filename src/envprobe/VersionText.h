// The version text Envprobe reports for a file: "9.00.00.2711", "6.00.0000".
#pragma once

#include <string>

#include "platform/Shell.h"

namespace tw::envprobe {

/// Major, minor with at least two digits, then the two lower parts with at least two digits each,
/// or "0000" when both are zero.
std::string versionText(const platform::FileVersion& version);

}  // namespace tw::envprobe
