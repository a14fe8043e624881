// What interrupted and concurrent saves leave, for both files, on Linux and Windows: the
// only copy of a file is never deleted, a copy that may be incomplete is never taken for the
// file, and a save never deletes the temporary file of a save that is still alive.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <random>
#include <set>
#include <string>

#include "common/TestPlatform.h"
#include "config/conditions/ConditionList.h"
#include "config/storage/AtomicFile.h"
#include "config/storage/IniFile.h"
#include "support/FileBytes.h"
#include "support/ScopedHook.h"

namespace dravel::config {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using dravel::testing::readBytes;
using dravel::testing::writeBytes;

std::string record(const std::string& description) {
    std::string bytes(kConditionRecordSize, '\0');
    const std::string fields[] = {"1", "0", description, "12345", ""};
    for (std::size_t i = 0; i < 5; ++i) {
        bytes[i * kConditionFieldSize] = static_cast<char>(fields[i].size());
        bytes.replace(i * kConditionFieldSize + 1, fields[i].size(), fields[i]);
    }
    return bytes;
}

// The bytes of a version standing for a text, the text as the program reads it back ("" for
// no file), and a save of one more change.
struct SavedFile {
    const char* name;
    std::function<std::string(const std::string& text)> bytes;
    std::function<std::string(const std::string& dir)> read;
    std::function<void(const std::string& dir, const std::string& text)> save;
};

void PrintTo(const SavedFile& file, std::ostream* out) {
    *out << file.name;
}

const SavedFile kProgIni{
    "Prog.ini", [](const std::string& text) { return "[Kalvor]\r\nText=" + text + "\r\n"; },
    [](const std::string& dir) {
        return IniFile(settingsFilePath(dir)).readString("Kalvor", "Text", "");
    },
    [](const std::string& dir, const std::string& text) {
        IniFile ini(settingsFilePath(dir));
        ini.writeString("Sound", "Pfad", text);
        ini.commit();
    }};

const SavedFile kConditionList{"Alarmierung.dat", record,
                               [](const std::string& dir) {
                                   const ConditionListReadResult list = readConditionList(dir);
                                   return list.entries.empty() ? std::string()
                                                               : list.entries.front().description;
                               },
                               [](const std::string& dir, const std::string& text) {
                                   writeConditionList(dir, {{"1", "0", text, "12345", ""}});
                               }};

class SaveSurvival : public ::testing::TestWithParam<SavedFile> {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("dravel-survival-" + std::to_string(std::random_device{}()));
        folder_ = root_ / fs::path(u8"Wache Süd");
        fs::create_directories(folder_);
        const std::u8string utf8 = folder_.u8string();
        dir_ = std::string(utf8.begin(), utf8.end()) + "/";
    }
    void TearDown() override { testplatform::removeTree(root_); }

    fs::path file() const { return folder_ / GetParam().name; }
    // A leftover of an interrupted save: ".tmp" may be incomplete, ".new" is complete.
    fs::path plant(const std::string& mark, const std::string& digits, const std::string& bytes,
                   fs::file_time_type::duration age) const {
        const fs::path path = folder_ / (std::string(GetParam().name) + mark + digits);
        writeBytes(path, bytes);
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
        return path;
    }
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_))
            found.insert(entry.path().filename().string());
        return found;
    }
    void expectOnlyTheFile() const {
        EXPECT_EQ(names(), std::set<std::string>{GetParam().name}) << "left behind";
    }
    bool isProgIni() const { return GetParam().name == kProgIni.name; }
    std::string read() const { return GetParam().read(dir_); }
    void save(const std::string& text) const { GetParam().save(dir_, text); }
    std::string bytes(const std::string& text) const { return GetParam().bytes(text); }

    fs::path root_;
    fs::path folder_;
    std::string dir_;  // UTF-8, as the program has it
};

// Killed between a complete copy and its taking the file's place: the copy is all there is.
TEST_P(SaveSurvival, TheNewestCompleteCopyTakesTheMissingFilesPlaceBeforeItIsRead) {
    plant(".new", "000001", bytes("aelter"), 2h);
    plant(".new", "000002", bytes("neuester"), 1h);
    const fs::path unfinished = plant(".tmp", "000003", bytes("angefangen"), 1min);

    EXPECT_EQ(read(), "neuester");
    EXPECT_EQ(readBytes(file()), bytes("neuester"));
    EXPECT_TRUE(fs::exists(unfinished));
    save("danach");
    expectOnlyTheFile();
}

TEST_P(SaveSurvival, AnInterruptedFirstSaveIsNeitherTakenForTheFileNorDeletedUnasked) {
    const std::string cut = bytes("angefangen").substr(0, 12);
    const fs::path unfinished = plant(".tmp", "000004", cut, 1min);
    // An earlier version of the program marked no copy complete.
    const fs::path earlierProgram = plant(".tmp", "7", bytes("alt"), 1h);

    EXPECT_EQ(read(), "");
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_EQ(readBytes(unfinished), cut);
    EXPECT_TRUE(fs::exists(earlierProgram));
    save("erster");
    expectOnlyTheFile();
}

TEST_P(SaveSurvival, ASaveOfTheMissingFileKeepsWhatItsCompleteCopyHeld) {
    if (!isProgIni()) GTEST_SKIP() << "a list is saved whole";
    plant(".new", "000005", bytes("von Kalvor"), 1h);
    save("neu.wav");
    const IniFile ini(settingsFilePath(dir_));
    EXPECT_EQ(ini.readString("Kalvor", "Text", ""), "von Kalvor");
    EXPECT_EQ(ini.readString("Sound", "Pfad", ""), "neu.wav");
    expectOnlyTheFile();
}

TEST_P(SaveSurvival, LeftoversBesideTheFileAreRemovedAndTheFileStays) {
    writeBytes(file(), bytes("gilt"));
    plant(".new", "000006", bytes("abgebrochen"), 1min);
    plant(".tmp", "000007", bytes("abgebrochen"), 1min);
    EXPECT_EQ(read(), "gilt");
    save("gilt");
    EXPECT_EQ(read(), "gilt");
    expectOnlyTheFile();
}

// One save holds its temporary file while another runs from start to end.
TEST_P(SaveSurvival, ASaveNeverDeletesTheTemporaryFileOfALivingSave) {
    writeBytes(file(), bytes("vorher"));
    std::promise<void> created;
    std::promise<void> goOn;
    std::shared_future<void> goingOn = goOn.get_future().share();
    std::atomic<bool> first{true};
    const dravel::testing::ScopedHook<WhileSavingHook> hook(replaceWhileSaving, [&] {
        if (!first.exchange(false)) return;
        created.set_value();
        goingOn.wait();
    });
    auto living = std::async(std::launch::async, [this] { save("langsam"); });
    ASSERT_EQ(created.get_future().wait_for(10s), std::future_status::ready);
    const std::set<std::string> during = names();
    EXPECT_EQ(during.size(), 2u) << "no temporary file of the living save";

    EXPECT_NO_THROW(save("schnell"));
    for (const std::string& name : during) EXPECT_TRUE(names().contains(name)) << name;
    goOn.set_value();
    EXPECT_NO_THROW(living.get());
    if (!isProgIni()) EXPECT_EQ(read(), "langsam");
    expectOnlyTheFile();
}

// Hidden and system marks are the user's (Windows).
TEST_P(SaveSurvival, AHiddenFileStaysHidden) {
    writeBytes(file(), bytes("versteckt"));
    if (!testplatform::markHidden(file())) GTEST_SKIP() << "no hidden mark on files here";
    save("weiter");
    EXPECT_TRUE(testplatform::isMarkedHidden(file()));
    expectOnlyTheFile();
}

INSTANTIATE_TEST_SUITE_P(BothFiles, SaveSurvival, ::testing::Values(kProgIni, kConditionList),
                         [](const auto& info) {
                             return info.param.name == kProgIni.name ? "ProgIni" : "ConditionList";
                         });

}  // namespace
}  // namespace dravel::config
