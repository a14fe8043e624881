#pragma once

#include <string>
#include <string_view>

#include "config/IniFile.h"

namespace dravel::config {

// The recurring window in which the alarm program does not switch its outputs.
struct ScheduleSettings {
    enum Kind { None = 0, Weekly = 1, MonthlyByWeekday = 2, MonthlyByDay = 3, Daily = 4 };

    int kind = None;             // -1 = none selected
    int weekday1 = -1;           // weekly: 0 = Montag .. 6 = Sonntag
    int weekday2 = -1;           // monthly by weekday: the weekday ...
    int weekdayInMonth = -1;     // ... and its occurrence, 0 = first .. 3 = fourth
    int dayOfMonth = -1;         // monthly by day: 0 = day 1 .. 30 = day 31
    std::string time = "__:__";  // start, as the time field holds it
    std::string duration;        // minutes, as typed

    static ScheduleSettings read(const IniFile& ini);
    void write(IniFile& ini) const;
};

// The time field's five positions: two for the hours, the colon, two for the
// minutes; a position without a digit is a blank. The hours stand right-
// aligned before the colon and the minutes left-aligned after it, so a stored
// "8:15" becomes " 8:15" and the empty form "__:__" becomes "  :  ".
std::string fitToTimeField(std::string_view text);

}  // namespace dravel::config
