#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>
#include <vector>

#include "devices/sound/SoundLibrary.h"
#include "devices/sound/SoundTestFiles.h"

namespace dravel::devices {
namespace {

using namespace dravel::devices::testing;
using namespace std::chrono_literals;

constexpr int kRate = 44100;

// Every test picks its SDL audio driver itself, so that even a run outside
// CTest never reaches the sound card.
class SoundLibraryTest : public ::testing::Test {
protected:
    void SetUp() override { useDriver("dummy"); }
    void TearDown() override { unsetenv("SDL_DISKAUDIOFILE"); }

    static void useDriver(const char* name) { setenv("SDL_AUDIODRIVER", name, 1); }

    std::string wav(const std::string& name, float value, std::size_t frames, int channels = 1) {
        const auto path = folder.file(name);
        writeSoundFile(path, kWav16, kRate, channels, constantSamples(frames, channels, value));
        return path;
    }
    std::string mp3(const std::string& name) {
        const auto path = folder.file(name);
        writeSoundFile(path, kMp3, kRate, 1, sineSamples(kRate / 4, kRate, 440, 0.5));
        return path;
    }

    TempFolder folder;
};

TEST_F(SoundLibraryTest, VersionHasTheExpectedHighWord) {
    EXPECT_EQ(createSdlSoundLibrary()->GetVersion() >> 16, SoundLibrary::kExpectedVersionHigh);
}

TEST_F(SoundLibraryTest, WavAndMp3PlayOnTheOutput) {
    auto library = createSdlSoundLibrary();
    ASSERT_TRUE(library->Init(-1, kRate, 0));
    for (const auto& path : {wav("a.wav", 0.5f, 4410), mp3("b.mp3")}) {
        const uint32_t handle = library->StreamCreateFile(path);
        ASSERT_NE(handle, 0u) << path;
        EXPECT_TRUE(library->ChannelPlay(handle, false)) << path;
        EXPECT_TRUE(library->ChannelPlay(handle, false)) << path;
    }
}

TEST_F(SoundLibraryTest, MissingOrNonAudioFilesGiveHandleZeroAndNoPlayback) {
    auto library = createSdlSoundLibrary();
    ASSERT_TRUE(library->Init(-1, kRate, 0));
    writeTextFile(folder.file("text.mp3"), "keine Musik");
    for (const auto& path :
         {folder.file("fehlt.wav"), folder.file("text.mp3"), std::string("Pfad")})
        EXPECT_EQ(library->StreamCreateFile(path), 0u) << path;
    EXPECT_FALSE(library->ChannelPlay(0, false));
    EXPECT_FALSE(library->ChannelPlay(12345, false));
}

TEST_F(SoundLibraryTest, StreamsDecodeWithoutOutputButDoNotPlay) {
    auto library = createSdlSoundLibrary();
    const uint32_t handle = library->StreamCreateFile(wav("a.wav", 0.5f, 100));
    EXPECT_NE(handle, 0u);
    EXPECT_FALSE(library->ChannelPlay(handle, false));
}

TEST_F(SoundLibraryTest, WithoutAnAudioDeviceInitFails) {
    useDriver("dravel-no-such-driver");
    auto library = createSdlSoundLibrary();
    EXPECT_FALSE(library->Init(-1, kRate, 0));
    const uint32_t handle = library->StreamCreateFile(wav("a.wav", 0.5f, 100));
    EXPECT_NE(handle, 0u);
    EXPECT_FALSE(library->ChannelPlay(handle, false));
}

// SDL's disk driver writes the output as raw float stereo frames to a file.
class SoundOutputFile : public SoundLibraryTest {
protected:
    void SetUp() override {
        useDriver("disk");
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    }

    std::uintmax_t outputBytes() const {
        std::error_code error;
        const auto size = std::filesystem::file_size(output, error);
        return error ? 0 : size;
    }

    // The output runs in real time; waits (within a generous bound) until
    // `frames` more frames than now have been written.
    void waitForFrames(std::size_t frames) const {
        const auto wanted = outputBytes() + frames * 2 * sizeof(float);
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (outputBytes() < wanted && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
        ASSERT_GE(outputBytes(), wanted) << "the output stalled";
    }

    std::vector<float> written() const {
        std::ifstream in(output, std::ios::binary);
        std::vector<float> samples(outputBytes() / sizeof(float));
        in.read(reinterpret_cast<char*>(samples.data()),
                static_cast<std::streamsize>(samples.size() * sizeof(float)));
        return samples;
    }

    std::string output = folder.file("output.raw");
};

TEST_F(SoundOutputFile, TwoPreviewsOverlapAndBothPlayToTheirEnd) {
    constexpr std::size_t kFramesA = kRate / 2;
    constexpr std::size_t kFramesB = kRate / 4;
    auto library = createSdlSoundLibrary();
    ASSERT_TRUE(library->Init(-1, kRate, 0));
    const uint32_t a = library->StreamCreateFile(wav("a.wav", 0.25f, kFramesA, 2));
    const uint32_t b = library->StreamCreateFile(wav("b.wav", 0.125f, kFramesB));
    ASSERT_TRUE(library->ChannelPlay(a, false));
    ASSERT_TRUE(library->ChannelPlay(b, false));
    waitForFrames(kFramesA + 8192);
    library.reset();

    const auto samples = written();
    std::map<float, std::size_t> framesByValue;
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
        ASSERT_EQ(samples[i], samples[i + 1]) << "frame " << i / 2;
        ++framesByValue[samples[i]];
    }
    framesByValue.erase(0.0f);
    const std::size_t both = framesByValue[0.375f];
    EXPECT_GT(both, 0u) << "the previews never overlapped";
    EXPECT_EQ(framesByValue[0.25f] + both, kFramesA);
    EXPECT_EQ(framesByValue[0.125f] + both, kFramesB);
    EXPECT_EQ(framesByValue.size(), 3u) << "unexpected output values";
}

TEST_F(SoundOutputFile, Mp3IsHeard) {
    auto library = createSdlSoundLibrary();
    ASSERT_TRUE(library->Init(-1, kRate, 0));
    ASSERT_TRUE(library->ChannelPlay(library->StreamCreateFile(mp3("tone.mp3")), false));
    waitForFrames(kRate / 4 + 8192);
    library.reset();

    const auto samples = written();
    const auto loud =
        std::count_if(samples.begin(), samples.end(), [](float s) { return std::abs(s) > 0.25f; });
    // A 0.5 sine is above 0.25 for two thirds of the time, on both sides.
    EXPECT_NEAR(static_cast<double>(loud), 2.0 / 3 * kRate / 4 * 2, 500);
}

TEST(SoundLibraryInstance, ReplacingHandsBackThePreviousLibrary) {
    auto own = createSdlSoundLibrary();
    SoundLibrary* ownAddress = own.get();
    auto previous = replaceSoundLibrary(std::move(own));
    EXPECT_EQ(&soundLibrary(), ownAddress);
    auto back = replaceSoundLibrary(std::move(previous));
    EXPECT_EQ(back.get(), ownAddress);
    replaceSoundLibrary(nullptr);
    EXPECT_NE(&soundLibrary(), nullptr);
    EXPECT_EQ(soundLibrary().GetVersion() >> 16, SoundLibrary::kExpectedVersionHigh);
}

}  // namespace
}  // namespace dravel::devices
