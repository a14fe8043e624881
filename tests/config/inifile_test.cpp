#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "config/AtomicFile.h"
#include "config/IniFile.h"

namespace fs = std::filesystem;
using dravel::config::IniFile;
using dravel::config::WriteError;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("dravel-ini-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "Prog.ini").string();
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    void writeBytes(const std::string& bytes) {
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    std::string bytes() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void writeAndCommit(const char* section, const char* key, const std::string& value) {
        IniFile ini(path_);
        ini.writeString(section, key, value);
        ini.commit();
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(IniFileTest, FileBuiltFromNothingFollowsTheWriteOrderWithCrLf) {
    IniFile ini(path_);
    ini.writeString("Sound", "Pfad", "C:\\a.wav");
    ini.writeBool("Sound", "Play", true);
    ini.writeInteger("Pin0", "Warten", -5);
    ini.writeBool("Sound", "Wait", false);
    ini.commit();
    EXPECT_EQ(bytes(), "[Sound]\r\nPfad=C:\\a.wav\r\nPlay=1\r\nWait=0\r\n[Pin0]\r\nWarten=-5\r\n");
}

TEST_F(IniFileTest, NamesMatchWithoutRegardToCaseAndSurroundingBlanks) {
    IniFile w(path_);
    w.writeBool("Sound", "Play", true);
    w.writeBool("Funk", "OnOff", true);
    w.writeInteger("Funk", "EndLautstärke", 2);
    w.writeInteger("Funktionsprobe", "Wochentag im Monat", 3);
    w.commit();

    const IniFile r(path_);
    EXPECT_TRUE(r.readBool("Sound  ", "Play", false));
    EXPECT_TRUE(r.readBool("sound", " play ", false));
    EXPECT_TRUE(r.readBool("funk", "onoff", false));
    EXPECT_EQ(r.readInteger("Funk", "Endlautstärke", -1), 2);
    EXPECT_EQ(r.readInteger("FUNK", "ENDLAUTSTÄRKE", -1), 2);  // Ä folds like A
    EXPECT_EQ(r.readInteger("Funktionsprobe", "Wochentag Im Monat", -1), 3);
}

TEST_F(IniFileTest, YesNoAndIntegerEncodings) {
    writeBytes(
        "[S]\r\nTwo=2\r\nWord=ja\r\nZero=0\r\nHex=0x10\r\nHexUpper=0X1f\r\nBareHex=0x\r\n"
        "Neg=-12\r\nPlus=+7\r\nEmpty=\r\nHuge=99999999999\r\nAllOnes=0xFFFFFFFF\r\nTail=12a\r\n");
    const IniFile ini(path_);
    EXPECT_TRUE(ini.readBool("S", "Two", false));
    EXPECT_FALSE(ini.readBool("S", "Word", false));
    EXPECT_TRUE(ini.readBool("S", "Word", true));
    EXPECT_FALSE(ini.readBool("S", "Zero", true));
    EXPECT_EQ(ini.readInteger("S", "Hex", 0), 16);
    EXPECT_EQ(ini.readInteger("S", "HexUpper", 0), 31);
    EXPECT_EQ(ini.readInteger("S", "BareHex", 42), 42);
    EXPECT_EQ(ini.readInteger("S", "Neg", 0), -12);
    EXPECT_EQ(ini.readInteger("S", "Plus", 0), 7);
    EXPECT_EQ(ini.readInteger("S", "Empty", 5), 5);
    EXPECT_EQ(ini.readInteger("S", "Huge", 5), 5);
    EXPECT_EQ(ini.readInteger("S", "AllOnes", 5), -1);
    EXPECT_EQ(ini.readInteger("S", "Tail", 5), 5);
    EXPECT_EQ(ini.readInteger("S", "Missing", 9), 9);
    EXPECT_EQ(ini.readInteger("Nope", "Two", 9), 9);
}

TEST_F(IniFileTest, ValuesAreTrimmedUnquotedAndCutAt2047Characters) {
    const std::string longValue(300, 'x');
    const std::string tooLong(3000, 'y');
    writeBytes("[Pin0]\r\n  Bemerkung  =  " + longValue + "  \r\nQ=\"  quoted \"\r\nS='a'\r\n" +
               "Mixed=\"a'\r\nLong=" + tooLong + "\r\n");
    const IniFile ini(path_);
    EXPECT_EQ(ini.readString("Pin0", "Bemerkung", ""), longValue);
    EXPECT_EQ(ini.readString("Pin0", "Q", ""), "  quoted ");
    EXPECT_EQ(ini.readString("Pin0", "S", ""), "a");
    EXPECT_EQ(ini.readString("Pin0", "Mixed", ""), "\"a'");
    EXPECT_EQ(ini.readString("Pin0", "Long", "").size(), 2047u);
}

TEST_F(IniFileTest, TextIsWindows1252OnDiskAndUtf8InMemory) {
    writeAndCommit("Pin0", "Bemerkung", "Sirene Süd – Ω");
    EXPECT_EQ(bytes(), "[Pin0]\r\nBemerkung=Sirene S\xFC" "d \x96 ?\r\n");
    EXPECT_EQ(IniFile(path_).readString("Pin0", "Bemerkung", ""), "Sirene Süd – ?");
}

TEST_F(IniFileTest, ForeignLinesSurviveWritesByteForByte) {
    const std::string original =
        "; written by hand\n"
        "stray line before any section\n"
        "[Other]\n"
        "Keep = as is \n"
        "\n"
        "[Sound]\r\n"
        "Pfad=old\r\n"
        "   ; comment inside\r\n"
        "NoEquals\r\n"
        "\r\n"
        "[Tail]\n"
        "x=1";
    writeBytes(original);
    IniFile ini(path_);
    ini.writeString("Sound", "Pfad", "new");
    ini.writeBool("Sound", "Play", true);
    ini.writeInteger("Tail", "y", 2);
    ini.writeInteger("Fresh", "z", 3);
    ini.commit();
    EXPECT_EQ(bytes(),
              "; written by hand\n"
              "stray line before any section\n"
              "[Other]\n"
              "Keep = as is \n"
              "\n"
              "[Sound]\r\n"
              "Pfad=new\r\n"
              "Play=1\r\n"
              "   ; comment inside\r\n"
              "NoEquals\r\n"
              "\r\n"
              "[Tail]\n"
              "x=1\r\n"
              "y=2\r\n"
              "[Fresh]\r\n"
              "z=3\r\n");
}

TEST_F(IniFileTest, FirstOfDuplicateSectionsAndKeysWins) {
    writeBytes("[A]\nk=1\nk=2\n[a]\nk=3\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.readInteger("A", "k", 0), 1);
    ini.writeInteger("A", "k", 9);
    ini.commit();
    EXPECT_EQ(bytes(), "[A]\nk=9\r\nk=2\n[a]\nk=3\n");
}

TEST_F(IniFileTest, LineBreaksInsideAValueCannotInjectKeys) {
    writeAndCommit("Pin0", "Bemerkung", "harmless\r\n[Sound]\r\nPlay=1\nx\ry");
    const IniFile ini(path_);
    EXPECT_FALSE(ini.readBool("Sound", "Play", false));
    EXPECT_EQ(ini.readString("Pin0", "Bemerkung", ""), "harmless  [Sound]  Play=1 x y");
    EXPECT_EQ(bytes(), "[Pin0]\r\nBemerkung=harmless  [Sound]  Play=1 x y\r\n");
}

TEST_F(IniFileTest, NothingReachesTheDiskBeforeCommitAndEverythingAtOnce) {
    IniFile ini(path_);
    ini.writeBool("Prog", "Tray", true);
    ini.writeBool("Prog", "Ende", false);
    EXPECT_TRUE(ini.hasPendingWrites());
    EXPECT_FALSE(fs::exists(path_));
    EXPECT_EQ(ini.readInteger("Prog", "Ende", 7), 0);  // reads see the command's own writes
    ini.commit();
    EXPECT_FALSE(ini.hasPendingWrites());
    EXPECT_EQ(bytes(), "[Prog]\r\nTray=1\r\nEnde=0\r\n");
}

TEST_F(IniFileTest, AMissingFileReadsAsEmptyAndACommitWithoutWritesCreatesNothing) {
    IniFile ini(path_);
    EXPECT_EQ(ini.readString("Sound", "Pfad", "dflt"), "dflt");
    ini.commit();
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(IniFileTest, ReadOnlyFileIsRefusedWithTheMessageAndLeftUntouched) {
    writeBytes("[Prog]\r\nTray=0\r\n");
    fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    IniFile ini(path_);
    ini.writeBool("Prog", "Tray", true);
    try {
        ini.commit();
        FAIL() << "commit succeeded on a read-only file";
    } catch (const WriteError& e) {
        EXPECT_EQ(std::string(e.what()), "In " + path_ + " kann nicht geschrieben werden");
    }
    EXPECT_EQ(bytes(), "[Prog]\r\nTray=0\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(IniFileTest, ReadOnlyDirectoryIsRefused) {
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    IniFile ini(path_);
    ini.writeBool("Prog", "Tray", true);
    EXPECT_THROW(ini.commit(), WriteError);
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(IniFileTest, FailureBeforeTheRenameKeepsTheOldFileWhole) {
    writeBytes("[Sound]\r\nPfad=old\r\n");
    IniFile ini(path_);
    ini.writeString("Sound", "Pfad", "new");
    ini.writeBool("Sound", "Play", true);
    dravel::config::setFailBeforeRenameForTests(true);
    EXPECT_THROW(ini.commit(), WriteError);
    dravel::config::setFailBeforeRenameForTests(false);
    EXPECT_EQ(bytes(), "[Sound]\r\nPfad=old\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1)
        << "the temporary file was left behind";
    ini.commit();  // the same writes go through once the disk works again
    EXPECT_EQ(bytes(), "[Sound]\r\nPfad=new\r\nPlay=1\r\n");
}

TEST_F(IniFileTest, ReplacementKeepsTheFilesPermissions) {
    writeBytes("[A]\r\nk=1\r\n");
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    writeAndCommit("A", "k", "2");
    EXPECT_EQ(fs::status(path_).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(SettingsPath, IsProgIniInTheProgramDirectory) {
    EXPECT_EQ(dravel::config::settingsFilePath("/opt/dravel/"), "/opt/dravel/Prog.ini");
}

}  // namespace
