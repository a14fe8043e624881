#include <gtest/gtest.h>

#include "SettingsFileTest.h"
#include "config/extras/SettingsReport.h"

using namespace dravel::config;
using namespace std::chrono;

namespace {

class OneCard final : public MixerNames {
public:
    void selectDevice(int) override {}
    std::optional<std::string> productName() const override { return "Onboard"; }
    std::vector<std::string> inputNames() const override { return {"Master", "Line"}; }
};

using SettingsReportTest = SettingsFileTest;

TEST_F(SettingsReportTest, HoldsEveryPanelTheListItsCheckAndTheNextWindows) {
    store(
        "[Pin1]\nAusgang Aktiv=1\nStart=1\nBemerkung=Sirene\nDauer=60\n"
        "[Funk]\nOnOff=1\nSoundkarte=0\nEingang=1\nStart=0\nEnde=0\n"
        "[Funktionsprobe]\nArt=1\nWochentag1=5\nUhrzeit=10:00\nDauer=30\n");
    const std::string directory = dir_.string() + "/";
    writeConditionList(
        directory,
        {{"1", "2", "Wache Nord", "0123456780", ""}, {"7", "0", "von Hand", "12345", ""}}, "Test");
    OneCard card;
    const sys_seconds now = sys_days(2026y / December / 7) + 9h + 5min;  // 10:05 MEZ
    const SettingsReport report = buildSettingsReport(directory, card, {}, now);

    EXPECT_EQ(report.created, "07.12.2026 10:05");
    EXPECT_EQ(report.programDirectory, directory);
    std::vector<std::string> titles;
    for (const auto& panel : report.panels) titles.push_back(panel.title);
    EXPECT_EQ(titles,
              (std::vector<std::string>{"Sound: Datei", "ComPort Ansteuerung durch Sound",
                                        "Lautstärke", "Programm", "Funktionsproben", "ComPort",
                                        "Pin 3 (TXD)", "Pin 4 (DTR)", "Pin 7 (RTS)"}));
    EXPECT_EQ(report.panels[2].lines.front(),
              "Für die Soundkarte \"Onboard\" wird die Wiedergabelautstärke von \"Line\" wie "
              "folgt geregelt:");
    EXPECT_EQ(report.panels[4].lines,
              (std::vector<std::string>{"Das Programm wird jeden Samstag,",
                                        "in der Zeit von 10:00 - 10:30 Uhr deaktiviert"}));
    EXPECT_EQ(report.panels[7].lines,
              (std::vector<std::string>{"Beschreibung / Info des Pins: Sirene", "",
                                        "Die Ansteuerung erfolgt in Abhängigkeit von FMS, ZVEI "
                                        "oder POSAC Kennungen ",
                                        "für eine Zeit von 60 Sekunden "}));
    ASSERT_EQ(report.conditions.size(), 2u);
    EXPECT_EQ(report.conditions[0].pin, "Pin 4 (DTR)");
    EXPECT_EQ(report.conditions[0].kind, "FMS-Kennung");
    EXPECT_EQ(report.conditions[1].pin, "7");  // shown as the file holds it
    EXPECT_EQ(report.conditions[1].kind, "5-Tonfolgen");
    ASSERT_EQ(report.findings.size(), 1u);
    EXPECT_EQ(report.findings[0].row, 2u);
    ASSERT_FALSE(report.deactivations.windows.empty());
    EXPECT_EQ(formatGermanDateTime(report.deactivations.windows[0].start), "12.12.2026 10:00");
}

TEST_F(SettingsReportTest, ScheduleSentenceOrWhyThereIsNone) {
    store("[Funktionsprobe]\nArt=4\nUhrzeit=23:00\nDauer=120\n");
    EXPECT_EQ(scheduleSentence(IniFile(path())),
              "Das Programm wird täglich,\nin der Zeit von 23:00 - 01:00 Uhr deaktiviert");
    store("[Funktionsprobe]\nArt=4\nUhrzeit=25:00\n");
    EXPECT_EQ(scheduleSentence(IniFile(path())), "'25:00' ist keine gültige Uhrzeit");
}

}  // namespace
