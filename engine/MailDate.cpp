// Calendar arithmetic through <chrono>, so no C time function with shared state is needed.
#include "MailDate.h"

#include <atomic>
#include <chrono>
#include <cstdio>

namespace tarn::engine {

std::string currentMailDate() {
    using namespace std::chrono;
    auto now = floor<seconds>(system_clock::now());
    auto day = floor<days>(now);
    year_month_day date{day};
    weekday wd{day};
    hh_mm_ss<seconds> time{now - day};
    static const char* weekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02u %s %d %02d:%02d:%02d +0000", weekdays[wd.c_encoding()],
                  static_cast<unsigned>(date.day()), months[static_cast<unsigned>(date.month()) - 1],
                  static_cast<int>(date.year()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
    return text;
}

std::string uniqueStamp() {
    static std::atomic<unsigned> counter{0};
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch());
    return std::to_string(ms.count()) + "-" + std::to_string(counter++);
}

}  // namespace tarn::engine
