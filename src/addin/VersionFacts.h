// The mail client's version facts: major version, the object-model guard, Internet-mail-only mode.
#pragma once

#include <string>

#include "platform/Registry.h"

namespace tw::addin {

struct VersionFacts {
    int majorVersion = 0;
    bool isHighSecurity = false;
    bool isInternetMailMode = false;
    bool isOutlook2k() const { return majorVersion == 9; }
};

/// Reads the facts from the client's "major.minor.revision.build" version text and the registry.
/// Version 9 before build 4201 has no object-model guard; every later release has it.
VersionFacts identifyVersion(const std::string& version, platform::Registry& registry);

}  // namespace tw::addin
