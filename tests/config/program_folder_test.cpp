// The two files in program folders as units name them, and saving while another program holds a
// file open: the places where Windows differs from Linux.
#include <gtest/gtest.h>

#include "config/SavedFiles.h"
#include "support/ScopedHook.h"

namespace dravel::config {

void PrintTo(const ConditionEntry& e, std::ostream* os) {
    *os << '{' << e.pin << ", " << e.kind << ", " << e.description << ", " << e.code << ", "
        << e.audioPath << '}';
}

namespace savedfiles {
namespace {

const std::vector<ConditionEntry> kEntries = {
    {"1", "0", "Wache Süd", "12345", ""},
    {"2", "2", "RTW 1", "6123456780", "C:\\Sounds\\gong.wav"},
};

class ProgramFolder : public ::testing::TestWithParam<const char*> {
protected:
    TempFolder temp_{"dravel-folder-", GetParam()};
    const fs::path& folder_ = temp_.folder;
    const std::string& programDirectory_ = temp_.dir;
};

TEST_P(ProgramFolder, BothFilesAreWrittenAndReadThere) {
    IniFile ini(settingsFilePath(programDirectory_));
    ini.writeString("Sound", "Pfad", "C:\\Sounds\\Sirene.wav");
    ini.commit("Test");
    writeConditionList(programDirectory_, kEntries, "Test");

    EXPECT_EQ(readBytes(folder_ / "Prog.ini"), "[Sound]\r\nPfad=C:\\Sounds\\Sirene.wav\r\n");
    EXPECT_EQ(fs::file_size(folder_ / "Alarmierung.dat"), kEntries.size() * kConditionRecordSize);
    EXPECT_EQ(IniFile(settingsFilePath(programDirectory_)).readString("Sound", "Pfad", ""),
              "C:\\Sounds\\Sirene.wav");
    const ConditionListReadResult read = readConditionList(programDirectory_);
    EXPECT_FALSE(read.error) << *read.error;
    EXPECT_EQ(read.entries, kEntries);

    std::vector<fs::path> made;
    for (const auto& entry : fs::recursive_directory_iterator(temp_.root))
        made.push_back(entry.path());
    EXPECT_EQ(made.size(), 3u) << "a file went to a folder of a garbled name";
}

INSTANTIATE_TEST_SUITE_P(Names, ProgramFolder,
                         ::testing::Values("Löschzug Süd", "Wache Nord", "Gerätehaus"));

class HeldOpenFile : public ::testing::Test {
protected:
    void SetUp() override {
        IniFile ini(settingsFilePath(programDirectory_));
        ini.writeString("Prog", "Tray", "0");
        ini.commit("Test");
        writeConditionList(programDirectory_, kEntries, "Test");
    }

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

    TempFolder temp_{"dravel-held-", "Wache"};
    const fs::path& folder_ = temp_.folder;
    const std::string& programDirectory_ = temp_.dir;
};

TEST_F(HeldOpenFile, SettingsAreSavedOnceTheOtherProgramLetsGo) {
    BriefHold other(folder_ / "Prog.ini");
    IniFile ini(settingsFilePath(programDirectory_));
    ini.writeString("Prog", "Tray", "1");
    EXPECT_NO_THROW(ini.commit("Test"));
    EXPECT_EQ(other.refusals(), other.refusalsExpected());
    EXPECT_EQ(readBytes(folder_ / "Prog.ini"), "[Prog]\r\nTray=1\r\n");
}

TEST_F(HeldOpenFile, ConditionListIsSavedOnceTheOtherProgramLetsGo) {
    BriefHold other(folder_ / "Alarmierung.dat");
    EXPECT_NO_THROW(writeConditionList(programDirectory_, {kEntries[1]}, "Test"));
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
        ini.commit("Test");
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
}  // namespace savedfiles
}  // namespace dravel::config
