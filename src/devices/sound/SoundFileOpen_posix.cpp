#include <sndfile.h>

#include <string>

#include "devices/sound/SoundFileOpen.h"

namespace dravel::devices {

SoundFilePtr openSoundFile(const std::string& utf8Path, SF_INFO& info) {
    info = SF_INFO{};
    return SoundFilePtr(sf_open(utf8Path.c_str(), SFM_READ, &info));
}

}  // namespace dravel::devices
