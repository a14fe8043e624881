#include <windows.h>
// sf_wchar_open is only declared after windows.h and with this switch.
#define ENABLE_SNDFILE_WINDOWS_PROTOTYPES 1
#include <sndfile.h>

#include <string>

#include "devices/sound/SoundFileOpen.h"

namespace dravel::devices {

// The narrow sf_open would take the path in the ANSI code page; the wide
// variant reaches every file name.
SoundFilePtr openSoundFile(const std::string& utf8Path, SF_INFO& info) {
    info = SF_INFO{};
    const int utf8Size = static_cast<int>(utf8Path.size());
    const int wideSize =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path.data(), utf8Size, nullptr, 0);
    if (wideSize <= 0) return nullptr;
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path.data(), utf8Size, wide.data(),
                        wideSize);
    return SoundFilePtr(sf_wchar_open(wide.c_str(), SFM_READ, &info));
}

}  // namespace dravel::devices
