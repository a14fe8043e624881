#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/BerlinTime.h"
#include "config/IniFile.h"

// The coming deactivation windows of section "Funktionsprobe", with the
// meaning the summary gives its keys: the window starts at "Uhrzeit" German
// time on every chosen day and lasts "Dauer" minutes, across midnight too.
namespace dravel::config {

inline constexpr std::array<std::string_view, 7> kGermanWeekdays = {
    "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"};

// The keys as the summary reads them, with its defaults.
struct DeactivationSchedule {
    int kind = 0;      // 0 none, 1 weekly, 2 n-th weekday of the month, 3 day of the month, 4 daily
    int weekday1 = 1;  // weekly: 0 = Montag
    int weekdayInMonth = 0;  // 0 = the first
    int weekday2 = 1;
    int dayOfMonth = 1;  // 0 = day 1
    std::string time = "00:00";
    int durationMinutes = 0;

    static DeactivationSchedule read(const IniFile& ini);
};

struct DeactivationWindow {
    sys_seconds start;
    sys_seconds end;
    std::string weekday;  // of the start, German
    std::string note;     // running now, a clock change, a start moved by it

    bool operator==(const DeactivationWindow&) const = default;
};

struct DeactivationPlan {
    // What holds for every window (or why there is none), one line each.
    std::vector<std::string> notes;
    std::vector<DeactivationWindow> windows;
};

inline constexpr std::size_t kPlannedWindows = 12;

// The next count windows that have not ended at now, in time order; one
// that is running at now comes first.
DeactivationPlan planDeactivations(const DeactivationSchedule& schedule, sys_seconds now,
                                   std::size_t count = kPlannedWindows);

}  // namespace dravel::config
