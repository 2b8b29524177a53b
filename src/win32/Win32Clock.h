// Clock port over the system's local time.
#pragma once

#include "platform/Clock.h"

namespace tw::win32 {

class Win32Clock final : public platform::Clock {
public:
    /// The local date-time to the whole second, as the mail client's own clock gives it.
    OleDate now() override;
    /// LOCALE_SSHORTDATE, LOCALE_STIMEFORMAT and the designators of the user's locale.
    DateLocale userDateFormats() override;
};

}  // namespace tw::win32
