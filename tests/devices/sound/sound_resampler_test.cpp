#include <gtest/gtest.h>

#include <vector>

#include "devices/sound/StereoResampler.h"

namespace dravel::devices {
namespace {

// Source frame i is (i + 1, -(i + 1)), so every output value tells where
// between which frames it was taken.
std::vector<StereoFrame> ramp(std::size_t frames) {
    std::vector<StereoFrame> result(frames);
    for (std::size_t i = 0; i < frames; ++i)
        result[i] = {static_cast<float>(i + 1), -static_cast<float>(i + 1)};
    return result;
}

// Resamples the whole source, pulling `chunk` output frames per call.
std::vector<float> resample(const std::vector<StereoFrame>& source, uint32_t from, uint32_t to,
                            std::size_t chunk) {
    StereoResampler resampler(from, to);
    std::size_t next = 0;
    auto fetch = [&](StereoFrame& frame) {
        if (next == source.size()) return false;
        frame = source[next++];
        return true;
    };
    std::vector<float> out;
    std::vector<float> buffer(chunk * 2);
    for (;;) {
        const std::size_t got = resampler.read(buffer.data(), chunk, fetch);
        out.insert(out.end(), buffer.begin(), buffer.begin() + got * 2);
        if (got < chunk) return out;
    }
}

TEST(SoundResampler, InterpolatesBetweenFramesAndFadesAfterTheLast) {
    struct Case {
        std::size_t frames;
        uint32_t from;
        std::vector<float> left;
    };
    const Case cases[] = {
        {4, 44100, {1, 2, 3, 4}},                       // equal rates copy exactly
        {4, 22050, {1, 1.5f, 2, 2.5f, 3, 3.5f, 4, 2}},  // midpoints, then towards silence
        {5, 88200, {1, 3, 5}},                          // every other frame
        {1, 44100, {1}},
        {0, 22050, {}},
    };
    for (const Case& c : cases) {
        const auto out = resample(ramp(c.frames), c.from, 44100, 64);
        ASSERT_EQ(out.size(), c.left.size() * 2) << c.from << " " << c.frames;
        for (std::size_t i = 0; i < c.left.size(); ++i) {
            EXPECT_FLOAT_EQ(out[2 * i], c.left[i]) << c.from << " frame " << i;
            EXPECT_FLOAT_EQ(out[2 * i + 1], -c.left[i]) << c.from << " frame " << i;
        }
    }
}

TEST(SoundResampler, PullingInSmallPiecesGivesTheSameSignal) {
    const auto source = ramp(3000);
    for (uint32_t from : {22050u, 32000u, 44100u, 48000u}) {
        const auto whole = resample(source, from, 44100, 100000);
        EXPECT_EQ(resample(source, from, 44100, 1), whole) << from;
        EXPECT_EQ(resample(source, from, 44100, 7), whole) << from;
        EXPECT_EQ(resample(source, from, 44100, 1024), whole) << from;
    }
}

}  // namespace
}  // namespace dravel::devices
