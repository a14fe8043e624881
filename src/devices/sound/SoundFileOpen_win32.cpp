#include <windows.h>
// sf_wchar_open is only declared after windows.h and with this switch.
#define ENABLE_SNDFILE_WINDOWS_PROTOTYPES 1
#include <sndfile.h>

#include <string>

#include "devices/sound/SoundFileOpen.h"
#include "devices/system/WideText.h"

namespace dravel::devices {

// The narrow sf_open would take the path in the ANSI code page; the wide
// variant reaches every file name.
SoundFilePtr openSoundFile(const std::string& utf8Path, SF_INFO& info) {
    info = SF_INFO{};
    if (utf8Path.empty()) return nullptr;
    return SoundFilePtr(sf_wchar_open(toUtf16(utf8Path).c_str(), SFM_READ, &info));
}

}  // namespace dravel::devices
