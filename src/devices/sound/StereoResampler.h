#pragma once

#include <cstddef>
#include <cstdint>

namespace dravel::devices {

struct StereoFrame {
    float left = 0.0f;
    float right = 0.0f;
};

// Converts a stream of stereo frames from the source rate to the output rate
// by linear interpolation, which is plenty for previews. Output frame k
// stands at source position k * sourceRate / outputRate; past the last
// source frame the signal falls to silence, so a source of n frames yields
// ceil(n * outputRate / sourceRate) frames and equal rates copy it exactly.
class StereoResampler {
public:
    StereoResampler(uint32_t sourceRate, uint32_t outputRate)
        : step_(static_cast<double>(sourceRate) / outputRate) {}

    // Writes up to `frames` interleaved frames to `out`, pulling source
    // frames through fetch(StereoFrame&), which returns false at the end.
    // Returns fewer than `frames` only once the source is exhausted.
    template <class Fetch>
    std::size_t read(float* out, std::size_t frames, Fetch&& fetch);

private:
    template <class Fetch>
    void advance(Fetch& fetch);

    double step_;
    double position_ = 0.0;  // between current_ and next_, in [0, 1)
    StereoFrame current_;
    StereoFrame next_;
    bool started_ = false;
    bool hasCurrent_ = false;
    bool nextIsReal_ = false;
};

template <class Fetch>
std::size_t StereoResampler::read(float* out, std::size_t frames, Fetch&& fetch) {
    if (!started_) {
        started_ = true;
        hasCurrent_ = fetch(current_);
        nextIsReal_ = hasCurrent_ && fetch(next_);
        if (!nextIsReal_) next_ = StereoFrame{};
    }
    std::size_t produced = 0;
    while (produced < frames && hasCurrent_) {
        const auto weight = static_cast<float>(position_);
        *out++ = current_.left + (next_.left - current_.left) * weight;
        *out++ = current_.right + (next_.right - current_.right) * weight;
        ++produced;
        position_ += step_;
        while (position_ >= 1.0 && hasCurrent_) {
            position_ -= 1.0;
            advance(fetch);
        }
    }
    return produced;
}

template <class Fetch>
void StereoResampler::advance(Fetch& fetch) {
    if (!nextIsReal_) {
        hasCurrent_ = false;
        return;
    }
    current_ = next_;
    nextIsReal_ = fetch(next_);
    if (!nextIsReal_) next_ = StereoFrame{};
}

}  // namespace dravel::devices
