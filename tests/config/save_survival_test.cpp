// What interrupted and concurrent saves leave, for both files, on Linux and Windows: the
// only copy of a file is never deleted, a copy that may be incomplete is never taken for the
// file, and a save never deletes the temporary file of a save that is still alive.
#include <gtest/gtest.h>

#include <atomic>
#include <future>

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
    const IniFile ini(settingsFilePath(temp_.dir));
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
