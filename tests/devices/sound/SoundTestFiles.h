#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <vector>

// Sound files for the tests, written at run time with libsndfile into a
// temporary folder that disappears with the test.
namespace dravel::devices::testing {

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kMp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
constexpr int kFlac = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;

class TempFolder {
public:
    TempFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("dravel-sound-" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Writes interleaved samples; fails the test when libsndfile refuses.
inline void writeSoundFile(const std::string& path, int format, int rate, int channels,
                           const std::vector<float>& samples) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    const sf_count_t frames = static_cast<sf_count_t>(samples.size()) / channels;
    EXPECT_EQ(sf_writef_float(file, samples.data(), frames), frames);
    sf_close(file);
}

inline std::vector<float> sineSamples(std::size_t frames, int rate, double hertz,
                                      double amplitude) {
    std::vector<float> samples(frames);
    for (std::size_t i = 0; i < frames; ++i)
        samples[i] =
            static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hertz * i / rate));
    return samples;
}

inline double rootMeanSquare(const std::vector<float>& samples) {
    double sum = 0;
    for (float s : samples) sum += double{s} * s;
    return samples.empty() ? 0.0 : std::sqrt(sum / samples.size());
}

}  // namespace dravel::devices::testing
