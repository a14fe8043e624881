#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "config/extras/BerlinTime.h"
#include "config/settings/ScheduleSettings.h"

// The coming deactivation windows of section "Funktionsprobe", with the
// meaning the summary gives its keys: the window starts at "Uhrzeit" German
// time on every chosen day and lasts "Dauer" minutes, across midnight too.
namespace dravel::config {

// The keys as the summary reads them, with its defaults.
using DeactivationSchedule = ScheduleSettings::ForSummary;

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
