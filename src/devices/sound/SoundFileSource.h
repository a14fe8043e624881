#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/sound/SoundFileOpen.h"
#include "devices/sound/SoundMixer.h"
#include "devices/sound/StereoResampler.h"

namespace dravel::devices {

// A sound file decoded by libsndfile (WAV, AIFF, FLAC, Ogg, MP3 and the
// other formats it reads) while it plays, a block at a time, so even a long
// file costs little memory. Mono is played on both sides; of more channels
// the first two are played. Once the end is reached the file is closed, so
// streams that are kept after playing hold no open file.
class SoundFileSource final : public SoundSource {
public:
    // Empty when the file is missing or cannot be decoded.
    static std::unique_ptr<SoundFileSource> open(const std::string& utf8Path, uint32_t outputRate);

    std::size_t read(float* stereo, std::size_t frames) override;
    // Opens the file anew, so it also works after the end was reached.
    bool rewind() override;

private:
    SoundFileSource(std::string utf8Path, uint32_t outputRate);
    bool reopen();
    void close();
    bool fetch(StereoFrame& frame);

    std::string path_;
    uint32_t outputRate_;
    SoundFilePtr file_;
    int channels_ = 0;
    std::optional<StereoResampler> resampler_;
    std::vector<float> block_;
    std::size_t blockFrames_ = 0;
    std::size_t blockPosition_ = 0;
};

}  // namespace dravel::devices
