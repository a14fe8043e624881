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

TEST(SoundResampler, EqualRatesCopyEveryFrameExactly) {
    const auto source = ramp(1000);
    const auto out = resample(source, 44100, 44100, 256);
    ASSERT_EQ(out.size(), 2000u);
    for (std::size_t i = 0; i < source.size(); ++i) {
        EXPECT_EQ(out[2 * i], source[i].left);
        EXPECT_EQ(out[2 * i + 1], source[i].right);
    }
}

TEST(SoundResampler, DoubleRateInsertsMidpointsAndFadesAfterTheLastFrame) {
    const auto out = resample(ramp(4), 22050, 44100, 64);
    const std::vector<float> left = {1, 1.5f, 2, 2.5f, 3, 3.5f, 4, 2};
    ASSERT_EQ(out.size(), left.size() * 2);
    for (std::size_t i = 0; i < left.size(); ++i) {
        EXPECT_FLOAT_EQ(out[2 * i], left[i]) << "frame " << i;
        EXPECT_FLOAT_EQ(out[2 * i + 1], -left[i]) << "frame " << i;
    }
}

TEST(SoundResampler, HalfRateTakesEveryOtherFrame) {
    const auto out = resample(ramp(5), 88200, 44100, 64);
    const std::vector<float> expected = {1, -1, 3, -3, 5, -5};
    EXPECT_EQ(out, expected);
}

TEST(SoundResampler, PullingInSmallPiecesGivesTheSameSignal) {
    const auto source = ramp(3000);
    for (uint32_t from : {22050u, 32000u, 48000u}) {
        const auto whole = resample(source, from, 44100, 100000);
        EXPECT_EQ(resample(source, from, 44100, 1), whole) << from;
        EXPECT_EQ(resample(source, from, 44100, 7), whole) << from;
        EXPECT_EQ(resample(source, from, 44100, 1024), whole) << from;
    }
}

TEST(SoundResampler, EmptyAndSingleFrameSources) {
    EXPECT_TRUE(resample({}, 22050, 44100, 16).empty());
    const std::vector<float> single = {1, -1};
    EXPECT_EQ(resample(ramp(1), 44100, 44100, 16), single);
}

}  // namespace
}  // namespace dravel::devices
