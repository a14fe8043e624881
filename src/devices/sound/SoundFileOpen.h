#pragma once

#include <sndfile.h>

#include <memory>
#include <string>

namespace dravel::devices {

struct SoundFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFilePtr = std::unique_ptr<SNDFILE, SoundFileCloser>;

// Opens a sound file for decoding by its UTF-8 path, filling `info`;
// empty when the file is missing or libsndfile cannot read its format.
SoundFilePtr openSoundFile(const std::string& utf8Path, SF_INFO& info);

}  // namespace dravel::devices
