#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <vector>

#include "common/TestPlatform.h"
#include "devices/sound/SoundFileSource.h"
#include "devices/sound/SoundTestFiles.h"

namespace dravel::devices {
namespace {

using namespace dravel::devices::testing;

constexpr uint32_t kRate = 44100;

std::vector<float> readAll(SoundSource& source) {
    std::vector<float> out;
    std::vector<float> buffer(2 * 1000);
    for (;;) {
        const std::size_t got = source.read(buffer.data(), 1000);
        out.insert(out.end(), buffer.begin(), buffer.begin() + got * 2);
        if (got < 1000) return out;
    }
}

// Left and right samples apart.
std::vector<float> channel(const std::vector<float>& stereo, std::size_t side) {
    std::vector<float> result;
    for (std::size_t i = side; i < stereo.size(); i += 2) result.push_back(stereo[i]);
    return result;
}

// Counts rising zero crossings: the number of periods of a tone.
int periods(const std::vector<float>& samples) {
    int count = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) count += samples[i - 1] < 0 && samples[i] >= 0;
    return count;
}

class SoundFile : public ::testing::Test {
protected:
    TempFolder folder;
};

TEST_F(SoundFile, StereoWavIsDecodedSampleForSample) {
    std::vector<float> samples;
    for (int i = 0; i < 5000; ++i) samples.insert(samples.end(), {(i % 64) / 128.0f, -0.25f});
    const auto path = folder.file("stereo.wav");
    ASSERT_NO_FATAL_FAILURE(writeSoundFile(path, kWav16, kRate, 2, samples));
    auto source = SoundFileSource::open(path, kRate);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(readAll(*source), samples);
}

TEST_F(SoundFile, MonoIsPlayedOnBothSidesFromAPathWithUmlautsAndBlanks) {
    std::filesystem::create_directory(pathOf(folder.file("Alarmtöne")));
    const auto path = folder.file("Alarmtöne/Sirene Überlauf.wav");
    ASSERT_NO_FATAL_FAILURE(
        writeSoundFile(path, kWav16, kRate, 1, sineSamples(3000, kRate, 440, 0.5)));
    auto source = SoundFileSource::open(path, kRate);
    ASSERT_NE(source, nullptr);
    const auto out = readAll(*source);
    ASSERT_EQ(out.size(), 6000u);
    EXPECT_EQ(channel(out, 0), channel(out, 1));
    EXPECT_NEAR(rootMeanSquare(channel(out, 0)), 0.5 / std::sqrt(2), 0.01);
}

TEST_F(SoundFile, OtherRatesAreConvertedKeepingLengthAndPitch) {
    for (int rate : {8000, 22050, 48000}) {
        const auto path = folder.file("tone" + std::to_string(rate) + ".wav");
        ASSERT_NO_FATAL_FAILURE(
            writeSoundFile(path, kWav16, rate, 1, sineSamples(rate / 2, rate, 500, 0.5)));
        auto source = SoundFileSource::open(path, kRate);
        ASSERT_NE(source, nullptr) << rate;
        const auto left = channel(readAll(*source), 0);
        EXPECT_EQ(left.size(), kRate / 2) << rate;
        EXPECT_NEAR(periods(left), 250, 1) << rate;
    }
}

TEST_F(SoundFile, Mp3AndFlacAreDecoded) {
    const auto tone = sineSamples(kRate / 2, kRate, 440, 0.5);
    for (const auto& [name, format] :
         {std::pair{"tone.mp3", kMp3}, std::pair{"tone.flac", kFlac}}) {
        if (!canWrite(format)) {
            std::cout << "[   NOTE   ] " << name << ": this libsndfile has no such codec\n";
            continue;
        }
        const auto path = folder.file(name);
        ASSERT_NO_FATAL_FAILURE(writeSoundFile(path, format, kRate, 1, tone));
        auto source = SoundFileSource::open(path, kRate);
        ASSERT_NE(source, nullptr) << name;
        const auto left = channel(readAll(*source), 0);
        EXPECT_NEAR(static_cast<double>(left.size()), tone.size(), 2000) << name;
        EXPECT_NEAR(rootMeanSquare(left), rootMeanSquare(tone), 0.02) << name;
        EXPECT_NEAR(periods(left), 220, 2) << name;
    }
}

// Every preview keeps its stream for the whole run, so a stream holds its file
// open only while it plays, or many previews exhaust the limit. Rewinding
// opens the file again.
TEST_F(SoundFile, AnEndedStreamHoldsNoFileAndRewindPlaysItAgain) {
    auto openFiles = [] { return testplatform::openHandleCount(); };
    const auto path = folder.file("again.wav");
    ASSERT_NO_FATAL_FAILURE(
        writeSoundFile(path, kWav16, kRate, 1, sineSamples(2500, kRate, 440, 0.5)));
    const auto before = openFiles();
    if (before == 0) GTEST_SKIP() << "this system does not count the process's open handles";
    auto source = SoundFileSource::open(path, kRate);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(openFiles(), before + 1);
    const auto first = readAll(*source);
    EXPECT_EQ(openFiles(), before);
    float buffer[2];
    EXPECT_EQ(source->read(buffer, 1), 0u);

    ASSERT_TRUE(source->rewind());
    std::filesystem::remove(path);
    EXPECT_EQ(readAll(*source), first);  // the open file plays on
    EXPECT_FALSE(source->rewind());
    EXPECT_EQ(source->read(buffer, 1), 0u);
}

}  // namespace
}  // namespace dravel::devices
