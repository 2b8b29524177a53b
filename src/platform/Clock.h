// Clock port: the current local date-time (virtual in the sim, so tests control time) and the
// user's regional date and time formats it is written in.
#pragma once

#include "core/OleDate.h"

namespace tw::platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual OleDate now() = 0;
    /// The user's regional short date and time formats, as the Control Panel sets them; the mail
    /// client reads the dates of its filters in these.
    virtual DateLocale userDateFormats() = 0;
};

}  // namespace tw::platform
