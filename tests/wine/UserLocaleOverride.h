// Sets the user's short date and time formats as the Control Panel does, and puts back what was there.
#pragma once

#include <windows.h>

#include <string>

#include "win32/TextEncoding.h"

namespace tw::test {

class UserLocaleOverride {
public:
    UserLocaleOverride() : shortDate_(read(LOCALE_SSHORTDATE)), time_(read(LOCALE_STIMEFORMAT)) {}
    ~UserLocaleOverride() {
        SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, shortDate_.c_str());
        SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, time_.c_str());
    }
    UserLocaleOverride(const UserLocaleOverride&) = delete;
    UserLocaleOverride& operator=(const UserLocaleOverride&) = delete;

    /// False when the system refused either format.
    bool set(const std::string& shortDate, const std::string& time) {
        return SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, win32::toWide(shortDate).c_str()) &&
               SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, win32::toWide(time).c_str());
    }

private:
    static std::wstring read(LCTYPE what) {
        wchar_t buffer[128] = {};
        GetLocaleInfoW(LOCALE_USER_DEFAULT, what, buffer, 128);
        return buffer;
    }
    std::wstring shortDate_, time_;
};

}  // namespace tw::test
