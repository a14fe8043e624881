#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dravel::config {

// Seconds since midnight, 0..86399.
using SecondsOfDay = int;

// A time of day as the platform's time conversion reads it with the German
// separator: hours, optionally ":" minutes, optionally ":" seconds, blanks
// allowed around each part ("22:00", "7:5", "22:00:30", "22"). Nothing for a
// text that is not a valid time of day, such as an empty time field.
std::optional<SecondsOfDay> parseTimeOfDay(std::string_view text);

// The time of day reached minutes after start; past midnight it is the next
// day's time, and negative minutes go back.
SecondsOfDay addMinutes(SecondsOfDay start, long long minutes);

// German short form "HH:MM".
std::string formatHoursMinutes(SecondsOfDay time);

}  // namespace dravel::config
