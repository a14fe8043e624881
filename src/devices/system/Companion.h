#pragma once

#include <string>

namespace dravel::devices {

// The companion alarm program in the program directory, as the alarm
// simulation starts it: "kalvor.exe" on Windows; elsewhere the executable
// file whose name is "kalvor" in any letter case. When there is none, the
// path still names where it would be, so starting it fails and says so.
std::string companionProgramPath();

}  // namespace dravel::devices
