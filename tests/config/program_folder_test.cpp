// The two files in program folders as units name them, and saving while another program holds a
// file open: the places where Windows differs from Linux.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "common/TestPlatform.h"
#include "config/conditions/ConditionList.h"
#include "config/storage/AtomicFile.h"
#include "config/storage/IniFile.h"
#include "support/FileBytes.h"
#include "support/ScopedHook.h"

namespace fs = std::filesystem;

namespace dravel::config {

void PrintTo(const ConditionEntry& e, std::ostream* os) {
    *os << '{' << e.pin << ", " << e.kind << ", " << e.description << ", " << e.code << ", "
        << e.audioPath << '}';
}

namespace {

fs::path fromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

using dravel::testing::readBytes;

const std::vector<ConditionEntry> kEntries = {
    {"1", "0", "Wache Süd", "12345", ""},
    {"2", "2", "RTW 1", "6123456780", "C:\\Sounds\\gong.wav"},
};

class ProgramFolder : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        base_ =
            fs::temp_directory_path() / ("dravel-folder-" + std::to_string(std::random_device{}()));
        folder_ = base_ / fromUtf8(GetParam());
        fs::create_directories(folder_);
        programDirectory_ = utf8Of(folder_) + "/";
    }
    void TearDown() override { testplatform::removeTree(base_); }

    fs::path base_;
    fs::path folder_;
    std::string programDirectory_;  // UTF-8, as the program has it
};

TEST_P(ProgramFolder, BothFilesAreWrittenAndReadThere) {
    IniFile ini(settingsFilePath(programDirectory_));
    ini.writeString("Sound", "Pfad", "C:\\Sounds\\Sirene.wav");
    ini.commit();
    writeConditionList(programDirectory_, kEntries);

    EXPECT_EQ(readBytes(folder_ / "Prog.ini"), "[Sound]\r\nPfad=C:\\Sounds\\Sirene.wav\r\n");
    EXPECT_EQ(fs::file_size(folder_ / "Alarmierung.dat"), kEntries.size() * kConditionRecordSize);
    EXPECT_EQ(IniFile(settingsFilePath(programDirectory_)).readString("Sound", "Pfad", ""),
              "C:\\Sounds\\Sirene.wav");
    const ConditionListReadResult read = readConditionList(programDirectory_);
    EXPECT_FALSE(read.error) << *read.error;
    EXPECT_EQ(read.entries, kEntries);

    std::vector<fs::path> made;
    for (const auto& entry : fs::recursive_directory_iterator(base_)) made.push_back(entry.path());
    EXPECT_EQ(made.size(), 3u) << "a file went to a folder of a garbled name";
}

INSTANTIATE_TEST_SUITE_P(Names, ProgramFolder,
                         ::testing::Values("Löschzug Süd", "Wache Nord", "Gerätehaus"));

class HeldOpenFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("dravel-held-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
        programDirectory_ = utf8Of(folder_) + "/";
        IniFile ini(settingsFilePath(programDirectory_));
        ini.writeString("Prog", "Tray", "0");
        ini.commit();
        writeConditionList(programDirectory_, kEntries);
    }
    void TearDown() override { testplatform::removeTree(folder_); }

    // Another program holds the file for a moment, as a virus scanner does after each write. Where
    // a hold keeps the replacement away, it lets go once the save was refused and is to try again.
    class BriefHold {
    public:
        explicit BriefHold(const fs::path& file) : hold_(file) {}
        int refusals() const { return refusals_; }
        int refusalsExpected() const { return testplatform::heldFilesResistReplacement() ? 1 : 0; }

    private:
        testplatform::FileHold hold_;
        int refusals_ = 0;
        dravel::testing::ScopedHook<RetryingHook> retrying_{replaceRetrying, [this] {
                                                                ++refusals_;
                                                                hold_.release();
                                                            }};
    };

    fs::path folder_;
    std::string programDirectory_;
};

TEST_F(HeldOpenFile, SettingsAreSavedOnceTheOtherProgramLetsGo) {
    BriefHold other(folder_ / "Prog.ini");
    IniFile ini(settingsFilePath(programDirectory_));
    ini.writeString("Prog", "Tray", "1");
    EXPECT_NO_THROW(ini.commit());
    EXPECT_EQ(other.refusals(), other.refusalsExpected());
    EXPECT_EQ(readBytes(folder_ / "Prog.ini"), "[Prog]\r\nTray=1\r\n");
}

TEST_F(HeldOpenFile, ConditionListIsSavedOnceTheOtherProgramLetsGo) {
    BriefHold other(folder_ / "Alarmierung.dat");
    EXPECT_NO_THROW(writeConditionList(programDirectory_, {kEntries[1]}));
    EXPECT_EQ(other.refusals(), other.refusalsExpected());
    EXPECT_EQ(readConditionList(programDirectory_).entries, std::vector{kEntries[1]});
}

TEST_F(HeldOpenFile, AHoldThatLastsIsRefusedWithTheMessageAndLeavesTheFileWhole) {
    if (!testplatform::heldFilesResistReplacement())
        GTEST_SKIP() << "an open file never keeps its replacement away here";
    const std::string before = readBytes(folder_ / "Prog.ini");
    testplatform::FileHold hold(folder_ / "Prog.ini");
    IniFile ini(settingsFilePath(programDirectory_));
    ini.writeString("Prog", "Tray", "1");
    try {
        ini.commit();
        FAIL() << "the settings were replaced while another program held them";
    } catch (const WriteError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "In " + settingsFilePath(programDirectory_) + " kann nicht geschrieben werden");
    }
    hold.release();
    EXPECT_EQ(readBytes(folder_ / "Prog.ini"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2)
        << "the temporary file was left behind";
}

}  // namespace
}  // namespace dravel::config
