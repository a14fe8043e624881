#include <windows.h>
// sf_wchar_open is only declared after windows.h and with this switch.
#define ENABLE_SNDFILE_WINDOWS_PROTOTYPES 1
#include <sndfile.h>

#include <string>

#include "devices/sound/SoundFileOpen.h"
#include "devices/system/WideText.h"

namespace dravel::devices {

namespace {

// A pipe would make the decoder wait for data for ever, and a device is no
// sound; only a file on a disk is handed to it. A name the system knows no
// attributes of (a missing file, most device names) is not even opened.
bool isFileOnDisk(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool onDisk = GetFileType(file) == FILE_TYPE_DISK;
    CloseHandle(file);
    return onDisk;
}

}  // namespace

// The narrow sf_open would take the path in the ANSI code page; the wide
// variant reaches every file name.
SoundFilePtr openSoundFile(const std::string& utf8Path, SF_INFO& info) {
    info = SF_INFO{};
    if (utf8Path.empty()) return nullptr;
    const std::wstring path = toUtf16(utf8Path);
    if (!isFileOnDisk(path)) return nullptr;
    return SoundFilePtr(sf_wchar_open(path.c_str(), SFM_READ, &info));
}

}  // namespace dravel::devices
