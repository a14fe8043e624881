#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "SettingsFileTest.h"
#include "config/storage/AtomicFile.h"
#include "config/storage/IniFile.h"
#include "support/ScopedHook.h"

namespace dravel::config {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public SettingsFileTest {
protected:
    void writeAndCommit(const char* section, const char* key, const std::string& value) const {
        IniFile ini(path());
        ini.writeString(section, key, value);
        ini.commit("Test");
    }
    long filesInDirectory() const {
        return std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
    }
};

TEST_F(IniFileTest, FileBuiltFromNothingFollowsTheWriteOrderWithCrLf) {
    IniFile ini(path());
    ini.writeString("Sound", "Pfad", "C:\\a.wav");
    ini.writeBool("Sound", "Play", true);
    ini.writeInteger("Pin0", "Warten", -5);
    ini.writeBool("Sound", "Wait", false);
    ini.commit("Test");
    EXPECT_EQ(stored(), "[Sound]\r\nPfad=C:\\a.wav\r\nPlay=1\r\nWait=0\r\n[Pin0]\r\nWarten=-5\r\n");
}

TEST_F(IniFileTest, NamesMatchWithoutRegardToCaseAndSurroundingBlanks) {
    IniFile w(path());
    w.writeBool("Sound", "Play", true);
    w.writeBool("Funk", "OnOff", true);
    w.writeInteger("Funk", "EndLautstärke", 2);
    w.writeInteger("Funktionsprobe", "Wochentag im Monat", 3);
    w.commit("Test");

    const IniFile r(path());
    EXPECT_TRUE(r.readBool("Sound  ", "Play", false));
    EXPECT_TRUE(r.readBool("sound", " play ", false));
    EXPECT_TRUE(r.readBool("funk", "onoff", false));
    EXPECT_EQ(r.readInteger("Funk", "Endlautstärke", -1), 2);
    EXPECT_EQ(r.readInteger("FUNK", "ENDLAUTSTÄRKE", -1), 2);  // Ä folds like A
    EXPECT_EQ(r.readInteger("Funktionsprobe", "Wochentag Im Monat", -1), 3);
}

TEST_F(IniFileTest, YesNoAndIntegerEncodings) {
    store(
        "[S]\r\nTwo=2\r\nWord=ja\r\nZero=0\r\nHex=0x10\r\nHexUpper=0X1f\r\nBareHex=0x\r\n"
        "Neg=-12\r\nPlus=+7\r\nEmpty=\r\nHuge=99999999999\r\nAllOnes=0xFFFFFFFF\r\nTail=12a\r\n");
    const IniFile ini(path());
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
    store("[Pin0]\r\n  Bemerkung  =  " + longValue + "  \r\nQ=\"  quoted \"\r\nS='a'\r\n" +
          "Mixed=\"a'\r\nLong=" + std::string(3000, 'y') + "\r\n");
    const IniFile ini(path());
    EXPECT_EQ(ini.readString("Pin0", "Bemerkung", ""), longValue);
    EXPECT_EQ(ini.readString("Pin0", "Q", ""), "  quoted ");
    EXPECT_EQ(ini.readString("Pin0", "S", ""), "a");
    EXPECT_EQ(ini.readString("Pin0", "Mixed", ""), "\"a'");
    EXPECT_EQ(ini.readString("Pin0", "Long", "").size(), 2047u);
}

TEST_F(IniFileTest, TextIsWindows1252OnDiskAndUtf8InMemory) {
    writeAndCommit("Pin0", "Bemerkung", "Sirene Süd – Ω");
    EXPECT_EQ(stored(),
              "[Pin0]\r\nBemerkung=Sirene S\xFC"
              "d \x96 ?\r\n");
    EXPECT_EQ(IniFile(path()).readString("Pin0", "Bemerkung", ""), "Sirene Süd – ?");
}

TEST_F(IniFileTest, ForeignLinesSurviveWritesByteForByte) {
    store(
        "; written by hand\nstray line before any section\n[Other]\nKeep = as is \n\n"
        "[Sound]\r\nPfad=old\r\n   ; comment inside\r\nNoEquals\r\n\r\n[Tail]\nx=1");
    IniFile ini(path());
    ini.writeString("Sound", "Pfad", "new");
    ini.writeBool("Sound", "Play", true);
    ini.writeInteger("Tail", "y", 2);
    ini.writeInteger("Fresh", "z", 3);
    ini.commit("Test");
    EXPECT_EQ(stored(),
              "; written by hand\nstray line before any section\n[Other]\nKeep = as is \n\n"
              "[Sound]\r\nPfad=new\r\nPlay=1\r\n   ; comment inside\r\nNoEquals\r\n\r\n"
              "[Tail]\nx=1\r\ny=2\r\n[Fresh]\r\nz=3\r\n");
}

TEST_F(IniFileTest, FirstOfDuplicateSectionsAndKeysWins) {
    store("[A]\nk=1\nk=2\n[a]\nk=3\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readInteger("A", "k", 0), 1);
    ini.writeInteger("A", "k", 9);
    ini.commit("Test");
    EXPECT_EQ(stored(), "[A]\nk=9\r\nk=2\n[a]\nk=3\n");
}

TEST_F(IniFileTest, LineBreaksInsideAValueCannotInjectKeys) {
    writeAndCommit("Pin0", "Bemerkung", "harmless\r\n[Sound]\r\nPlay=1\nx\ry");
    const IniFile ini(path());
    EXPECT_FALSE(ini.readBool("Sound", "Play", false));
    EXPECT_EQ(ini.readString("Pin0", "Bemerkung", ""), "harmless  [Sound]  Play=1 x y");
    EXPECT_EQ(stored(), "[Pin0]\r\nBemerkung=harmless  [Sound]  Play=1 x y\r\n");
}

TEST_F(IniFileTest, NothingReachesTheDiskBeforeCommitAndEverythingAtOnce) {
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Sound", "Pfad", "dflt"), "dflt");
    ini.commit("Test");
    EXPECT_FALSE(fs::exists(path())) << "a commit without writes created the file";
    ini.writeBool("Prog", "Tray", true);
    ini.writeBool("Prog", "Ende", false);
    EXPECT_TRUE(ini.hasPendingWrites());
    EXPECT_FALSE(fs::exists(path()));
    EXPECT_EQ(ini.readInteger("Prog", "Ende", 7), 0);  // reads see the command's own writes
    ini.commit("Test");
    EXPECT_FALSE(ini.hasPendingWrites());
    EXPECT_EQ(stored(), "[Prog]\r\nTray=1\r\nEnde=0\r\n");
}

TEST_F(IniFileTest, ReadOnlyFileIsRefusedWithTheMessageAndLeftUntouched) {
    store("[Prog]\r\nTray=0\r\n");
    fs::permissions(path(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    IniFile ini(path());
    ini.writeBool("Prog", "Tray", true);
    try {
        ini.commit("Test");
        FAIL() << "commit succeeded on a read-only file";
    } catch (const WriteError& e) {
        EXPECT_EQ(std::string(e.what()), "In " + path() + " kann nicht geschrieben werden");
    }
    EXPECT_EQ(stored(), "[Prog]\r\nTray=0\r\n");
    EXPECT_EQ(filesInDirectory(), 1);
}

TEST_F(IniFileTest, ReadOnlyDirectoryIsRefused) {
    if (!testplatform::foldersCanBeReadOnly())
        GTEST_SKIP() << "folders cannot be made read-only here";
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    IniFile ini(path());
    ini.writeBool("Prog", "Tray", true);
    EXPECT_THROW(ini.commit("Test"), WriteError);
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(path()));
}

TEST_F(IniFileTest, FailureBeforeTheRenameKeepsTheOldFileWhole) {
    store("[Sound]\r\nPfad=old\r\n");
    IniFile ini(path());
    ini.writeString("Sound", "Pfad", "new");
    ini.writeBool("Sound", "Play", true);
    {
        const dravel::testing::ScopedHook<bool> failing(replaceFailBeforeRename, true);
        EXPECT_THROW(ini.commit("Test"), WriteError);
    }
    EXPECT_EQ(stored(), "[Sound]\r\nPfad=old\r\n");
    EXPECT_EQ(filesInDirectory(), 1) << "the temporary file was left behind";
    ini.commit("Test");  // the same writes go through once the disk works again
    EXPECT_EQ(stored(), "[Sound]\r\nPfad=new\r\nPlay=1\r\n");
}

TEST_F(IniFileTest, ReplacementKeepsTheFilesPermissionsAndLivesInTheProgramDirectory) {
    store("[A]\r\nk=1\r\n");
    fs::permissions(path(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const auto perms = fs::status(path()).permissions();  // as far as the platform has them
    writeAndCommit("A", "k", "2");
    EXPECT_EQ(fs::status(path()).permissions(), perms);
    EXPECT_EQ(settingsFilePath("/opt/dravel/"), "/opt/dravel/Prog.ini");
}

// Rules of the platform's profile functions beyond the plain ones.
TEST_F(IniFileTest, ASignMayAppearOnlyOnce) {
    const std::pair<const char*, int> cases[] = {{"+-5", 99}, {"+-0", 99}, {"-+5", 99}, {"++5", 99},
                                                 {"--5", 99}, {"+5", 5},   {"-5", -5},  {"+0", 0}};
    for (const auto& [stored, expected] : cases) {
        store(std::string("[S]\r\nk=") + stored + "\r\n");
        EXPECT_EQ(IniFile(path()).readInteger("S", "k", 99), expected) << stored;
    }
}

TEST_F(IniFileTest, AnOpeningBracketWithoutItsCloseIsAPlainLineOfTheSectionBefore) {
    store("[S]\r\nk=1\r\n[a\r\nm=2\r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readInteger("S", "m", 0), 2);
    EXPECT_EQ(ini.readInteger("a", "m", 0), 0);
    ini.writeInteger("S", "n", 3);
    ini.writeInteger("a", "x", 4);
    ini.commit("Test");
    EXPECT_EQ(stored(), "[S]\r\nk=1\r\n[a\r\nm=2\r\nn=3\r\n[a]\r\nx=4\r\n");
}

TEST_F(IniFileTest, ABareCarriageReturnEndsALine) {
    store("[S]\rk=1\rm=2\r[T]\r\nx=3\ny=4\r");
    IniFile ini(path());
    EXPECT_EQ(ini.readInteger("S", "k", 0), 1);
    EXPECT_EQ(ini.readInteger("S", "m", 0), 2);
    EXPECT_EQ(ini.readInteger("T", "x", 0), 3);
    EXPECT_EQ(ini.readInteger("T", "y", 0), 4);
    ini.writeInteger("S", "k", 5);
    ini.writeInteger("T", "z", 6);
    ini.commit("Test");
    EXPECT_EQ(stored(), "[S]\rk=5\r\nm=2\r[T]\r\nx=3\ny=4\rz=6\r\n");
}

TEST_F(IniFileTest, ADefaultIsCutTo2047CharactersLikeAStoredValue) {
    const IniFile ini(path());
    EXPECT_EQ(ini.readString("S", "k", std::string(3000, 'd')), std::string(2047, 'd'));
    std::string umlauts;
    for (int i = 0; i < 3000; ++i) umlauts += "ä";
    EXPECT_EQ(ini.readString("S", "k", umlauts), umlauts.substr(0, 2047 * 2));
}

// Names are the program's own constants; one that would read back as
// something else is a programming error, never a line in the file.
TEST_F(IniFileTest, NamesThatWouldReadBackAsSomethingElseAreRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {"Sound\r\n[Pin0]", "Play"}, {"Sound", "Play\nx"}, {"Sound", "Pl\ray"}, {"[Sound]", "Play"},
        {" [Sound", "Play"},         {";Sound", "Play"},   {"Sound", "[Play"},  {"Sound", " ;Play"},
        {"Sound", "Play=1"},         {"So]und", "Play"}};
    for (const auto& [section, key] : cases) {
        IniFile ini(path());
        EXPECT_DEBUG_DEATH(EXPECT_THROW(ini.writeBool(section, key, true), std::runtime_error), "")
            << section << " / " << key;
        EXPECT_FALSE(ini.hasPendingWrites()) << section << " / " << key;
    }
    IniFile ini(path());
    ini.writeBool(" Sound  ", " Play ", true);  // blanks around a name are no part of it
    ini.commit("Test");
    EXPECT_EQ(stored(), "[Sound]\r\nPlay=1\r\n");
}

}  // namespace
}  // namespace dravel::config
