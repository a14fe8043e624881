#include "config/settings/ScheduleSettings.h"

#include "config/settings/ProgIniKeys.h"

namespace dravel::config {

namespace schedule = keys::schedule;

ScheduleSettings ScheduleSettings::read(const IniFile& ini) {
    ScheduleSettings s;
    s.kind = readForDialog(ini, schedule::kKind);
    s.weekday1 = readForDialog(ini, schedule::kWeekday1);
    s.weekday2 = readForDialog(ini, schedule::kWeekday2);
    s.weekdayInMonth = readForDialog(ini, schedule::kWeekdayInMonth);
    s.dayOfMonth = readForDialog(ini, schedule::kDayOfMonth);
    s.time = readForDialog(ini, schedule::kTime);
    s.duration = readForDialog(ini, schedule::kDuration);
    return s;
}

void ScheduleSettings::write(IniFile& ini) const {
    writeSetting(ini, schedule::kKind, kind);
    writeSetting(ini, schedule::kWeekday1, weekday1);
    writeSetting(ini, schedule::kWeekday2, weekday2);
    writeSetting(ini, schedule::kWeekdayInMonth, weekdayInMonth);
    writeSetting(ini, schedule::kDayOfMonth, dayOfMonth);
    writeSetting(ini, schedule::kTime, time);
    writeSetting(ini, schedule::kDuration, duration);
}

ScheduleSettings::ForSummary ScheduleSettings::ForSummary::read(const IniFile& ini) {
    ForSummary s;
    s.kind = readForSummary(ini, schedule::kKind);
    s.weekday1 = readForSummary(ini, schedule::kWeekday1);
    s.weekdayInMonth = readForSummary(ini, schedule::kWeekdayInMonth);
    s.weekday2 = readForSummary(ini, schedule::kWeekday2);
    s.dayOfMonth = readForSummary(ini, schedule::kDayOfMonth);
    s.time = readForSummary(ini, schedule::kTime);
    s.durationMinutes = readForSummary(ini, schedule::kDuration);
    return s;
}

namespace {

char digitOrBlank(char c) {
    return c >= '0' && c <= '9' ? c : ' ';
}

}  // namespace

std::string fitToTimeField(std::string_view text) {
    const auto colon = text.find(':');
    const std::string_view hours = text.substr(0, colon);
    const std::string_view minutes =
        colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    std::string field = "  :  ";
    for (std::size_t i = 0; i < 2 && i < hours.size(); ++i)
        field[1 - i] = digitOrBlank(hours[hours.size() - 1 - i]);
    for (std::size_t i = 0; i < 2 && i < minutes.size(); ++i)
        field[3 + i] = digitOrBlank(minutes[i]);
    return field;
}

}  // namespace dravel::config
