#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "devices/sound/SoundMixer.h"

namespace dravel::devices {
namespace {

// A source of `frames` frames of one value on both sides.
class ConstantSource : public SoundSource {
public:
    ConstantSource(std::size_t frames, float value, bool rewindable = true)
        : frames_(frames), value_(value), rewindable_(rewindable) {}

    std::size_t read(float* stereo, std::size_t frames) override {
        const std::size_t n = std::min(frames, frames_ - position_);
        std::fill_n(stereo, n * 2, value_);
        position_ += n;
        return n;
    }
    bool rewind() override {
        position_ = 0;
        return rewindable_;
    }

private:
    std::size_t frames_;
    float value_;
    bool rewindable_;
    std::size_t position_ = 0;
};

std::vector<float> pull(SoundMixer& mixer, std::size_t frames) {
    std::vector<float> out(frames * 2, 99.0f);
    mixer.mix(out.data(), frames);
    return out;
}

// The left channel (both sides are equal in these tests), as one row.
std::vector<float> left(const std::vector<float>& stereo) {
    std::vector<float> result;
    for (std::size_t i = 0; i < stereo.size(); i += 2) {
        EXPECT_EQ(stereo[i], stereo[i + 1]);
        result.push_back(stereo[i]);
    }
    return result;
}

// Adds a constant source and starts it.
uint32_t start(SoundMixer& mixer, std::size_t frames, float value) {
    const uint32_t handle = mixer.add(std::make_unique<ConstantSource>(frames, value));
    EXPECT_TRUE(mixer.play(handle, false));
    return handle;
}

TEST(SoundMixer, SilentUntilAStreamIsPlayedThenPlaysItToItsEnd) {
    SoundMixer mixer;
    EXPECT_EQ(left(pull(mixer, 3)), std::vector<float>(3, 0.0f));
    const uint32_t handle = mixer.add(std::make_unique<ConstantSource>(5, 0.5f));
    EXPECT_EQ(left(pull(mixer, 3)), std::vector<float>(3, 0.0f));
    ASSERT_TRUE(mixer.play(handle, false));
    EXPECT_EQ(left(pull(mixer, 3)), std::vector<float>(3, 0.5f));
    EXPECT_EQ(left(pull(mixer, 4)), (std::vector<float>{0.5f, 0.5f, 0, 0}));
    EXPECT_EQ(left(pull(mixer, 2)), std::vector<float>(2, 0.0f));
}

TEST(SoundMixer, OverlappingStreamsAreSummedAndClipped) {
    SoundMixer mixer;
    start(mixer, 4, 0.25f);
    EXPECT_EQ(left(pull(mixer, 1)), std::vector<float>{0.25f});
    start(mixer, 2, 0.5f);
    start(mixer, 1, 0.75f);
    EXPECT_EQ(left(pull(mixer, 3)), (std::vector<float>{1.0f, 0.75f, 0.25f}));
    const uint32_t negative = start(mixer, 3, -0.75f);
    ASSERT_TRUE(mixer.play(negative, false));  // already playing: counted once
    start(mixer, 1, -0.5f);
    EXPECT_EQ(left(pull(mixer, 4)), (std::vector<float>{-1.0f, -0.75f, -0.75f, 0}));
}

TEST(SoundMixer, PlayingAgainKeepsGoingUnlessRestarted) {
    SoundMixer mixer;
    const uint32_t handle = mixer.add(std::make_unique<ConstantSource>(4, 0.5f));
    ASSERT_TRUE(mixer.play(handle, false));
    pull(mixer, 3);
    ASSERT_TRUE(mixer.play(handle, false));
    EXPECT_EQ(left(pull(mixer, 2)), (std::vector<float>{0.5f, 0}));

    ASSERT_TRUE(mixer.play(handle, false));  // ended: starts from the beginning
    pull(mixer, 3);
    ASSERT_TRUE(mixer.play(handle, true));
    EXPECT_EQ(left(pull(mixer, 5)), (std::vector<float>{0.5f, 0.5f, 0.5f, 0.5f, 0}));
}

TEST(SoundMixer, RefusesUnknownHandlesAndSourcesThatCannotRestart) {
    SoundMixer mixer;
    EXPECT_FALSE(mixer.play(0, false));
    EXPECT_FALSE(mixer.play(1, false));
    const uint32_t first = mixer.add(std::make_unique<ConstantSource>(2, 0.5f, false));
    const uint32_t second = mixer.add(std::make_unique<ConstantSource>(2, 0.5f));
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_FALSE(mixer.play(second + 1, false));

    ASSERT_TRUE(mixer.play(first, false));
    pull(mixer, 1);
    EXPECT_FALSE(mixer.play(first, true));
    EXPECT_EQ(left(pull(mixer, 2)), std::vector<float>(2, 0.0f));
}

// The output thread mixes while streams are added and started; every frame
// of every stream must reach the output exactly once.
TEST(SoundMixer, StreamsStartedDuringOutputAllPlayCompletely) {
    constexpr int kStreams = 300;
    constexpr std::size_t kFrames = 64;
    constexpr float kValue = 1.0f / 1024;
    SoundMixer mixer;
    std::atomic<bool> done = false;
    double total = 0;
    std::thread output([&] {
        std::vector<float> buffer(2 * 37);
        auto pullOnce = [&] {
            mixer.mix(buffer.data(), 37);
            for (float s : buffer) total += s;
        };
        while (!done) pullOnce();
        for (int i = 0; i < kStreams * 2; ++i) pullOnce();
    });
    for (int i = 0; i < kStreams; ++i) start(mixer, kFrames, kValue);
    done = true;
    output.join();
    EXPECT_DOUBLE_EQ(total, kStreams * kFrames * 2 * double{kValue});
}

}  // namespace
}  // namespace dravel::devices
