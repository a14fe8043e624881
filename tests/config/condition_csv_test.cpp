#include <gtest/gtest.h>

#include <random>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "SettingsFileTest.h"
#include "config/extras/ConditionCsv.h"

using namespace dravel::config;

namespace dravel::config {
void PrintTo(const ConditionEntry& e, std::ostream* out) {
    *out << '{' << e.pin << '|' << e.kind << '|' << e.description << '|' << e.code << '|'
         << e.audioPath << '}';
}
void PrintTo(const CsvRefusal& r, std::ostream* out) {
    *out << r.line << ": " << r.reason;
}
}  // namespace dravel::config

namespace {

// One text field of a record: length byte, the bytes, zero fill.
std::string field(const std::string& bytes) {
    std::string f(kConditionFieldSize, '\0');
    f[0] = static_cast<char>(bytes.size());
    f.replace(1, bytes.size(), bytes);
    return f;
}

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHead = "Pin;Art;Code;Beschreibung;Audiodatei\r\n";

TEST(ConditionCsv, ExportQuotesOnlyWhatNeedsIt) {
    const std::vector<ConditionEntry> list = {
        {"0", "0", "Gerätehaus; Tor", "1234?", "C:\\Töne\\gong.wav"},
        {"2", "2", "Sagt \"Halt\"", "ABCDEF01??", ""},
        {"1", "1", " Rand ", "2999999?", "a\r\nb"},
    };
    EXPECT_EQ(exportConditionCsv(list), kBom + kHead +
                                            "0;0;1234?;\"Gerätehaus; Tor\";C:\\Töne\\gong.wav\r\n"
                                            "2;2;ABCDEF01??;\"Sagt \"\"Halt\"\"\";\r\n"
                                            "1;1;2999999?;\" Rand \";\"a\r\nb\"\r\n");
    EXPECT_EQ(exportConditionCsv({}), kBom + kHead);
}

class ConditionCsvFiles : public SettingsFileTest {
protected:
    std::string directory() const { return dir_.string() + "/"; }
    std::string datBytes() const {
        std::ifstream in(conditionListPath(directory()), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(ConditionCsvFiles, ExportThenImportGivesTheSameFileByteForByte) {
    std::string everyCp1252Letter;
    for (int b = 0xA0; b <= 0xFF; ++b) everyCp1252Letter += static_cast<char>(b);
    for (int b = 0x80; b < 0xA0; ++b) everyCp1252Letter += static_cast<char>(b);
    const std::string longText = std::string(254, 'x') + "ä";
    writeConditionList(directory(),
                       {{"0", "0", "Gerätehaus; Tor \"Nord\"", "1234?", "C:\\Töne\\gong.wav"},
                        {"1", "1", longText, "2999999?", "D:\\" + std::string(252, 'p')},
                        {"2", "2", " Leerzeichen am Rand ", "ABCDEF01??", ""},
                        {"2", "0", "€uro", "?????", ""}},
                       "Test");
    // A record as another program could write it: all of Windows-1252 above
    // ASCII in the description.
    std::ofstream(conditionListPath(directory()), std::ios::app | std::ios::binary)
        << field("0") + field("0") + field(everyCp1252Letter.substr(0, 255)) + field("12345") +
               field("");
    const std::string before = datBytes();
    ASSERT_EQ(before.size(), 5 * kConditionRecordSize);

    const std::string csvPath = (dir_ / "liste.csv").string();
    writeConditionCsvFile(csvPath, readConditionList(directory()).entries);
    const CsvImport imported = importConditionCsv(readCsvFile(csvPath));
    EXPECT_TRUE(imported.refused.empty()) << imported.refused.front().reason;
    EXPECT_EQ(imported.encoding, CsvEncoding::Utf8);
    writeConditionList(directory(), imported.entries, "Test");
    EXPECT_EQ(datBytes(), before);
}

TEST(ConditionCsv, ImportTakesCaptionsWindows1252AndQuotedLineBreaks) {
    const CsvImport cp1252 = importConditionCsv(
        "Pin;Art;Code;Beschreibung;Audiodatei\n"
        "Pin 4 (DTR);posac;2999999?;Ger\xE4tehaus;\n"
        " 2 ; FMS-Kennung ;0123456780;\"Tor \"\"Nord\"\"\";\"x;y\"\n"
        "0;5-Tonfolgen;12345;Stra\xDF"
        "e;\r\n");
    EXPECT_EQ(cp1252.encoding, CsvEncoding::Windows1252);
    EXPECT_TRUE(cp1252.refused.empty());
    EXPECT_EQ(cp1252.entries,
              (std::vector<ConditionEntry>{{"1", "1", "Gerätehaus", "2999999?", ""},
                                           {"2", "2", "Tor \"Nord\"", "0123456780", "x;y"},
                                           {"0", "0", "Straße", "12345", ""}}));
    const CsvImport utf8 = importConditionCsv(
        "pin ; art;Code;BESCHREIBUNG;Audiodatei\r\r\n"
        "0;0;12345;Gerätehaus;\r\n\r\n");
    EXPECT_EQ(utf8.encoding, CsvEncoding::Utf8);
    EXPECT_TRUE(utf8.refused.empty());
    EXPECT_EQ(utf8.entries, (std::vector<ConditionEntry>{{"0", "0", "Gerätehaus", "12345", ""}}));
}

TEST(ConditionCsv, ImportRefusesEveryBadRowWithItsLineAndReasons) {
    const std::string file = kHead +
                             "0;0;12345;gut;\r\n"            // 2
                             "0;0;12345\r\n"                 // 3
                             "0;0;12345;a;b;c\r\n"           // 4
                             "3;0;12345;Pin falsch;\r\n"     // 5
                             "0;Funk;12345;Art falsch;\r\n"  // 6
                             "0;1;1234567;zu kurz;\r\n"      // 7
                             "0;0;12345;;\r\n"               // 8
                             "0;0;12345;" +
                             std::string(256, 'x') +
                             ";\r\n"  // 9
                             "0;0;12345;ok;" +
                             std::string(256, 'p') +
                             "\r\n"                                           // 10
                             "0;0;12345;Tab\there;\r\n"                       // 11
                             "0;0;12345;Omega Ω;\r\n"                         // 12
                             "\"0\";\"0\";\"12345\";\"zwei\r\nZeilen\";\r\n"  // 13-14
                             "0;0;12345;\"offen;\r\n"                         // 15
                             "1;1;12345678;nie gelesen;\r\n";
    const std::string longPin =
        kHead + "0;0;12345;ok;\r\n" + std::string(30, 'x') + ";0;12345;a;\r\n";
    EXPECT_EQ(importConditionCsv(longPin).refused,
              (std::vector<CsvRefusal>{{3, "Pin \"" + std::string(20, 'x') +
                                               "…\" ist weder 0, 1, 2 noch ein Pin der Liste"}}));
    const CsvImport result = importConditionCsv(kBom + file);
    EXPECT_EQ(result.entries, (std::vector<ConditionEntry>{{"0", "0", "gut", "12345", ""}}));
    const std::vector<CsvRefusal> expected = {
        {3, "5 Spalten erwartet, 3 gefunden"},
        {4, "5 Spalten erwartet, 6 gefunden"},
        {5, "Pin \"3\" ist weder 0, 1, 2 noch ein Pin der Liste"},
        {6, "Art \"Funk\" ist weder 0, 1, 2 noch eine Art der Liste"},
        {7, "Kennung hat 7 statt 8 Zeichen (POSAC)"},
        {8, "Beschreibung fehlt"},
        {9, "Beschreibung ist länger als 255 Zeichen"},
        {10, "Audiodatei ist länger als 255 Zeichen"},
        {11, "Beschreibung enthält Steuerzeichen"},
        {12, "Beschreibung enthält Zeichen, die Alarmierung.dat nicht speichern kann"},
        {13, "Beschreibung enthält Steuerzeichen"},  // the editor has no line breaks
        {15, "Anführungszeichen wird nicht geschlossen"},
    };
    EXPECT_EQ(result.refused, expected);
    EXPECT_EQ(
        importConditionCsv("0;0;12345;ohne Kopf;\r\n").refused,
        (std::vector<CsvRefusal>{{1, "Kopfzeile Pin;Art;Code;Beschreibung;Audiodatei fehlt"}}));
}

TEST(ConditionCsv, BinaryJunkAndTenMegabytesAreRefusedOrReadWithoutHarm) {
    std::mt19937 random(13);
    std::string junk(10u << 20, '\0');
    for (char& c : junk) c = static_cast<char>(random());
    const CsvImport fromJunk = importConditionCsv(junk);
    EXPECT_TRUE(fromJunk.entries.empty());
    EXPECT_FALSE(fromJunk.refused.empty());
    EXPECT_EQ(fromJunk.encoding, CsvEncoding::Windows1252);

    std::string big = kHead;
    std::size_t rows = 0;
    while (big.size() < (10u << 20)) {
        big += "1;2;0123456780;Fahrzeug " + std::to_string(rows++) + ";C:\\a.wav\r\n";
    }
    const CsvImport fromBig = importConditionCsv(big);
    EXPECT_TRUE(fromBig.refused.empty());
    ASSERT_EQ(fromBig.entries.size(), rows);
    EXPECT_EQ(fromBig.entries.back().description, "Fahrzeug " + std::to_string(rows - 1));
}

TEST_F(ConditionCsvFiles, FilesThatCannotBeReadOrWritten) {
    EXPECT_THROW(readCsvFile((dir_ / "fehlt.csv").string()), ConditionListError);
    const std::string huge = (dir_ / "riesig.csv").string();
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, kMaxCsvBytes + 1);
    EXPECT_THROW(readCsvFile(huge), std::runtime_error);
    // A read-only file, not folder: Windows ignores that mark on folders.
    const std::string locked = (dir_ / "neu.csv").string();
    std::ofstream(locked).close();
    std::filesystem::permissions(locked,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_THROW(writeConditionCsvFile(locked, {}), ConditionListError);
}

#ifndef _WIN32
// A pipe or a device picked in the file dialog is named for what it is, not a refused access.
TEST_F(ConditionCsvFiles, APipeOrADeviceIsNotARegularFile) {
    const std::string pipe = (dir_ / "pipe.csv").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string device = (dir_ / "null.csv").string();
    std::filesystem::create_symlink("/dev/null", device);
    for (const std::string& path : {pipe, device}) {
        try {
            readCsvFile(path);
            ADD_FAILURE() << path << " was read";
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), "Die Datei ist keine reguläre Datei") << path;
        }
    }
}
#endif

}  // namespace
