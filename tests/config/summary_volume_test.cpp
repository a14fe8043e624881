#include <cfloat>
#include <cmath>
#include <tuple>

#include "SummaryTestSupport.h"
#include "config/settings/VolumeScale.h"

using namespace dravel::config;
using namespace dravel::config::summarytest;

namespace {

TEST(VolumeScale, StoredValuesOfTheSliderPositions) {
    const std::pair<int, int> cases[] = {{0, 0},      {1, 655},    {10, 6554},
                                         {30, 19660}, {50, 32767}, {70, 45874},
                                         {90, 58981}, {99, 64880}, {100, 65535}};
    for (const auto& [percent, stored] : cases)
        EXPECT_EQ(percentToStored(percent), stored) << percent;
    EXPECT_EQ(percentToStored(-5), 0);
    EXPECT_EQ(percentToStored(150), 65535);
}

TEST(VolumeScale, PercentagesOfStoredValues) {
    const std::pair<int, int> cases[] = {{65535, 100}, {32767, 50},  {0, 0},       {6554, 10},
                                         {327, 0},     {328, 1},     {65534, 100}, {-1, 0},
                                         {-328, -1},   {100000, 153}};
    for (const auto& [stored, percent] : cases)
        EXPECT_EQ(storedToPercent(stored), percent) << stored;
}

TEST(VolumeScale, EveryWrittenPositionLoadsBackToItself) {
    for (int p = 0; p <= 100; ++p) EXPECT_EQ(storedToPercent(percentToStored(p)), p);
}

// Where this compiler's long double is the 80-bit extended type, the portable
// arithmetic must agree with it everywhere on the scale.
TEST(VolumeScale, AgreesWithExtendedPrecisionWhereAvailable) {
    if (LDBL_MANT_DIG != 64) GTEST_SKIP() << "long double is not the 80-bit extended type";
    const long double scale = 655.35L;
    for (int p = 0; p <= 100; ++p)
        EXPECT_EQ(percentToStored(p), static_cast<int>(std::nearbyintl(p * scale))) << p;
    for (int stored = 0; stored <= 65535; ++stored)
        ASSERT_EQ(storedToPercent(stored), static_cast<int>(std::nearbyintl(stored / scale)))
            << stored;
}

class SummaryVolume : public SummaryTest {
protected:
    SummaryVolume() {
        mixer.cards = {{"Karte A", {"Lautsprecher", "CD-Player", "Line-In"}},
                       {"Realtek HD Audio", {"Master", "Radio", "Mikrofon"}}};
    }
    std::string header(const std::string& card, const std::string& input) {
        return "Für die Soundkarte \"" + card + "\" wird die Wiedergabelautstärke von \"" + input +
               "\" wie folgt geregelt:" + BR + BR + "Die Regelung startet ";
    }
};

TEST_F(SummaryVolume, FullSentenceWithTheWritersSpellings) {
    const auto t = summarize(
        "[Funk]\r\nOnOff=1\r\nSoundkarte=1\r\nEingang=1\r\nStart=1\r\nEnde=2\r\nStart Zeit=30\r\n"
        "Ende Zeit=0\r\nPin=2\r\nEndLautstärke=2\r\nStartVolume=32767\r\nEndVolume=6554\r\n");
    EXPECT_EQ(t.volume, header("Realtek HD Audio", "Radio") + "30 Sekunden nach Programmstart" +
                            BR + "und endet mit abschalten des Pin 7 (RTS)" + BR + BR +
                            "Die Lautstärke wird nach dem Start auf 50% gesetzt." + BR +
                            "Am Ende wird die Lautstärke auf 10% gesetzt.");
    EXPECT_EQ(mixer.selections, std::vector<int>{1});
}

TEST_F(SummaryVolume, StartAndEndChoices) {
    struct Case {
        const char* keys;
        std::string middle;
        std::string end;
    };
    const Case cases[] = {
        {"Start=0\nEnde=0\nEndLautstärke=0\n",
         "sofort bei Programmstart" + BR + "und endet bei Programmende",
         "die Lautstärke auf den gleichen Wert wie vor Programmstart gesetzt."},
        {"Start=2\nPin=0\nEnde=1\nEnde Zeit=45\nEndLautstärke=1\n",
         "mit Aktivierung des Pin 3 (TXD)" + BR + "und endet 45 Sekunden nach Aktivierung",
         "der Ausgang auf MUTE gestellt"},
        {"Start=5\nEnde=-1\nEndLautstärke=3\n", BR + "und endet ", ""},
        {"", BR + "und endet ", ""},
    };
    for (const auto& c : cases) {
        const auto t = summarize(std::string("[Funk]\nOnOff=1\n") + c.keys);
        EXPECT_EQ(t.volume, header("Karte A", "Lautsprecher") + c.middle + BR + BR +
                                "Die Lautstärke wird nach dem Start auf 100% gesetzt." + BR +
                                "Am Ende wird " + c.end)
            << c.keys;
    }
}

TEST_F(SummaryVolume, StartByPinWithoutPinNamesNoPin) {
    const auto t = summarize("[Funk]\nOnOff=1\nStart=2\nEnde=2\n");
    EXPECT_NE(t.volume.find("Die Regelung startet mit Aktivierung des " + BR +
                            "und endet mit abschalten des " + BR),
              std::string::npos);
    const auto t7 = summarize("[Funk]\nOnOff=1\nStart=2\nPin=7\n");
    EXPECT_NE(t7.volume.find("mit Aktivierung des " + BR), std::string::npos);
}

TEST_F(SummaryVolume, MissingVolumesReadAsFullVolume) {
    const auto t = summarize("[Funk]\nOnOff=1\nEndLautstärke=2\n");
    EXPECT_NE(t.volume.find("Die Lautstärke wird nach dem Start auf 100% gesetzt." + BR +
                            "Am Ende wird die Lautstärke auf 100% gesetzt."),
              std::string::npos);
    const auto zero = summarize("[Funk]\nOnOff=1\nStartVolume=0\n");
    EXPECT_NE(zero.volume.find("auf 0% gesetzt."), std::string::npos);
}

// Input 0 is the destination line itself. A card number the system does not
// have keeps the card selected before.
TEST_F(SummaryVolume, CardAndInputNames) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"Eingang=0", "Karte A", "Lautsprecher"},
        {"Eingang=2", "Karte A", "Line-In"},
        {"Soundkarte=5\nEingang=1", "Karte A", "CD-Player"},
        {"Eingang=3", "Karte A", "Eingang 3 nicht vorhanden"},
        {"Eingang=-1", "Karte A", "Eingang -1 nicht vorhanden"},
    };
    for (const auto& [keys, card, input] : cases)
        EXPECT_EQ(summarize("[Funk]\nOnOff=1\n" + keys + "\n").volume.rfind(header(card, input), 0),
                  0u)
            << keys;
}

TEST_F(SummaryVolume, NoCardOrACardWithoutLines) {
    mixer.cards[1].inputs.clear();
    auto t = summarize("[Funk]\nOnOff=1\nSoundkarte=1\n");
    EXPECT_EQ(t.volume.rfind(header("Realtek HD Audio", "Eingang 0 nicht vorhanden"), 0), 0u);
    mixer.cards.clear();
    mixer.selected = -1;
    t = summarize("[Funk]\nOnOff=1\n");
    EXPECT_EQ(t.volume.rfind(header("keine Soundkarte vorhanden", "Eingang 0 nicht vorhanden"), 0),
              0u);
}

TEST_F(SummaryVolume, SwitchedOffTouchesNoMixer) {
    const auto t = summarize("[Funk]\nOnOff=0\nSoundkarte=1\n");
    EXPECT_EQ(t.volume, "Die Lautstärkenregelung für den Aufnahmeeingang wurde deaktiviert");
    EXPECT_TRUE(mixer.selections.empty());
}

}  // namespace
