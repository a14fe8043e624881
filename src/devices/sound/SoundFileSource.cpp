#include "devices/sound/SoundFileSource.h"

#include <utility>

namespace dravel::devices {
namespace {

constexpr std::size_t kBlockFrames = 4096;

}  // namespace

std::unique_ptr<SoundFileSource> SoundFileSource::open(const std::string& utf8Path,
                                                       uint32_t outputRate) {
    std::unique_ptr<SoundFileSource> source(new SoundFileSource(utf8Path, outputRate));
    if (!source->reopen()) return nullptr;
    return source;
}

SoundFileSource::SoundFileSource(std::string utf8Path, uint32_t outputRate)
    : path_(std::move(utf8Path)), outputRate_(outputRate) {}

std::size_t SoundFileSource::read(float* stereo, std::size_t frames) {
    if (!file_) return 0;
    const std::size_t produced =
        resampler_->read(stereo, frames, [this](StereoFrame& frame) { return fetch(frame); });
    if (produced < frames) close();
    return produced;
}

bool SoundFileSource::rewind() {
    return reopen();
}

bool SoundFileSource::reopen() {
    close();
    SF_INFO info;
    SoundFilePtr file = openSoundFile(path_, info);
    if (!file || info.channels < 1 || info.samplerate < 1) return false;
    file_ = std::move(file);
    channels_ = info.channels;
    resampler_.emplace(static_cast<uint32_t>(info.samplerate), outputRate_);
    block_.resize(kBlockFrames * static_cast<std::size_t>(channels_));
    return true;
}

void SoundFileSource::close() {
    file_.reset();
    resampler_.reset();
    std::vector<float>().swap(block_);
    blockFrames_ = 0;
    blockPosition_ = 0;
}

bool SoundFileSource::fetch(StereoFrame& frame) {
    if (blockPosition_ == blockFrames_) {
        const sf_count_t got =
            sf_readf_float(file_.get(), block_.data(), static_cast<sf_count_t>(kBlockFrames));
        if (got <= 0) return false;
        blockFrames_ = static_cast<std::size_t>(got);
        blockPosition_ = 0;
    }
    const float* samples = block_.data() + blockPosition_ * static_cast<std::size_t>(channels_);
    ++blockPosition_;
    frame.left = samples[0];
    frame.right = channels_ > 1 ? samples[1] : samples[0];
    return true;
}

}  // namespace dravel::devices
