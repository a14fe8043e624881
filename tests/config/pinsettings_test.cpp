#include <gtest/gtest.h>

#include <string>

#include "SettingsFileTest.h"
#include "config/settings/PinSettings.h"
#include "config/storage/IniFile.h"

namespace dravel::config {
namespace {

class PinSettingsFile : public SettingsFileTest {
protected:
    ComPortSettings load() const { return SettingsFileTest::load<ComPortSettings>(); }
};

const std::string kDefaultPin =
    "Ausgang Aktiv=0\r\nBemerkung=\r\nWarten=0\r\nDauer=0\r\nStart=0\r\n";

TEST_F(PinSettingsFile, MissingFileReadsDefaultsAndWritesAllThreePinsThenThePort) {
    ComPortSettings settings = load();
    EXPECT_EQ(settings.port, "");  // never read: the summary's port is preselected instead
    settings.port = "COM3";
    save(settings);
    EXPECT_EQ(stored(), "[Pin0]\r\n" + kDefaultPin + "[Pin1]\r\n" + kDefaultPin + "[Pin2]\r\n" +
                            kDefaultPin + "[ComPort]\r\nPort=COM3\r\n");
}

TEST_F(PinSettingsFile, StoredValuesAreTakenAsTheyAreAndWrittenBackInPlace) {
    store(
        "[ComPort]\r\nPort=COM7\r\nExtern=1\r\n"
        "[pin1]\r\nStart=5\r\nwarten=0x10\r\nDAUER=-4\r\nausgang aktiv=2\r\nFremd=x\r\n"
        "bemerkung=  Sirene  Halle  \r\n"
        "[Pin2]\r\nWarten=5000\r\nStart=-3\r\nAusgang Aktiv=Ja\r\n");
    ComPortSettings settings = load();
    const PinRecord& p1 = settings.pins[1];
    EXPECT_TRUE(p1.active);
    EXPECT_EQ(p1.description, "Sirene  Halle");
    EXPECT_EQ(p1.wait, 16);
    EXPECT_EQ(p1.duration, -4);
    EXPECT_EQ(p1.startMode, 5);
    const PinRecord& p2 = settings.pins[2];
    EXPECT_FALSE(p2.active);  // a word is the default
    EXPECT_EQ(p2.wait, 5000);
    EXPECT_EQ(p2.startMode, -3);

    settings.port = "";
    save(settings);
    EXPECT_EQ(stored(),
              "[ComPort]\r\nPort=\r\nExtern=1\r\n"
              "[pin1]\r\nStart=5\r\nWarten=16\r\nDauer=-4\r\nAusgang Aktiv=1\r\nFremd=x\r\n"
              "Bemerkung=Sirene  Halle\r\n"
              "[Pin2]\r\nWarten=5000\r\nStart=-3\r\nAusgang Aktiv=0\r\nBemerkung=\r\nDauer=0\r\n"
              "[Pin0]\r\n" +
                  kDefaultPin);
}

TEST_F(PinSettingsFile, DescriptionsKeepTheirFirst255Characters) {
    store("[Pin0]\r\nBemerkung=" + std::string(300, '\xE4') + "\r\n");  // 300 × "ä"
    ComPortSettings settings = load();
    EXPECT_EQ(settings.pins[0].description.size(), 255u * 2);  // two UTF-8 bytes each
    settings.pins[2].description = std::string(256, 'x');
    save(settings);
    const std::string file = stored();
    EXPECT_NE(file.find("Bemerkung=" + std::string(255, '\xE4') + "\r\n"), std::string::npos);
    EXPECT_NE(file.find("Bemerkung=" + std::string(255, 'x') + "\r\n"), std::string::npos);
    EXPECT_EQ(cutDescription("Tür"), "Tür");
}

TEST_F(PinSettingsFile, SoundSwitchesAPinOnlyWhenPlayedAndSwitchingThatPin) {
    EXPECT_FALSE(pinSwitchedBySound(IniFile(path()), 0));
    store("[Sound]\r\nAnsteuern=1\r\nPlay=1\r\nAnsteuern Pin=0\r\n");
    EXPECT_TRUE(pinSwitchedBySound(IniFile(path()), 0));
    EXPECT_FALSE(pinSwitchedBySound(IniFile(path()), 1));
    store("[Sound]\r\nAnsteuern=1\r\nPlay=0\r\nAnsteuern Pin=2\r\n");
    EXPECT_FALSE(pinSwitchedBySound(IniFile(path()), 2));
    store("[Sound]\r\nAnsteuern=0\r\nPlay=1\r\nAnsteuern Pin=2\r\n");
    EXPECT_FALSE(pinSwitchedBySound(IniFile(path()), 2));
    store("[sound]\r\nansteuern=1\r\nplay=1\r\nansteuern pin=2\r\n");
    EXPECT_TRUE(pinSwitchedBySound(IniFile(path()), 2));
}

}  // namespace
}  // namespace dravel::config
