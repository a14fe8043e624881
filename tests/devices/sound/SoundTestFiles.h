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

inline std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

class TempFolder {
public:
    TempFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("dravel-sound-" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    // A UTF-8 path, as the program keeps paths.
    std::string file(const std::string& name) const {
        const std::u8string text = (path_ / std::u8string(name.begin(), name.end())).u8string();
        return std::string(text.begin(), text.end());
    }

private:
    std::filesystem::path path_;
};

// Writes interleaved samples to a UTF-8 path; fails the test when libsndfile refuses. The
// file is written under a plain name and then moved, as libsndfile's narrow open would take an
// umlaut on Windows in the ANSI code page.
inline void writeSoundFile(const std::string& path, int format, int rate, int channels,
                           const std::vector<float>& samples) {
    const std::filesystem::path plain = std::filesystem::temp_directory_path() /
                                        ("dravel-sound-" + std::to_string(std::random_device{}()));
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(plain.string().c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    const sf_count_t frames = static_cast<sf_count_t>(samples.size()) / channels;
    EXPECT_EQ(sf_writef_float(file, samples.data(), frames), frames);
    sf_close(file);
    std::filesystem::rename(plain, pathOf(path));
}

// Whether this libsndfile can write the codec (the Windows build has WAV and MP3 only).
inline bool canWrite(int format) {
    const std::filesystem::path probe = std::filesystem::temp_directory_path() /
                                        ("dravel-probe-" + std::to_string(std::random_device{}()));
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = format;
    SNDFILE* file = sf_open(probe.string().c_str(), SFM_WRITE, &info);
    if (file) sf_close(file);
    std::error_code ignored;
    std::filesystem::remove(probe, ignored);
    return file != nullptr;
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
