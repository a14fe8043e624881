#pragma once

#include <chrono>
#include <string>

// German civil time (Europe/Berlin): MEZ, UTC+1, and from the last Sunday of
// March to the last Sunday of October MESZ, UTC+2, each change at 01:00 UTC.
// The standard library of this compiler has no time zone database, and the
// rule has held since 1996.
namespace dravel::config {

using std::chrono::local_seconds;
using std::chrono::sys_seconds;

bool isGermanSummerTime(sys_seconds instant);

// The reading of a German clock at that instant.
local_seconds toGermanTime(sys_seconds instant);

// The first instant at which a German clock reads wall or later: a reading in
// the hour skipped in spring becomes the moment of the change (03:00 MESZ),
// a reading that occurs twice in autumn its first occurrence (MESZ).
sys_seconds firstInstantAt(local_seconds wall);

// "07.12.2026 22:00" in German time.
std::string formatGermanDateTime(sys_seconds instant);

// "14:05:33" in German time.
std::string formatGermanClock(sys_seconds instant);

}  // namespace dravel::config
