// The states both files keep in "Verlauf" when the program's own save path replaces them.
#include <gtest/gtest.h>

#include "config/SavedFiles.h"
#include "config/storage/AtomicFile.h"
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
    // The program's own save, leaving the file as bytes(text), with its note.
    HistoryWarning save(const std::string& text) const {
        if (GetParam().name != kProgIni.name)
            return writeConditionList(temp_.dir, {{"1", "0", text, "12345", ""}}, "Test");
        IniFile ini(settingsFilePath(temp_.dir));
        ini.writeString("Kalvor", "Text", text);
        return ini.commit("Test");
    }
    // Newest first, each as its bytes.
    std::vector<std::string> keptBytes() const {
        std::vector<std::string> kept;
        for (const HistoryState& state : listHistory(temp_.dir)) {
            EXPECT_EQ(state.fileName, GetParam().name);
            EXPECT_FALSE(readHistoryState(state, kept.emplace_back())) << state.path;
        }
        return kept;
    }

    TempFolder temp_{"dravel-history-", "Wache Süd"};
    Clock::time_point now_ = Clock::now();
    ScopedHook<HistoryClock> clock_{replaceHistoryClock, [this] { return now_; }};
    ScopedHook<std::string> user_{replaceUserName, "Gruppenführer Süd"};
};

// The clock stands still for the last three: their names still sort in saving order.
TEST_P(History, TenSavesKeepTenStatesInOrderEachWholeAndOutsideChangesMarked) {
    EXPECT_EQ(save("0"), std::nullopt);
    EXPECT_TRUE(listHistory(temp_.dir).empty()) << "a first save replaces nothing";
    for (int i = 1; i <= 10; ++i) {
        if (i < 8) now_ += std::chrono::minutes(1);
        if (i == 9) writeBytes(file(), bytes("von Hand"));
        EXPECT_EQ(save(std::to_string(i)), std::nullopt);
    }
    const std::vector<std::string> expected = {"9", "von Hand", "7", "6", "5",
                                               "4", "3",        "2", "1", "0"};
    std::vector<std::string> kept;
    for (const std::string& text : expected) kept.push_back(bytes(text));
    EXPECT_EQ(keptBytes(), kept);
    const std::vector<HistoryState> states = listHistory(temp_.dir);
    ASSERT_EQ(states.size(), 10u);
    for (std::size_t i = 0; i < states.size(); ++i) {
        EXPECT_EQ(states[i].changedOutside, i == 1) << i;
        EXPECT_EQ(states[i].user, "Gruppenführer Süd");
        EXPECT_EQ(states[i].command, "Test");
    }
    EXPECT_EQ(states[0].replacedAt - states[2].replacedAt, std::chrono::milliseconds(2));
}

TEST_P(History, TheSaveAddingThe101stStateRemovesOnlyTheOldestOlderThanThirtyDays) {
    const struct {
        int daysOld;
        std::size_t kept;
        const char* oldest;
    } cases[] = {{31, 100, "1"}, {29, 101, "0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.daysOld);
        fs::remove_all(history());
        writeBytes(file(), bytes("0"));
        const Clock::time_point end = Clock::now();
        now_ = end - std::chrono::hours(24 * c.daysOld + 1);
        for (int i = 1; i <= 101; ++i) {
            save(std::to_string(i));
            now_ = end - std::chrono::hours(1) + std::chrono::seconds(i);
        }
        const std::vector<std::string> kept = keptBytes();
        ASSERT_EQ(kept.size(), c.kept);
        EXPECT_EQ(kept.front(), bytes("100"));
        EXPECT_EQ(kept.back(), bytes(c.oldest));
        EXPECT_EQ(std::distance(fs::directory_iterator(history()), fs::directory_iterator()),
                  static_cast<long>(2 * c.kept))
            << "a copy and its description per state, nothing else";
    }
}

// Leftovers of a killed history save go; a failed save of the file keeps no state.
TEST_P(History, KilledHistorySavesLeaveNothingAndFailedSavesKeepNothing) {
    writeBytes(file(), bytes("a"));
    save("b");
    const std::string kept = listHistory(temp_.dir).at(0).path;
    writeBytes(pathFromUtf8(kept + ".tmp123456"), "abgeschn");
    writeBytes(pathFromUtf8(kept + ".new654321"), bytes("a"));
    writeBytes(atomic_file::checkedCopyPathFor(pathFromUtf8(kept), 1, bytes("a")), bytes("a"));
    save("c");
    const auto entries = [this] {
        return std::distance(fs::directory_iterator(history()), fs::directory_iterator());
    };
    EXPECT_EQ(entries(), 4) << "two states with their descriptions";
    {
        const ScopedHook<bool> failing(replaceFailBeforeRename, true);
        EXPECT_ANY_THROW(save("d"));
    }
    EXPECT_EQ(keptBytes(), (std::vector<std::string>{bytes("b"), bytes("a")}));
    EXPECT_EQ(entries(), 4);
}

// Root may write into a folder without write permission, so the program checks the mark itself
// (as for the files); a file in the folder's place fails for everybody.
TEST_P(History, AHistoryThatCannotBeWrittenLetsTheSaveSucceedWithOneNote) {
    const struct {
        bool readOnlyFolder;
        const char* reason;
    } cases[] = {{false, "\"Verlauf\" ist kein Ordner"}, {true, "Dateizugriff verweigert"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
#ifdef _WIN32
        if (c.readOnlyFolder) continue;  // Windows ignores a folder's read-only mark
#endif
        fs::remove_all(history());
        writeBytes(file(), bytes("vorher"));
        if (c.readOnlyFolder) {
            fs::create_directory(history());
            fs::permissions(history(), fs::perms::owner_read | fs::perms::owner_exec);
        } else {
            writeBytes(history(), "kein Ordner");
        }
        EXPECT_EQ(save("nachher"), "Die Änderung wurde gespeichert, aber der bisherige Stand von " +
                                       std::string(GetParam().name) +
                                       " konnte nicht im Ordner \"Verlauf\" aufbewahrt werden (" +
                                       c.reason + ").");
        EXPECT_EQ(readBytes(file()), bytes("nachher"));
        EXPECT_TRUE(listHistory(temp_.dir).empty());
        fs::permissions(history(), fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(history());
        EXPECT_EQ(save("wieder"), std::nullopt) << "the note is not kept once said";
    }
}

INSTANTIATE_TEST_SUITE_P(BothFiles, History, ::testing::Values(kProgIni, kConditionList),
                         [](const auto& info) { return nameOf(info.param); });

}  // namespace
}  // namespace dravel::config::savedfiles
