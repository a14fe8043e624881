#include "devices/sound/SoundMixer.h"

#include <algorithm>

namespace dravel::devices {

uint32_t SoundMixer::add(std::unique_ptr<SoundSource> source) {
    std::lock_guard lock(mutex_);
    streams_.push_back(Stream{std::move(source)});
    return static_cast<uint32_t>(streams_.size());
}

bool SoundMixer::play(uint32_t handle, bool restart) {
    std::lock_guard lock(mutex_);
    if (handle == 0 || handle > streams_.size()) return false;
    const std::size_t index = handle - 1;
    Stream& stream = streams_[index];
    if (!stream.source) return false;
    if (stream.state == State::Playing && !restart) return true;
    if (stream.state != State::Created && !stream.source->rewind()) {
        std::erase(playing_, index);
        stream.state = State::Ended;
        return false;
    }
    if (stream.state != State::Playing) playing_.push_back(index);
    stream.state = State::Playing;
    return true;
}

void SoundMixer::close(uint32_t handle) {
    std::lock_guard lock(mutex_);
    if (handle == 0 || handle > streams_.size()) return;
    const std::size_t index = handle - 1;
    std::erase(playing_, index);
    streams_[index].source.reset();
    streams_[index].state = State::Ended;
}

void SoundMixer::mix(float* out, std::size_t frames) {
    std::fill_n(out, frames * 2, 0.0f);
    std::lock_guard lock(mutex_);
    if (scratch_.size() < frames * 2) scratch_.resize(frames * 2);
    for (std::size_t index : playing_) mixIn(out, frames, streams_[index]);
    std::erase_if(playing_,
                  [&](std::size_t index) { return streams_[index].state == State::Ended; });
    std::for_each(out, out + frames * 2, [](float& s) { s = std::clamp(s, -1.0f, 1.0f); });
}

void SoundMixer::mixIn(float* out, std::size_t frames, Stream& stream) {
    const std::size_t got = stream.source->read(scratch_.data(), frames);
    std::transform(scratch_.begin(), scratch_.begin() + got * 2, out, out, std::plus<float>());
    if (got < frames) stream.state = State::Ended;
}

}  // namespace dravel::devices
