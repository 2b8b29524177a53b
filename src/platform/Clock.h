// Clock port: the current local date-time (virtual in the sim, so tests control time).
#pragma once

#include "core/OleDate.h"

namespace tw::platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual OleDate now() = 0;
};

}  // namespace tw::platform
