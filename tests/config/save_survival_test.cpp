// What interrupted and concurrent saves leave, for both files, on Linux and Windows: the
// only copy of a file is never deleted, a copy that may be incomplete is never taken for the
// file, and a save never deletes the temporary file of a save that is still alive.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <vector>

#include "config/SavedFiles.h"
#include "support/ScopedHook.h"

namespace dravel::config::savedfiles {
namespace {

class SaveSurvival : public ::testing::TestWithParam<SavedFile> {
protected:
    fs::path file() const { return temp_.folder / GetParam().name; }
    // A leftover of an interrupted save: ".tmp" may be incomplete, ".new" is complete.
    fs::path plant(const std::string& mark, const std::string& digits, const std::string& bytes,
                   fs::file_time_type::duration age) const {
        const fs::path path = temp_.folder / (std::string(GetParam().name) + mark + digits);
        writeBytes(path, bytes);
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
        return path;
    }
    void expectOnlyTheFile() const {
        EXPECT_EQ(temp_.names(), std::set<std::string>{GetParam().name}) << "left behind";
    }
    bool isProgIni() const { return GetParam().name == kProgIni.name; }
    std::string read() const { return GetParam().read(temp_.dir); }
    void save(const std::string& text) const { GetParam().save(temp_.dir, text); }
    std::string bytes(const std::string& text) const { return GetParam().bytes(text); }

    TempFolder temp_{"dravel-survival-", "Wache Süd"};
};

// A copy of an interrupted first save, named as a save names it: ".new", its sequence number,
// its length and checksum. cut shortens its bytes after naming, wrong alters one byte.
struct Copy {
    unsigned sequence;
    const char* text;
    fs::file_time_type::duration age;
    enum { whole, cut, wrong } damage = whole;
};

struct Leftovers {
    const char* name;
    std::vector<Copy> copies;
    bool fileThere;
    const char* readBack;  // "" for no file
    std::size_t copiesLeft;
};

// Only the newest whole copy, by sequence and not by clock, comes back, and only in place of a
// missing file; beside a file every other copy is out of date and goes at that same read.
const Leftovers kLeftovers[] = {
    {"newest by number, not by time",
     {{1, "aelter", 1min}, {2, "neuester", 2h}},
     false,
     "neuester",
     0},
    {"cut copy passed over",
     {{1, "ganz", 2h}, {2, "abgeschnitten", 1min, Copy::cut}},
     false,
     "ganz",
     0},
    {"altered copy passed over",
     {{1, "ganz", 2h}, {3, "verfaelscht", 1min, Copy::wrong}},
     false,
     "ganz",
     0},
    {"nothing whole", {{4, "leer", 1min, Copy::cut}}, false, "", 1},
    {"beside the file", {{1, "veraltet", 1min}, {2, "auch veraltet", 1min}}, true, "gilt", 0},
};

TEST_P(SaveSurvival, OnlyTheNewestCheckedCopyReplacesAMissingFile) {
    for (const Leftovers& row : kLeftovers) {
        SCOPED_TRACE(row.name);
        for (const std::string& name : temp_.names()) fs::remove(temp_.folder / name);
        if (row.fileThere) writeBytes(file(), bytes("gilt"));
        for (const Copy& copy : row.copies) {
            std::string content = bytes(copy.text);
            const fs::path path = atomic_file::checkedCopyPathFor(file(), copy.sequence, content);
            if (copy.damage == Copy::cut) content.pop_back();
            if (copy.damage == Copy::wrong) content[content.size() / 2] ^= 1;
            writeBytes(path, content);
            fs::last_write_time(path, fs::file_time_type::clock::now() - copy.age);
        }
        EXPECT_EQ(read(), row.readBack);
        EXPECT_EQ(temp_.names().size(), row.copiesLeft + (*row.readBack != '\0'));
    }
}

TEST_P(SaveSurvival, AnInterruptedFirstSaveIsNeitherTakenForTheFileNorDeletedUnasked) {
    const std::string cut = bytes("angefangen").substr(0, 12);
    const fs::path unfinished = plant(".tmp", "000004", cut, 1min);
    // Earlier versions marked no copy complete, or gave a complete copy nothing to check.
    const fs::path earlierProgram = plant(".tmp", "7", bytes("alt"), 1h);
    const fs::path unchecked = plant(".new", "000001", bytes("ungeprueft"), 1h);

    EXPECT_EQ(read(), "");
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_EQ(readBytes(unfinished), cut);
    EXPECT_TRUE(fs::exists(earlierProgram));
    EXPECT_TRUE(fs::exists(unchecked));
    save("erster");
    expectOnlyTheFile();
}

TEST_P(SaveSurvival, ASaveOfTheMissingFileKeepsWhatItsCompleteCopyHeld) {
    if (!isProgIni()) GTEST_SKIP() << "a list is saved whole";
    const std::string held = bytes("von Kalvor");
    writeBytes(atomic_file::checkedCopyPathFor(file(), 5, held), held);
    save("neu.wav");
    const IniFile ini(settingsFilePath(temp_.dir));
    EXPECT_EQ(ini.readString("Kalvor", "Text", ""), "von Kalvor");
    EXPECT_EQ(ini.readString("Sound", "Pfad", ""), "neu.wav");
    expectOnlyTheFile();
}

TEST_P(SaveSurvival, LeftoversBesideTheFileAreRemovedByAReadAndTheFileStays) {
    writeBytes(file(), bytes("gilt"));
    plant(".new", "000006", bytes("abgebrochen"), 1min);
    plant(".tmp", "000007", bytes("abgebrochen"), 1min);
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
    // The save of the file itself, not the one that keeps its earlier state.
    const auto savingTheFile = [this] {
        for (const auto& entry : fs::directory_iterator(temp_.folder))
            if (entry.path().filename().string().starts_with(std::string(GetParam().name) + "."))
                return true;
        return false;
    };
    const dravel::testing::ScopedHook<WhileSavingHook> hook(replaceWhileSaving, [&] {
        if (!savingTheFile() || !first.exchange(false)) return;
        created.set_value();
        goingOn.wait();
    });
    auto living = std::async(std::launch::async, [this] { save("langsam"); });
    ASSERT_EQ(created.get_future().wait_for(10s), std::future_status::ready);
    const std::set<std::string> during = temp_.names();
    EXPECT_EQ(during.size(), 2u) << "no temporary file of the living save";

    EXPECT_NO_THROW(save("schnell"));
    for (const std::string& name : during) EXPECT_TRUE(temp_.names().contains(name)) << name;
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
                         [](const auto& info) { return nameOf(info.param); });

}  // namespace
}  // namespace dravel::config::savedfiles
