#include "config/ScheduleSettings.h"

#include "config/ProgIniKeys.h"

namespace dravel::config {

namespace schedule = keys::schedule;

ScheduleSettings ScheduleSettings::read(const IniFile& ini) {
    ScheduleSettings s;
    s.kind = ini.readInteger(schedule::kSection, schedule::kKind, None);
    s.weekday1 = ini.readInteger(schedule::kSection, schedule::kWeekday1, -1);
    s.weekday2 = ini.readInteger(schedule::kSection, schedule::kWeekday2, -1);
    s.weekdayInMonth = ini.readInteger(schedule::kSection, schedule::kWeekdayInMonth, -1);
    s.dayOfMonth = ini.readInteger(schedule::kSection, schedule::kDayOfMonth, -1);
    s.time = ini.readString(schedule::kSection, schedule::kTime, "__:__");
    s.duration = ini.readString(schedule::kSection, schedule::kDuration, "");
    return s;
}

void ScheduleSettings::write(IniFile& ini) const {
    ini.writeInteger(schedule::kSection, schedule::kKind, kind);
    ini.writeInteger(schedule::kSection, schedule::kWeekday1, weekday1);
    ini.writeInteger(schedule::kSection, schedule::kWeekday2, weekday2);
    ini.writeInteger(schedule::kSection, schedule::kWeekdayInMonth, weekdayInMonth);
    ini.writeInteger(schedule::kSection, schedule::kDayOfMonth, dayOfMonth);
    ini.writeString(schedule::kSection, schedule::kTime, time);
    ini.writeString(schedule::kSection, schedule::kDuration, duration);
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
