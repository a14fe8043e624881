#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "devices/sound/SoundFileOpen.h"

namespace dravel::devices {

namespace {

bool isRegular(const struct stat& st) {
    return S_ISREG(st.st_mode);
}

}  // namespace

// Only regular files are opened: opening a FIFO waits for a writer (the
// whole program would hang), and opening a device can act on it. The type is
// asked before opening and again of what was opened, in case the name was
// swapped in between; the non-blocking open changes nothing for a file.
SoundFilePtr openSoundFile(const std::string& utf8Path, SF_INFO& info) {
    info = SF_INFO{};
    struct stat named;
    if (::stat(utf8Path.c_str(), &named) != 0 || !isRegular(named)) return nullptr;
    const int fd = ::open(utf8Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !isRegular(opened)) {
        ::close(fd);
        return nullptr;
    }
    // libsndfile closes the descriptor with the file, also when it cannot read it.
    return SoundFilePtr(sf_open_fd(fd, SFM_READ, &info, SF_TRUE));
}

}  // namespace dravel::devices
