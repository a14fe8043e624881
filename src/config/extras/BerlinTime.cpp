#include "config/extras/BerlinTime.h"

#include <cstdio>

namespace dravel::config {
namespace {

using namespace std::chrono;

sys_seconds lastSundayOneUtc(year y, month m) {
    return sys_seconds(sys_days(year_month_weekday_last(y, m, weekday_last(Sunday))) + 1h);
}

year yearOf(sys_seconds instant) {
    return year_month_day(floor<days>(instant)).year();
}

sys_seconds summerTimeStart(year y) {
    return lastSundayOneUtc(y, March);
}

}  // namespace

bool isGermanSummerTime(sys_seconds instant) {
    const year y = yearOf(instant);
    return instant >= summerTimeStart(y) && instant < lastSundayOneUtc(y, October);
}

local_seconds toGermanTime(sys_seconds instant) {
    const auto offset = isGermanSummerTime(instant) ? 2h : 1h;
    return local_seconds(instant.time_since_epoch() + offset);
}

sys_seconds firstInstantAt(local_seconds wall) {
    const sys_seconds asSummer(wall.time_since_epoch() - 2h);
    const sys_seconds asWinter(wall.time_since_epoch() - 1h);
    if (isGermanSummerTime(asSummer)) return asSummer;  // also the earlier of a doubled hour
    if (!isGermanSummerTime(asWinter)) return asWinter;
    return summerTimeStart(yearOf(asWinter));  // the hour the clocks skip
}

std::string formatGermanDateTime(sys_seconds instant) {
    const local_seconds local = toGermanTime(instant);
    const auto day = floor<days>(local);
    const year_month_day date(day);
    const hh_mm_ss clock(local - day);
    char text[32];
    std::snprintf(text, sizeof text, "%02u.%02u.%04d %02d:%02d", unsigned(date.day()),
                  unsigned(date.month()), int(date.year()), int(clock.hours().count()),
                  int(clock.minutes().count()));
    return text;
}

std::string formatGermanClock(sys_seconds instant) {
    const local_seconds local = toGermanTime(instant);
    const hh_mm_ss clock(local - floor<days>(local));
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()));
    return text;
}

}  // namespace dravel::config
