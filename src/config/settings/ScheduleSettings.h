#pragma once

#include <array>
#include <string>
#include <string_view>

#include "config/settings/ProgIniKeys.h"
#include "config/storage/IniFile.h"

namespace dravel::config {

// The weekdays by the index the group stores: 0 = Montag .. 6 = Sonntag.
inline constexpr std::array<std::string_view, 7> kGermanWeekdays = {
    "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"};

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

    // The same keys as the summary (and the alarm program) read them: with
    // the summary's defaults, and the duration as a number of minutes.
    struct ForSummary {
        int kind = keys::schedule::kKind.summaryDefault;  // see Kind
        int weekday1 = keys::schedule::kWeekday1.summaryDefault;
        int weekdayInMonth = keys::schedule::kWeekdayInMonth.summaryDefault;
        int weekday2 = keys::schedule::kWeekday2.summaryDefault;
        int dayOfMonth = keys::schedule::kDayOfMonth.summaryDefault;
        std::string time = std::string(keys::schedule::kTime.summaryDefault);
        int durationMinutes = keys::schedule::kDuration.summaryDefault;

        static ForSummary read(const IniFile& ini);
    };

    // Whether another program changed the group between two reads.
    friend bool operator==(const ScheduleSettings&, const ScheduleSettings&) = default;
};

// The time field's five positions: two for the hours, the colon, two for the
// minutes; a position without a digit is a blank. The hours stand right-
// aligned before the colon and the minutes left-aligned after it, so a stored
// "8:15" becomes " 8:15" and the empty form "__:__" becomes "  :  ".
std::string fitToTimeField(std::string_view text);

}  // namespace dravel::config
