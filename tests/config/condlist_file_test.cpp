#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <random>

#include "common/TestPlatform.h"
#include "config/conditions/ConditionList.h"
#include "config/storage/AtomicFile.h"
#include "support/FileBytes.h"
#include "support/ScopedHook.h"

namespace fs = std::filesystem;

namespace dravel::config {
namespace {

using dravel::testing::readBytes;
using dravel::testing::writeBytes;

// A record made by hand from Windows-1252 field texts; the bytes after each
// text are filled with `filler`, which readers must ignore.
std::string handMadeRecord(const std::array<std::string_view, 5>& fields, char filler = '\0') {
    std::string record;
    for (std::string_view text : fields) {
        std::string field(kConditionFieldSize, filler);
        field[0] = static_cast<char>(text.size());
        std::copy(text.begin(), text.end(), field.begin() + 1);
        record += field;
    }
    return record;
}

class ConditionListFile : public ::testing::Test {
protected:
    void SetUp() override {
        dirPath_ =
            fs::temp_directory_path() / ("condlist-" + std::to_string(std::random_device{}()));
        fs::create_directories(dirPath_);
        dir_ = dirPath_.string() + "/";
        file_ = conditionListPath(dir_);
    }
    void TearDown() override { testplatform::removeTree(dirPath_); }
    std::vector<std::string> directoryListing() const {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(dirPath_))
            names.push_back(item.path().filename().string());
        return names;
    }

    fs::path dirPath_;
    std::string dir_;
    std::string file_;
};

const std::vector<ConditionEntry> kThreeEntries = {
    {"1", "0", "Wache Nord", "12345", ""},
    {"0", "1", "Kleinalarm", "2?345671", "C:\\Sounds\\gong.wav"},
    {"2", "2", "RTW 1", "6123456780", "/home/leit/sirene.mp3"},
};

// Five fields of 256 bytes each: a length byte, the text, zeros.
TEST_F(ConditionListFile, WritesTheRecordLayoutByteForByte) {
    writeConditionList(dir_, {{"1", "0", "Hallo", "12345", ""}}, "Test");
    std::string expected(kConditionRecordSize, '\0');
    const auto put = [&](std::size_t offset, std::string_view text) {
        expected[offset] = static_cast<char>(text.size());
        expected.replace(offset + 1, text.size(), text);
    };
    put(0, "1");
    put(256, "0");
    put(512, "Hallo");
    put(768, "12345");
    EXPECT_EQ(readBytes(file_), expected);
}

TEST_F(ConditionListFile, ReadsWholeRecordsOnlyAndIgnoresBytesAfterEachText) {
    const std::string records =
        handMadeRecord({"1", "0", "Hallo", "12345", ""}, 'x') +
        handMadeRecord({"2", "2", "FMS", "6123456780", "C:\\a.wav"}, '\xff');
    const std::vector<ConditionEntry> expected = {{"1", "0", "Hallo", "12345", ""},
                                                  {"2", "2", "FMS", "6123456780", "C:\\a.wav"}};

    writeBytes(file_, records);
    ASSERT_EQ(fs::file_size(file_), 2560u);
    auto result = readConditionList(dir_);
    EXPECT_EQ(result.entries, expected);
    EXPECT_FALSE(result.error);

    writeBytes(file_, records + std::string(40, '\x07'));
    result = readConditionList(dir_);
    EXPECT_EQ(result.entries, expected);
    EXPECT_FALSE(result.error);
}

TEST_F(ConditionListFile, RoundTripsEntriesAndAnEmptyListIsAnEmptyFile) {
    auto result = readConditionList(dir_);
    EXPECT_TRUE(result.entries.empty());
    EXPECT_FALSE(result.error) << "a missing file is an empty list";

    writeConditionList(dir_, kThreeEntries, "Test");
    EXPECT_EQ(fs::file_size(file_), 3840u);
    result = readConditionList(dir_);
    EXPECT_EQ(result.entries, kThreeEntries);
    EXPECT_FALSE(result.error);

    writeConditionList(dir_, {}, "Test");
    EXPECT_EQ(fs::file_size(file_), 0u);
    result = readConditionList(dir_);
    EXPECT_TRUE(result.entries.empty());
    EXPECT_FALSE(result.error);
}

TEST_F(ConditionListFile, CutsTextsTo255CharactersNotBytes) {
    std::string longText;
    for (int i = 0; i < 300; ++i) longText += "ä";
    writeConditionList(dir_, {{"0", "0", longText, "12345", "/x/" + longText}}, "Test");

    const std::string bytes = readBytes(file_);
    EXPECT_EQ(bytes.substr(512, 256), "\xff" + std::string(255, '\xe4'));
    EXPECT_EQ(bytes.substr(1024, 256), "\xff/x/" + std::string(252, '\xe4'));
    const auto entries = readConditionList(dir_).entries;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].description.size(), 255u * 2);
}

TEST_F(ConditionListFile, StoresUmlautsAsSingleWindows1252Bytes) {
    writeConditionList(
        dir_, {{"0", "0", "Übung Süd ß €", "12345", ""}, {"0", "0", "Pfeil → Ziel", "12345", ""}},
        "Test");
    const std::string bytes = readBytes(file_);
    EXPECT_EQ(bytes.substr(512, 14), std::string("\x0d\xdc") + "bung S\xfc" + "d \xdf \x80");
    EXPECT_EQ(bytes.substr(1280 + 512, 13), "\x0cPfeil ? Ziel");
    const auto entries = readConditionList(dir_).entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].description, "Übung Süd ß €");
}

TEST_F(ConditionListFile, ForeignFieldTextsSurviveOpeningAndSaving) {
    std::string allBytes;
    for (int b = 1; b < 256; ++b) allBytes += static_cast<char>(b);
    const std::string original = handMadeRecord({"7", "x2", allBytes, "ZZ", ""}) +
                                 handMadeRecord({"", "", "", "", ""}) +
                                 handMadeRecord({"01", "2", "Alt", "12345", "a.wav"});
    writeBytes(file_, original);

    const auto result = readConditionList(dir_);
    ASSERT_EQ(result.entries.size(), 3u);
    EXPECT_EQ(result.entries[0].pin, "7");
    EXPECT_EQ(result.entries[0].kind, "x2");
    writeConditionList(dir_, result.entries, "Test");
    EXPECT_EQ(readBytes(file_), original);
}

TEST(ConditionListNames, PathFieldIndexAndAudioFileName) {
    EXPECT_EQ(conditionListPath("/opt/dravel/"), "/opt/dravel/Alarmierung.dat");
    EXPECT_EQ(conditionFieldIndex("0"), 0);
    EXPECT_EQ(conditionFieldIndex("2"), 2);
    EXPECT_EQ(conditionFieldIndex("01"), 1);
    for (const char* noIndex : {"3", "12", "", " 1", "-1"})
        EXPECT_EQ(conditionFieldIndex(noIndex), std::nullopt) << noIndex;
    EXPECT_EQ(audioFileName("C:\\Programme\\Kalvor\\gong.wav"), "gong.wav");
    EXPECT_EQ(audioFileName("/home/leit/sirene.mp3"), "sirene.mp3");
    EXPECT_EQ(audioFileName("lokal.wav"), "lokal.wav");
    EXPECT_EQ(audioFileName(""), "");
}

TEST_F(ConditionListFile, ReadsAFileThatCannotBeOpenedForWriting) {
    writeConditionList(dir_, kThreeEntries, "Test");
    fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(readConditionList(dir_).entries, kThreeEntries);

    // Root may open even read-only files for writing, but no one may open a
    // running program for writing: the list must still be readable.
    const fs::path self = testplatform::runningExecutable();
    fs::permissions(file_, fs::perms::owner_write, fs::perm_options::add);
    fs::remove(file_);
    std::error_code ec;
    fs::create_symlink(self, file_, ec);
    if (ec) GTEST_SKIP() << "no symbolic link to the running program: " << ec.message();
    const auto result = readConditionList(dir_);
    EXPECT_FALSE(result.error) << *result.error;
    EXPECT_EQ(result.entries.size(), fs::file_size(self) / kConditionRecordSize);
}

TEST_F(ConditionListFile, RefusesToReplaceAReadOnlyFile) {
    writeConditionList(dir_, kThreeEntries, "Test");
    const std::string before = readBytes(file_);
    fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    try {
        writeConditionList(dir_, {}, "Test");
        FAIL() << "read-only file was replaced";
    } catch (const ConditionListError& e) {
        EXPECT_STREQ(e.what(), "Dateizugriff verweigert");
    }
    EXPECT_EQ(readBytes(file_), before);
}

TEST_F(ConditionListFile, FailureBeforeTheRenameKeepsThePreviousList) {
    writeConditionList(dir_, kThreeEntries, "Test");
    const std::string before = readBytes(file_);

    {
        const dravel::testing::ScopedHook<bool> failing(replaceFailBeforeRename, true);
        EXPECT_THROW(writeConditionList(dir_, {{"0", "0", "neu", "11111", ""}}, "Test"),
                     ConditionListError);
    }

    EXPECT_EQ(readBytes(file_), before);
    EXPECT_EQ(directoryListing(), std::vector<std::string>{"Alarmierung.dat"});
}

// A program folder outside the ANSI code page: the list written there is the
// list read back, never an empty one that a save would then overwrite.
TEST_F(ConditionListFile, AProgramFolderWithUmlautsIsReadAndWritten) {
    const std::string folder = dir_ + "Löschzug Süd/";
    fs::create_directory(pathFromUtf8(folder));
    writeConditionList(folder, kThreeEntries, "Test");
    const auto result = readConditionList(folder);
    EXPECT_EQ(result.entries, kThreeEntries);
    EXPECT_FALSE(result.error);
}

TEST_F(ConditionListFile, ADirectoryInPlaceOfTheFileIsRefused) {
    fs::create_directory(file_);
    const auto result = readConditionList(dir_);
    EXPECT_TRUE(result.entries.empty());
    EXPECT_EQ(result.error, "Dateizugriff verweigert");
    EXPECT_THROW(writeConditionList(dir_, kThreeEntries, "Test"), ConditionListError);
}

TEST(ConditionListErrors, CarryTheSystemsGermanMessage) {
    EXPECT_EQ(fileErrorMessage(std::make_error_code(std::errc::permission_denied)),
              "Dateizugriff verweigert");
    EXPECT_EQ(fileErrorMessage(std::make_error_code(std::errc::read_only_file_system)),
              "Dateizugriff verweigert");
    EXPECT_EQ(fileErrorMessage(std::make_error_code(std::errc::no_space_on_device)),
              "Zu wenig Speicherplatz");
    const auto io = std::make_error_code(std::errc::io_error);
    EXPECT_EQ(fileErrorMessage(io), "E/A-Fehler " + std::to_string(io.value()));
    const ConditionListError error(std::make_error_code(std::errc::no_space_on_device));
    EXPECT_STREQ(error.what(), "Zu wenig Speicherplatz");
    EXPECT_EQ(error.cause(), std::errc::no_space_on_device);
}

}  // namespace
}  // namespace dravel::config

namespace dravel::config {
namespace {

// What the editor read is compared with the file before it saves: other bytes, a deleted file
// or one created meanwhile are a change; the same list saved again is not.
TEST_F(ConditionListFile, TellsWhetherTheFileChangedSinceItWasRead) {
    const std::vector<ConditionEntry> other = {{"2", "0", "Wache Süd", "12345", ""}};
    const auto save = [this](const std::vector<ConditionEntry>& list) {
        return std::function<void()>([this, list] { writeConditionList(dir_, list, "Test"); });
    };
    const std::function<void()> none = [] {}, gone = [this] { fs::remove(file_); };
    const std::tuple<bool, std::function<void()>, bool> rows[] = {
        {true, none, false},       {true, save(kThreeEntries), false},
        {true, save(other), true}, {true, gone, true},
        {false, save({}), true},   {false, none, false}};
    for (std::size_t row = 0; row < std::size(rows); ++row) {
        const auto& [fileAtRead, meanwhile, changed] = rows[row];
        fs::remove(file_);
        if (fileAtRead) writeConditionList(dir_, kThreeEntries, "Test");
        const FileFingerprint read = readConditionList(dir_).read;
        meanwhile();
        EXPECT_EQ(conditionListChangedSince(dir_, read), changed) << "row " << row;
    }
}

}  // namespace
}  // namespace dravel::config
