#pragma once

#include <string>

#include "config/extras/AlarmCourse.h"

namespace dravel::devices {

// How long the sound component plays the file at this UTF-8 path: its frames
// at its own rate, as libsndfile decodes it; or the German reason why it
// cannot tell (missing, not a file, a format it cannot read).
config::SoundLength soundFileLength(const std::string& utf8Path);

}  // namespace dravel::devices
