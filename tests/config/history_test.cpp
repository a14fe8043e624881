// The states both files keep in "Verlauf" when the program's own save path replaces them: one
// per save, in order, whole; the oldest beyond a hundred and thirty days removed; a history that
// cannot be written never stops the save.
#include <gtest/gtest.h>

#include "config/SavedFiles.h"
#include "config/storage/History.h"
#include "support/ScopedHook.h"

namespace dravel::config::savedfiles {
namespace {

using Clock = std::chrono::system_clock;
using dravel::testing::ScopedHook;

class History : public ::testing::TestWithParam<SavedFile> {
protected:
    fs::path file() const { return temp_.folder / GetParam().name; }
    fs::path history() const { return temp_.folder / "Verlauf"; }
    std::string bytes(const std::string& text) const { return GetParam().bytes(text); }
    void save(const std::string& text) const { (void)saveNoting(text); }
    // The program's own save, leaving the file as bytes(text), with its note.
    HistoryWarning saveNoting(const std::string& text) const {
        if (GetParam().name == kProgIni.name) {
            IniFile ini(settingsFilePath(temp_.dir));
            ini.writeString("Kalvor", "Text", text);
            return ini.commit("Test");
        }
        return writeConditionList(temp_.dir, {{"1", "0", text, "12345", ""}}, "Test");
    }
    std::vector<HistoryState> states() const {
        std::vector<HistoryState> found;
        for (const HistoryState& state : listHistory(temp_.dir))
            if (state.fileName == GetParam().name) found.push_back(state);
        return found;
    }
    std::string contentOf(const HistoryState& state) const {
        std::string content;
        EXPECT_FALSE(readHistoryState(state, content)) << state.path;
        return content;
    }

    TempFolder temp_{"dravel-history-", "Wache Süd"};
    Clock::time_point now_ = Clock::now();
    ScopedHook<HistoryClock> clock_{replaceHistoryClock, [this] { return now_; }};
    ScopedHook<std::string> user_{replaceUserName, "Gruppenführer Süd"};
};

TEST_P(History, TenSavesKeepTenStatesNewestFirstEachWhole) {
    writeBytes(file(), bytes("Stand 0"));
    for (int i = 1; i <= 10; ++i) {
        now_ += std::chrono::minutes(1);
        save("Stand " + std::to_string(i));
    }
    const std::vector<HistoryState> kept = states();
    ASSERT_EQ(kept.size(), 10u);
    EXPECT_EQ(readBytes(file()), bytes("Stand 10"));
    for (std::size_t i = 0; i < kept.size(); ++i) {
        SCOPED_TRACE(i);
        // The newest state holds what the last save replaced.
        EXPECT_EQ(contentOf(kept[i]), bytes("Stand " + std::to_string(9 - i)));
        EXPECT_EQ(kept[i].user, "Gruppenführer Süd");
        EXPECT_EQ(kept[i].command, "Test");
        EXPECT_FALSE(kept[i].changedOutside);
        if (i > 0) {
            EXPECT_EQ(kept[i - 1].replacedAt - kept[i].replacedAt, std::chrono::minutes(1));
        }
    }
}

TEST_P(History, AFirstSaveReplacesNothingAndKeepsNothing) {
    save("neu");
    EXPECT_TRUE(states().empty());
}

TEST_P(History, SavesInTheSameMillisecondStayApartAndInOrder) {
    writeBytes(file(), bytes("a"));
    save("b");
    save("c");
    save("d");
    const std::vector<HistoryState> kept = states();
    ASSERT_EQ(kept.size(), 3u);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(contentOf(kept[i]), bytes(std::string(1, static_cast<char>('c' - i))));
        EXPECT_EQ(kept[i].replacedAt - kept.back().replacedAt, std::chrono::milliseconds(2 - i));
    }
}

// Another program wrote between two saves: the state it replaced is not what the program wrote.
TEST_P(History, AChangeMadeOutsideBetweenTwoSavesIsMarked) {
    writeBytes(file(), bytes("von Hand"));
    save("eins");
    save("zwei");
    writeBytes(file(), bytes("Texteditor"));
    save("drei");
    const std::vector<HistoryState> kept = states();
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_TRUE(kept[0].changedOutside);
    EXPECT_FALSE(kept[1].changedOutside);
    EXPECT_FALSE(kept[2].changedOutside) << "nothing written before to compare with";
}

struct Retention {
    const char* name;
    std::chrono::hours ageOfOldest;  // at the save that adds the 101st state
    std::size_t keptAfter;
};

TEST_P(History, TheSaveAddingThe101stStateRemovesOnlyTheOldestOlderThanThirtyDays) {
    const Retention cases[] = {
        {"oldest 31 days old: removed", std::chrono::hours(31 * 24), 100},
        {"oldest 29 days old: kept", std::chrono::hours(29 * 24), 101},
    };
    for (const Retention& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& entry : fs::directory_iterator(temp_.folder)) fs::remove_all(entry);
        const Clock::time_point end = Clock::now();
        writeBytes(file(), bytes("0"));
        now_ = end - c.ageOfOldest;
        for (int i = 1; i <= 101; ++i) {
            save(std::to_string(i));
            now_ = end - std::chrono::hours(1) + std::chrono::seconds(i);
        }
        const std::vector<HistoryState> kept = states();
        ASSERT_EQ(kept.size(), c.keptAfter);
        EXPECT_EQ(contentOf(kept.front()), bytes("100"));
        EXPECT_EQ(contentOf(kept.back()), bytes(c.keptAfter == 100 ? "1" : "0"));
        EXPECT_EQ(std::distance(fs::directory_iterator(history()), fs::directory_iterator()),
                  static_cast<long>(2 * c.keptAfter))
            << "a copy and its description per state, nothing else";
    }
}

// Temporary files of a save of the history that was killed.
TEST_P(History, LeftoversOfKilledHistorySavesAreRemoved) {
    writeBytes(file(), bytes("a"));
    save("b");
    const std::string kept = states().at(0).path;
    writeBytes(pathFromUtf8(kept + ".tmp123456"), "abgeschn");
    writeBytes(pathFromUtf8(kept + ".new654321"), bytes("a"));
    save("c");
    EXPECT_FALSE(fs::exists(pathFromUtf8(kept + ".tmp123456")));
    EXPECT_FALSE(fs::exists(pathFromUtf8(kept + ".new654321")));
    EXPECT_EQ(states().size(), 2u);
}

// A failed save replaced nothing, so it keeps nothing either.
TEST_P(History, AFailedSaveKeepsNoState) {
    writeBytes(file(), bytes("a"));
    save("b");
    const dravel::testing::ScopedHook<bool> failing(replaceFailBeforeRename, true);
    EXPECT_ANY_THROW(save("c"));
    EXPECT_EQ(states().size(), 1u);
}

struct Unkeepable {
    const char* name;
    void (*spoil)(const fs::path& history);
    const char* reason;
    bool posixOnly;
};

// Root may write into a folder without write permission, so the program checks the mark itself
// (as for the files); a file in the folder's place fails for everybody.
const Unkeepable kUnkeepable[] = {
    {"a file where the folder belongs", [](const fs::path& h) { writeBytes(h, "kein Ordner"); },
     "\"Verlauf\" ist kein Ordner", false},
    {"a read-only folder",
     [](const fs::path& h) {
         fs::create_directory(h);
         fs::permissions(h, fs::perms::owner_read | fs::perms::owner_exec);
     },
     "Dateizugriff verweigert", true},
};

TEST_P(History, AHistoryThatCannotBeWrittenLetsTheSaveSucceedWithOneNote) {
    for (const Unkeepable& c : kUnkeepable) {
        SCOPED_TRACE(c.name);
#ifdef _WIN32
        if (c.posixOnly) continue;
#endif
        fs::remove_all(history());
        writeBytes(file(), bytes("vorher"));
        c.spoil(history());
        const HistoryWarning warning = saveNoting("nachher");
        EXPECT_EQ(GetParam().read(temp_.dir), "nachher");
        EXPECT_EQ(warning, "Die Änderung wurde gespeichert, aber der bisherige Stand von " +
                               std::string(GetParam().name) +
                               " konnte nicht im Ordner \"Verlauf\" aufbewahrt werden (" +
                               c.reason + ").");
        EXPECT_TRUE(states().empty());
        fs::permissions(history(), fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(history());
        EXPECT_EQ(saveNoting("wieder"), std::nullopt) << "the note is not kept once said";
    }
}

INSTANTIATE_TEST_SUITE_P(BothFiles, History, ::testing::Values(kProgIni, kConditionList),
                         [](const auto& info) { return nameOf(info.param); });

}  // namespace
}  // namespace dravel::config::savedfiles
