// Clock port over the system's local time.
#include "win32/Win32Clock.h"

#include <windows.h>

#include "win32/TextEncoding.h"

namespace tw::win32 {

OleDate Win32Clock::now() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    return OleDate::fromCivil({local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond});
}

namespace {
std::string localeText(LCTYPE what, const std::string& fallback) {
    wchar_t buffer[128] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, what, buffer, 128) <= 0) return fallback;
    return toUtf8(buffer);
}
}  // namespace

DateLocale Win32Clock::userDateFormats() {
    DateLocale locale;
    locale.shortDate = localeText(LOCALE_SSHORTDATE, locale.shortDate);
    locale.time = localeText(LOCALE_STIMEFORMAT, locale.time);
    locale.am = localeText(LOCALE_S1159, locale.am);
    locale.pm = localeText(LOCALE_S2359, locale.pm);
    // Month names are written in the locale's language; only English ones are read here.
    locale.englishMonthNames = PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())) == LANG_ENGLISH;
    return locale;
}

}  // namespace tw::win32
