// Formatting of file versions for the report.
#include "envprobe/VersionText.h"

#include <cstdio>

namespace tw::envprobe {

std::string versionText(const platform::FileVersion& v) {
    char buffer[64];
    if (v.build == 0 && v.revision == 0)
        std::snprintf(buffer, sizeof buffer, "%u.%02u.0000", unsigned{v.major}, unsigned{v.minor});
    else
        std::snprintf(buffer, sizeof buffer, "%u.%02u.%02u.%02u", unsigned{v.major}, unsigned{v.minor}, unsigned{v.build},
                      unsigned{v.revision});
    return buffer;
}

}  // namespace tw::envprobe
