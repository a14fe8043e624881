#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "SettingsFileTest.h"
#include "config/extras/ConditionCheck.h"

using namespace dravel::config;

namespace {

// Pins 0 and 1 switch on condition; pin 2 is switched after a wait.
std::array<PinRecord, kPinCount> pins() {
    std::array<PinRecord, kPinCount> p;
    p[0] = {"", 0, 10, true, PinRecord::OnCondition};
    p[1] = {"", 0, 10, true, PinRecord::OnCondition};
    p[2] = {"", 0, 10, true, PinRecord::AfterWait};
    return p;
}

ConditionEntry entry(std::string pin, std::string kind, std::string code, std::string audio = "") {
    return {std::move(pin), std::move(kind), "Wache", std::move(code), std::move(audio)};
}

std::vector<std::string> problems(const std::vector<ConditionFinding>& findings) {
    std::vector<std::string> texts;
    for (const auto& f : findings) texts.push_back(std::to_string(f.row) + ": " + f.problem);
    return texts;
}

using Texts = std::vector<std::string>;

TEST(ConditionCheck, CodesThatDoNotFitTheirKind) {
    const std::pair<ConditionEntry, Texts> cases[] = {
        {entry("0", "0", "12345"), {}},
        {entry("0", "0", "1234?"), {}},
        {entry("0", "1", "2999999?"), {}},
        {entry("0", "2", "0123456780"), {}},
        {entry("0", "2", "ABCDEF01??"), {}},
        {entry("0", "0", "1234"), {"1: Kennung hat 4 statt 5 Zeichen (5-Tonfolgen)"}},
        {entry("0", "1", "12345678901"), {"1: Kennung hat 11 statt 8 Zeichen (POSAC)"}},
        {entry("0", "2", ""), {"1: Kennung hat 0 statt 10 Zeichen (FMS-Kennung)"}},
        {entry("0", "0", "1234A"),
         {"1: Zeichen \"A\" an Stelle 5 ist für 5-Tonfolgen nicht zulässig"}},
        {entry("0", "1", "30000000"),
         {"1: Zeichen \"3\" an Stelle 1 ist für POSAC nicht zulässig"}},
        {entry("0", "1", "00000005"),
         {"1: Zeichen \"5\" an Stelle 8 ist für POSAC nicht zulässig"}},
        {entry("0", "2", "abcdef0100"),
         {"1: Zeichen \"a\" an Stelle 1 ist für FMS-Kennung nicht zulässig"}},
        {entry("0", "2", "0000000002"),
         {"1: Zeichen \"2\" an Stelle 10 ist für FMS-Kennung nicht zulässig"}},
        {entry("0", "0", "123ä5"),
         {"1: Zeichen \"ä\" an Stelle 4 ist für 5-Tonfolgen nicht zulässig"}},
    };
    for (const auto& [e, expected] : cases)
        EXPECT_EQ(problems(checkConditionList({e}, pins(), {})), expected) << e.code;
}

TEST(ConditionCheck, RawRecordsAndPinsWithoutEffect) {
    std::array<PinRecord, kPinCount> inactive = pins();
    inactive[1].active = false;
    const std::string noEffect = ": der Eintrag bleibt ohne Wirkung";
    const std::pair<ConditionEntry, Texts> cases[] = {
        {entry("7", "0", "12345"), {"1: Pin-Feld \"7\" nennt keinen Pin (0 bis 2)"}},
        {entry("0", "3", "12345"), {"1: Art-Feld \"3\" nennt keine Art (0 bis 2)"}},
        {entry("", "x", "1"),
         {"1: Pin-Feld \"\" nennt keinen Pin (0 bis 2)",
          "1: Art-Feld \"x\" nennt keine Art (0 bis 2)"}},
        {entry("2", "0", "12345"),
         {"1: Pin 7 (RTS) ist nicht auf \"Nur bei bestimmten Schleife, RICS oder FMS\" "
          "eingestellt" +
          noEffect}},
        {entry("1", "0", "12345"),
         {"1: Pin 4 (DTR) ist in den ComPort-Einstellungen nicht aktiviert" + noEffect}},
    };
    for (const auto& [e, expected] : cases)
        EXPECT_EQ(problems(checkConditionList({e}, inactive, {})), expected) << e.pin << e.kind;
}

TEST(ConditionCheck, ExactDuplicatesOnlyAndNoJudgementOnQuestionMarks) {
    const std::vector<ConditionEntry> list = {
        entry("0", "0", "12345"),    entry("1", "0", "12345"),     // same kind and code: duplicate
        entry("0", "1", "12345???"), entry("0", "1", "1234567?"),  // overlap by "?": no finding
        entry("0", "2", "12345"),  // same code, other kind (and too short)
        entry("0", "0", "12345"),
    };
    EXPECT_EQ(problems(checkConditionList(list, pins(), {})),
              (Texts{"2: Doppelter Eintrag: gleiche Art und Kennung wie Zeile 1",
                     "5: Kennung hat 5 statt 10 Zeichen (FMS-Kennung)",
                     "6: Doppelter Eintrag: gleiche Art und Kennung wie Zeile 1"}));
}

class ConditionCheckFiles : public SettingsFileTest {};

TEST_F(ConditionCheckFiles, AudioFilesMissingOrNotPlayableAreLookedAtOnce) {
    const std::string playable = (dir_ / "gong.wav").string();
    const std::string broken = (dir_ / "kaputt.wav").string();
    std::ofstream(playable) << "x";
    std::ofstream(broken) << "x";
    const std::string missing = (dir_ / "fehlt.wav").string();
    std::multiset<std::string> asked;
    const PlayableCheck check = [&](const std::string& path) {
        asked.insert(path);
        return path == playable;
    };
    const std::vector<ConditionEntry> list = {
        entry("0", "0", "11111", playable),      entry("0", "0", "22222", broken),
        entry("0", "0", "33333", missing),       entry("0", "0", "44444", broken),
        entry("0", "0", "55555", dir_.string()),
    };
    EXPECT_EQ(problems(checkConditionList(list, pins(), check)),
              (Texts{"2: Audiodatei \"" + broken + "\" kann nicht abgespielt werden",
                     "3: Audiodatei \"" + missing + "\" nicht gefunden",
                     "4: Audiodatei \"" + broken + "\" kann nicht abgespielt werden",
                     "5: Audiodatei \"" + dir_.string() + "\" nicht gefunden"}));
    EXPECT_EQ(asked, (std::multiset<std::string>{playable, broken}));
}

TEST_F(ConditionCheckFiles, ReadsBothFilesOfTheProgramDirectory) {
    store("[Pin0]\nAusgang Aktiv=1\nStart=1\n[Pin1]\nAusgang Aktiv=1\nStart=0\n");
    const std::string directory = dir_.string() + "/";
    writeConditionList(directory, {entry("0", "0", "12345"), entry("1", "2", "0123456780")},
                       "Test");
    std::ofstream(conditionListPath(directory), std::ios::app) << "kurz";  // no whole record
    const auto findings = checkProgramDirectory(directory, {});
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].row, 2u);
    EXPECT_EQ(findings[0].code, "0123456780");
    EXPECT_EQ(findings[0].description, "Wache");
    EXPECT_NE(findings[0].problem.find("Pin 4 (DTR) ist nicht auf"), std::string::npos);
}

TEST_F(ConditionCheckFiles, AnUnreadableListIsAFindingOfTheWholeList) {
    const std::string directory = dir_.string() + "/";
    std::filesystem::create_directory(conditionListPath(directory));
    const auto findings = checkProgramDirectory(directory, {});
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].row, 0u);
    EXPECT_EQ(findings[0].problem,
              "Alarmierung.dat konnte nicht ganz gelesen werden: Dateizugriff verweigert");
}

}  // namespace
