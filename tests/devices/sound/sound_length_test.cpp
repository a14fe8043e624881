// The playing time the sound component reads, against what sox says of the
// same files (made by sox when the tests are built), and the reasons given
// when it cannot read one.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "devices/sound/SoundFileLength.h"
#include "devices/sound/SoundTestFiles.h"

using dravel::devices::soundFileLength;
using namespace dravel::devices::testing;

namespace {

// The folder the build wrote the files into; under Wine the host's root is drive Z:.
std::string madeBySox(const std::string& name) {
#ifdef _WIN32
    return std::string("Z:") + DRAVEL_SOX_FILES + "/" + name;
#else
    return std::string(DRAVEL_SOX_FILES) + "/" + name;
#endif
}

// What `soxi -D` printed for the file, one line per file in the order made.
double soxiSeconds(int line) {
    std::ifstream soxi(madeBySox("soxi.txt"));
    double seconds = -1;
    for (int i = 0; i <= line; ++i) soxi >> seconds;
    return seconds;
}

struct Measured {
    const char* file;
    int soxiLine;
};

class SoxFile : public ::testing::TestWithParam<Measured> {};

TEST_P(SoxFile, PlayingTimeWithinTenMillisecondsOfSoxi) {
    const double expected = soxiSeconds(GetParam().soxiLine);
    ASSERT_GT(expected, 1.0) << "soxi.txt was not written by the build";
    const auto length = soundFileLength(madeBySox(GetParam().file));
    ASSERT_TRUE(length.seconds) << length.reason;
    EXPECT_NEAR(*length.seconds, expected, 0.010);
}

INSTANTIATE_TEST_SUITE_P(Files, SoxFile,
                         ::testing::Values(Measured{"laenge.wav", 0}, Measured{"laenge.mp3", 1},
                                           Measured{"lang.mp3", 2}));

struct Unreadable {
    const char* name;
    const char* content;  // nullptr: no file; "": a folder
    const char* reason;
};

TEST(SoundLength, EachUnreadableFileNamesItsReason) {
    const Unreadable cases[] = {
        {"fehlt.wav", nullptr, "die Datei ist nicht vorhanden"},
        {"ordner.wav", "", "das ist keine Datei"},
        {"text.wav", "kein Klang", "ihr Format kann nicht gelesen werden"},
    };
    TempFolder folder;
    for (const Unreadable& c : cases) {
        const std::string path = folder.file(c.name);
        if (c.content && !*c.content) std::filesystem::create_directory(pathOf(path));
        if (c.content && *c.content) std::ofstream(pathOf(path)) << c.content;
        const auto length = soundFileLength(path);
        EXPECT_FALSE(length.seconds) << c.name;
        EXPECT_EQ(length.reason, c.reason) << c.name;
    }
    EXPECT_EQ(soundFileLength("").reason, "es ist keine Datei gewählt");
}

}  // namespace
