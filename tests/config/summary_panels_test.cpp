#include <filesystem>

#include "SummaryTestSupport.h"

using namespace dravel::config;
using namespace dravel::config::summarytest;

namespace {

const std::string kNoSoundFile = "Es wird keine Sounddatei abgespielt";
const std::string kNoSoundPin = "Es wird kein Pin für die Laufzeit des Sounds angesteuert";
const std::string kPinOff = "Die Ansteuerung für diesen Pin ist deaktiviert";

void expectDefaults(const SummaryTexts& t) {
    EXPECT_FALSE(t.playButtonVisible);
    EXPECT_FALSE(t.soundPath.has_value());
    EXPECT_EQ(t.soundFile, kNoSoundFile);
    EXPECT_EQ(t.soundPin, kNoSoundPin);
    EXPECT_EQ(t.portName, "COM1");
    EXPECT_EQ(t.portInfo, "Der Aktuelle ComPort ist COM1");
    for (const auto& pin : t.pins) EXPECT_EQ(pin, kPinOff);
    EXPECT_EQ(t.programInfo, "Das Programm bleibt nach dem Start auf dem Desktop" + BR + BR +
                                 "Es bleibt nach abschluss aller Aktionen offen" + BR + BR +
                                 "Startwiederholsperre bei Aktiven Programm ist aktiv" + BR + BR +
                                 "Das Externe beenden ist Deaktiviert");
    EXPECT_EQ(t.volume, "Die Lautstärkenregelung für den Aufnahmeeingang wurde deaktiviert");
    EXPECT_EQ(t.schedule, "Es findet keine Deaktivierung des Programms statt.");
    EXPECT_FALSE(t.scheduleError.has_value());
}

using SummaryPanels = SummaryTest;

TEST_F(SummaryPanels, AnEmptyOrMissingFileGivesTheDefaultTexts) {
    expectDefaults(summarize(""));
    std::filesystem::remove(path());
    expectDefaults(buildSummary(IniFile(path()), mixer));
    EXPECT_TRUE(mixer.selections.empty());
}

TEST_F(SummaryPanels, SoundWithDelayAndPin) {
    const auto t = summarize(
        "[ComPort]\r\nPort=COM2\r\n"
        "[Sound]\r\nPlay=1\r\nPfad=C:\\Töne\\gong.wav\r\nWait=1\r\nWait Time=5\r\n"
        "Ansteuern=1\r\nAnsteuern Pin=1\r\n");
    EXPECT_TRUE(t.playButtonVisible);
    EXPECT_EQ(t.soundPath, "C:\\Töne\\gong.wav");
    EXPECT_EQ(t.soundFile,
              "Die Datei \"C:\\Töne\\gong.wav\" wird nach 5 Sekunden Wartezeit abgespielt");
    EXPECT_EQ(t.soundPin, "Für die Laufzeit des Sounds wird über den " + BR +
                              "COM2 der Pin 4 (DTR) angesteuert");
    EXPECT_EQ(t.portName, "COM2");
    EXPECT_EQ(t.portInfo, "Der Aktuelle ComPort ist COM2");
}

TEST_F(SummaryPanels, SoundAtOnceWithoutPin) {
    const auto t = summarize("[Sound]\nPlay=2\nPfad=/x/a.wav\nWait=0\nWait Time=9\n");
    EXPECT_EQ(t.soundFile, "Die Datei \"/x/a.wav\" wird sofort nach Programmstart abgespielt");
    EXPECT_EQ(t.soundPin, kNoSoundPin);
}

TEST_F(SummaryPanels, SoundPinEndingsByPinIndex) {
    const std::pair<const char*, std::string> cases[] = {{"0", "3 (TXD) angesteuert"},
                                                         {"2", "7 (RTS) angesteuert"},
                                                         {"3", ""},
                                                         {"-1", ""},
                                                         {"x", ""}};
    for (const auto& [pin, ending] : cases) {
        const auto t =
            summarize(std::string("[Sound]\nPlay=1\nAnsteuern=1\nAnsteuern Pin=") + pin + "\n");
        EXPECT_EQ(t.soundPin,
                  "Für die Laufzeit des Sounds wird über den " + BR + "COM1 der Pin " + ending)
            << pin;
    }
}

TEST_F(SummaryPanels, SoundSwitchedOffKeepsThePathAndHidesTheButton) {
    const auto t = summarize("[Sound]\nPlay=0\nPfad=C:\\alt.wav\nAnsteuern=1\nAnsteuern Pin=0\n");
    EXPECT_FALSE(t.playButtonVisible);
    EXPECT_FALSE(t.soundPath.has_value());
    EXPECT_EQ(t.soundFile, kNoSoundFile);
    EXPECT_EQ(t.soundPin, kNoSoundPin);
}

TEST_F(SummaryPanels, PinWithDelay) {
    const auto t =
        summarize("[Pin0]\nAusgang Aktiv=1\nBemerkung=Sirene\nStart=0\nWarten=10\nDauer=60\n");
    EXPECT_EQ(t.pins[0], "Beschreibung / Info des Pins: Sirene" + BR + BR +
                             "Die Ansteuerung erfolgt nach 10 Sekunden" + BR +
                             "für eine Zeit von 60 Sekunden ");
    EXPECT_EQ(t.pins[1], kPinOff);
    EXPECT_EQ(t.pins[2], kPinOff);
}

// Any start other than 0 means by alarm code, and the delay is not named.
TEST_F(SummaryPanels, PinAtOnceAndPinByAlarmCodeIgnoringTheDelay) {
    const auto t = summarize(
        "[Pin0]\nAusgang Aktiv=1\nStart=7\nWarten=3\n"
        "[Pin1]\nAusgang Aktiv=1\nBemerkung=Licht\nDauer=0\n"
        "[Pin2]\nAusgang Aktiv=1\nStart=1\nWarten=25\nDauer=1800\n");
    const std::string byCode =
        "Beschreibung / Info des Pins: " + BR + BR +
        "Die Ansteuerung erfolgt in Abhängigkeit von FMS, ZVEI oder POSAC Kennungen " + BR;
    EXPECT_EQ(t.pins[0], byCode + "für eine Zeit von 0 Sekunden ");
    EXPECT_EQ(t.pins[1], "Beschreibung / Info des Pins: Licht" + BR + BR +
                             "Die Ansteuerung erfolgt sofort nach Programmstart " + BR +
                             "für eine Zeit von 0 Sekunden ");
    EXPECT_EQ(t.pins[2], byCode + "für eine Zeit von 1800 Sekunden ");
}

TEST_F(SummaryPanels, SoundTimeRemarkOnlyUnderTheSoundsPinAndOnlyWithSoundAndPinOn) {
    const std::string pins =
        "[Pin0]\nAusgang Aktiv=1\n[Pin1]\nAusgang Aktiv=1\n[Pin2]\nAusgang Aktiv=1\n";
    const std::string remark =
        BR + "Die Spielzeit des Sounds hat ebenfalls Einfluss auf die Ansteuerungszeit";
    auto endsWithRemark = [&](const std::string& text) {
        return text.size() > remark.size() &&
               text.compare(text.size() - remark.size(), remark.size(), remark) == 0;
    };
    auto t = summarize(pins + "[Sound]\nPlay=1\nAnsteuern=1\nAnsteuern Pin=2\n");
    EXPECT_FALSE(endsWithRemark(t.pins[0]));
    EXPECT_FALSE(endsWithRemark(t.pins[1]));
    EXPECT_TRUE(endsWithRemark(t.pins[2]));
    EXPECT_EQ(t.pins[2], "Beschreibung / Info des Pins: " + BR + BR +
                             "Die Ansteuerung erfolgt sofort nach Programmstart " + BR +
                             "für eine Zeit von 0 Sekunden " + remark);
    for (const char* sound : {"[Sound]\nPlay=0\nAnsteuern=1\nAnsteuern Pin=2\n",
                              "[Sound]\nPlay=1\nAnsteuern=0\nAnsteuern Pin=2\n"}) {
        t = summarize(pins + sound);
        for (const auto& pin : t.pins) EXPECT_FALSE(endsWithRemark(pin)) << sound;
    }
    // An inactive pin keeps its one sentence.
    t = summarize("[Sound]\nPlay=1\nAnsteuern=1\nAnsteuern Pin=0\n");
    EXPECT_EQ(t.pins[0], kPinOff);
}

TEST_F(SummaryPanels, ARemarkTypedLongByHandIsShownWhole) {
    const std::string remark(300, 'r');
    const auto t = summarize("[Pin0]\nAusgang Aktiv=1\nBemerkung=" + remark + "\n");
    EXPECT_NE(t.pins[0].find(remark + BR), std::string::npos);
}

TEST_F(SummaryPanels, ProgramOptionsAllSwitchedOn) {
    const auto t = summarize("[Prog]\nTray=1\nEnde=1\nMehrfach=1\n[ComPort]\nExtern=1\n");
    EXPECT_EQ(t.programInfo, "Das Programm wird nach dem Start in die SysTray verschoben" + BR +
                                 BR + "Es wird nach dem Ende aller Aktionen automatisch beendet" +
                                 BR + BR + "Mehrfachstart für weitere ComPorts ist aktiv" + BR +
                                 BR + "Über den Pin 9 (Ring) kann es Extern beendet werden.");
}

}  // namespace
