// The host program's settings commands over a profile's registry: "set NAME=VALUE ..." and "show settings".
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "host/Profile.h"

namespace tw::host {

/// Checks every assignment first, then stores them all the way the add-in's writers do and saves
/// the profile's registry. When any is refused nothing is written: the reasons go to `err` and
/// the result is 2. Otherwise each stored value is confirmed on `out` and the result is 0.
int setSettings(const Profile& profile, const std::vector<std::string>& assignments, std::ostream& out,
                std::ostream& err);

/// Lists every setting in force as NAME=VALUE, marking the ones that hold their default value.
/// Reads the profile's registry and changes nothing on disk.
void showSettings(const Profile& profile, std::ostream& out);

}  // namespace tw::host
