#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <map>
#include <vector>

#include "common/TestPlatform.h"
#include "common/WaitUntil.h"
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
    void TearDown() override { testplatform::unsetEnvironmentVariable("SDL_DISKAUDIOFILE"); }

    static void useDriver(const char* name) {
        testplatform::setEnvironmentVariable("SDL_AUDIODRIVER", name);
    }

    std::string wav(const std::string& name, float value, std::size_t frames, int channels = 1) {
        const auto path = folder.file(name);
        writeSoundFile(path, kWav16, kRate, channels, std::vector<float>(frames * channels, value));
        return path;
    }
    std::string mp3(const std::string& name) {
        const auto path = folder.file(name);
        writeSoundFile(path, kMp3, kRate, 1, sineSamples(kRate / 4, kRate, 440, 0.5));
        return path;
    }

    TempFolder folder;
};

TEST_F(SoundLibraryTest, WavAndMp3PlayOnTheOutput) {
    auto library = createSdlSoundLibrary();
    ASSERT_TRUE(library->Init(-1, kRate, 0));
    std::string wavFile, mp3File;
    ASSERT_NO_FATAL_FAILURE(wavFile = wav("a.wav", 0.5f, 4410));
    ASSERT_NO_FATAL_FAILURE(mp3File = mp3("b.mp3"));
    for (const auto& path : {wavFile, mp3File}) {
        const uint32_t handle = library->StreamCreateFile(path);
        ASSERT_NE(handle, 0u) << path;
        EXPECT_TRUE(library->ChannelPlay(handle, false)) << path;
    }
}

TEST_F(SoundLibraryTest, MissingOrNonAudioFilesGiveHandleZeroAndNoPlayback) {
    auto library = createSdlSoundLibrary();
    ASSERT_TRUE(library->Init(-1, kRate, 0));
    for (const char* name : {"text.wav", "text.mp3"}) {
        std::ofstream(folder.file(name)) << "Dies ist keine Audiodatei.\n";
    }
    std::ofstream(folder.file("empty.wav"));
    for (const auto& path :
         {folder.file("fehlt.wav"), folder.file("text.wav"), folder.file("text.mp3"),
          folder.file("empty.wav"), folder.file(""), std::string("Pfad"), std::string()}) {
        EXPECT_EQ(library->StreamCreateFile(path), 0u) << path;
    }
    EXPECT_FALSE(library->ChannelPlay(0, false));
    EXPECT_FALSE(library->ChannelPlay(12345, false));
}

// Without output (no Init, or no audio device) files still decode into
// streams, but nothing plays.
TEST_F(SoundLibraryTest, WithoutOutputStreamsAreMadeButDoNotPlay) {
    std::string path;
    ASSERT_NO_FATAL_FAILURE(path = wav("a.wav", 0.5f, 100));
    auto uninitialised = createSdlSoundLibrary();
    const uint32_t handle = uninitialised->StreamCreateFile(path);
    EXPECT_NE(handle, 0u);
    EXPECT_FALSE(uninitialised->ChannelPlay(handle, false));

    useDriver("dravel-no-such-driver");
    auto withoutDevice = createSdlSoundLibrary();
    EXPECT_FALSE(withoutDevice->Init(-1, kRate, 0));
    const uint32_t other = withoutDevice->StreamCreateFile(path);
    EXPECT_NE(other, 0u);
    EXPECT_FALSE(withoutDevice->ChannelPlay(other, false));
}

long openDescriptors() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
}

// A preview that cannot play must not keep its file open: a thousand of them
// would use up the descriptors, and Prog.ini could no longer be read.
TEST_F(SoundLibraryTest, FailedPreviewsWithoutOutputKeepNoFileOpen) {
    if (!std::filesystem::exists("/proc/self/fd")) GTEST_SKIP() << "no /proc/self/fd to count";
    std::string path;
    ASSERT_NO_FATAL_FAILURE(path = wav("a.wav", 0.5f, 100));
    auto uninitialised = createSdlSoundLibrary();
    const long before = openDescriptors();
    for (int preview = 0; preview < 2000; ++preview) {
        const uint32_t handle = uninitialised->StreamCreateFile(path);
        ASSERT_NE(handle, 0u) << "preview " << preview;
        ASSERT_FALSE(uninitialised->ChannelPlay(handle, false));
        ASSERT_FALSE(uninitialised->ChannelPlay(handle, true)) << "a closed stream played";
    }
    EXPECT_LE(openDescriptors(), before + 2);
}

#ifndef _WIN32
// open() of a FIFO would wait for a writer, and hold the program; refusals keep nothing open.
TEST_F(SoundLibraryTest, FifosAndDevicesAreRefusedWithoutBeingWaitedFor) {
    auto library = createSdlSoundLibrary();
    ASSERT_TRUE(library->Init(-1, kRate, 0));
    const std::string fifo = folder.file("alarm.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto preview = std::async(std::launch::async, [&] { return library->StreamCreateFile(fifo); });
    if (preview.wait_for(10s) != std::future_status::ready) {
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // lets the hung open return
        preview.wait();
        FAIL() << "the preview waits in open() for a writer of the FIFO";
    }
    EXPECT_EQ(preview.get(), 0u);

    const std::string device = folder.file("geraet.wav");
    std::filesystem::create_symlink("/dev/zero", device);
    std::ofstream(folder.file("text.wav")) << "Dies ist keine Audiodatei.\n";
    const long before = openDescriptors();
    for (const std::string& path : {device, folder.file(""), folder.file("text.wav")})
        EXPECT_EQ(library->StreamCreateFile(path), 0u) << path;
    EXPECT_EQ(openDescriptors(), before);
}
#else
// The first read of a pipe would wait for the other end, and hold the program.
TEST_F(SoundLibraryTest, PipesAreRefusedWithoutBeingWaitedFor) {
    auto library = createSdlSoundLibrary();
    ASSERT_TRUE(library->Init(-1, kRate, 0));
    const std::string pipe =
        "\\\\.\\pipe\\dravel-sound-" + std::to_string(testplatform::processId());
    const HANDLE server = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX,
                                           PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    auto preview = std::async(std::launch::async, [&] { return library->StreamCreateFile(pipe); });
    const bool waited = preview.wait_for(10s) != std::future_status::ready;
    DisconnectNamedPipe(server);  // ends a read that waits
    CloseHandle(server);
    EXPECT_FALSE(waited) << "the preview waits for data from the pipe";
    EXPECT_EQ(preview.get(), 0u);
}
#endif

// SDL's disk driver writes the output as raw float stereo frames to a file.
TEST_F(SoundLibraryTest, TwoPreviewsOverlapAndBothPlayToTheirEnd) {
    constexpr std::size_t kFramesA = kRate / 2;
    constexpr std::size_t kFramesB = kRate / 4;
    const std::string output = folder.file("output.raw");
    const auto outputBytes = [&] {
        std::error_code error;
        const auto size = std::filesystem::file_size(output, error);
        return error ? 0 : size;
    };
    useDriver("disk");
    testplatform::setEnvironmentVariable("SDL_DISKAUDIOFILE", output);
    auto library = createSdlSoundLibrary();
    ASSERT_TRUE(library->Init(-1, kRate, 0));
    std::string fileA, fileB;
    ASSERT_NO_FATAL_FAILURE(fileA = wav("a.wav", 0.25f, kFramesA, 2));
    ASSERT_NO_FATAL_FAILURE(fileB = wav("b.wav", 0.125f, kFramesB));
    const uint32_t a = library->StreamCreateFile(fileA);
    const uint32_t b = library->StreamCreateFile(fileB);
    // The output runs in real time: wait, within a generous bound, until both have played.
    const auto wanted = outputBytes() + (kFramesA + 8192) * 2 * sizeof(float);
    ASSERT_TRUE(library->ChannelPlay(a, false));
    ASSERT_TRUE(library->ChannelPlay(b, false));
    testplatform::waitUntil([&] { return outputBytes() >= wanted; }, 30s);
    library.reset();
    ASSERT_GE(outputBytes(), wanted) << "the output stalled";

    std::vector<float> samples(outputBytes() / sizeof(float));
    std::ifstream(output, std::ios::binary)
        .read(reinterpret_cast<char*>(samples.data()),
              static_cast<std::streamsize>(samples.size() * sizeof(float)));
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
