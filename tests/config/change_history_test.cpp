// A kept state against the current file in the main window's sentences and by condition entry,
// the list's columns, and a restore that brings back the exact bytes and keeps what it replaced.
#include <gtest/gtest.h>

#include "config/SavedFiles.h"
#include "config/extras/ChangeHistory.h"
#include "support/ScopedHook.h"

namespace dravel::config {
namespace {

using savedfiles::TempFolder;
// The sentences compared here name no sound card.
class FakeMixerNames final : public MixerNames {
public:
    void selectDevice(int) override {}
    std::optional<std::string> productName() const override { return std::nullopt; }
    std::vector<std::string> inputNames() const override { return {}; }
};

const std::string kDesktop =
    "Das Programm bleibt nach dem Start auf dem Desktop\n\nEs bleibt nach abschluss aller "
    "Aktionen offen\n\nStartwiederholsperre bei Aktiven Programm ist aktiv\n\nDas Externe "
    "beenden ist Deaktiviert";

struct SettingsCase {
    const char* name;
    std::string kept;
    std::string current;
    std::vector<HistoryDifference> expected;
};

TEST(CompareSettings, PanelsWhoseSentencesDifferBeforeAndAfter) {
    const SettingsCase cases[] = {
        {"same bytes", "[ComPort]\r\nPort=COM2\r\n", "[ComPort]\r\nPort=COM2\r\n", {}},
        {"port",
         "[ComPort]\r\nPort=COM2\r\n",
         "[ComPort]\r\nPort=COM3\r\n",
         {{"ComPort", "Der Aktuelle ComPort ist COM2", "Der Aktuelle ComPort ist COM3"}}},
        {"two panels from one file missing",
         "",
         "[Prog]\r\nTray=1\r\n[Pin1]\r\nAusgang Aktiv=1\r\nBemerkung=Sirene\r\nWarten=10\r\n"
         "Dauer=60\r\n",
         {{"Programm", kDesktop,
           "Das Programm wird nach dem Start in die SysTray verschoben" +
               kDesktop.substr(kDesktop.find("\n\nEs"))},
          {"Pin 4 (DTR)", "Die Ansteuerung für diesen Pin ist deaktiviert",
           "Beschreibung / Info des Pins: Sirene\n\nDie Ansteuerung erfolgt nach 10 Sekunden\n"
           "für eine Zeit von 60 Sekunden "}}},
        {"another program's section only",
         "[Kalvor]\r\nLetzter=1\r\n",
         "[Kalvor]\r\nLetzter=2\r\n",
         {{"Prog.ini", "",
           "Die Datei unterscheidet sich nur in Teilen, die Dravel nicht anzeigt"}}},
    };
    for (const SettingsCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMixerNames mixer;
        EXPECT_EQ(compareSettings(c.kept, c.current, mixer), c.expected);
    }
}

const ConditionEntry kWehr{"0", "0", "Wehr", "12345", ""};
const ConditionEntry kRtw{"1", "2", "RTW", "6123456781", "C:\\Kalvor\\rtw.wav"};
const ConditionEntry kRtwOtherPin{"2", "2", "RTW", "6123456781", "C:\\Kalvor\\rtw.wav"};

struct ListCase {
    const char* name;
    std::vector<ConditionEntry> kept;
    std::vector<ConditionEntry> current;
    std::vector<HistoryDifference> expected;
};

TEST(CompareConditionLists, EntriesAddedRemovedChangedAndReordered) {
    const std::string rtw = "Pin 4 (DTR), FMS-Kennung, \"RTW\", Audio C:\\Kalvor\\rtw.wav";
    const ListCase cases[] = {
        {"same", {kWehr, kRtw}, {kWehr, kRtw}, {}},
        {"added", {kWehr}, {kWehr, kRtw}, {{"Kennung 6123456781 \"RTW\"", "", rtw}}},
        {"removed",
         {kWehr, kRtw},
         {kRtw},
         {{"Kennung 12345 \"Wehr\"", "Pin 3 (TXD), 5-Tonfolgen, \"Wehr\"", ""}}},
        {"changed pin",
         {kWehr, kRtw},
         {kWehr, kRtwOtherPin},
         {{"Kennung 6123456781 \"RTW\"", rtw,
           "Pin 7 (RTS), FMS-Kennung, \"RTW\", Audio C:\\Kalvor\\rtw.wav"}}},
        {"order only",
         {kWehr, kRtw},
         {kRtw, kWehr},
         {{"Reihenfolge", "Kennungen in dieser Reihenfolge: 12345, 6123456781",
           "Kennungen in dieser Reihenfolge: 6123456781, 12345"}}},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(
            compareConditionLists(encodeConditionList(c.kept), encodeConditionList(c.current)),
            c.expected);
    }
}

TEST(HistoryRow, GermanCivilTimeAndTheOutsideNote) {
    using namespace std::chrono;
    HistoryState state{"", "Prog.ini", sys_days(2026y / July / 1) + 10h + 5min + 7s + 999ms,
                       "", "ComPort",  true};
    HistoryRow row = historyRow(state);
    EXPECT_EQ(row.time, "01.07.2026 12:05:07");
    EXPECT_EQ(row.user, "unbekannt");
    EXPECT_EQ(row.note, "außerhalb von Dravel geändert");
    state.replacedAt = sys_days(2026y / December / 8) + 4h + 31min;
    EXPECT_EQ(historyRow(state).time, "08.12.2026 05:31:00");
}

// The sections of another program come back byte for byte, comments and odd blanks included.
TEST(RestoreHistoryState, BringsBackTheExactBytesAndKeepsTheStateItReplaces) {
    TempFolder temp("dravel-restore-", "Wache Süd");
    const dravel::testing::ScopedHook<std::string> user(replaceUserName, "Wehrführer");
    const std::string original =
        "[Kalvor]\r\n; von Kalvor\r\n  Fremd  =  Wert mit Blanks  \r\n[ComPort]\r\nPort=COM2\r\n";
    savedfiles::writeBytes(temp.folder / "Prog.ini", original);
    IniFile ini(settingsFilePath(temp.dir));
    ini.writeString("ComPort", "Port", "COM4");
    ASSERT_EQ(ini.commit("ComPort"), std::nullopt);
    const std::string changed = savedfiles::readBytes(temp.folder / "Prog.ini");

    const std::vector<HistoryState> before = listHistory(temp.dir);
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(restoreHistoryState(temp.dir, before[0]), std::nullopt);
    EXPECT_EQ(savedfiles::readBytes(temp.folder / "Prog.ini"), original);

    const std::vector<HistoryState> after = listHistory(temp.dir);
    ASSERT_EQ(after.size(), 2u);
    std::string kept;
    ASSERT_FALSE(readHistoryState(after[0], kept));
    EXPECT_EQ(kept, changed);
    EXPECT_EQ(after[0].command.rfind("Wiederherstellen (Stand vom ", 0), 0u) << after[0].command;
    EXPECT_EQ(after[0].user, "Wehrführer");
    FakeMixerNames mixer;
    EXPECT_EQ(differencesFromCurrent(temp.dir, after[0], mixer),
              (std::vector<HistoryDifference>{
                  {"ComPort", "Der Aktuelle ComPort ist COM4", "Der Aktuelle ComPort ist COM2"}}));
}

}  // namespace
}  // namespace dravel::config
