#include <gtest/gtest.h>

#include <string>

#include "config/FunkSettings.h"
#include "config/IniFile.h"
#include "SettingsFileTest.h"

namespace dravel::config {
namespace {

class FunkSettingsFile : public SettingsFileTest {
protected:
    FunkSettings load() const { return SettingsFileTest::load<FunkSettings>(); }
};

TEST_F(FunkSettingsFile, MissingFileGivesTheDialogsDefaults) {
    const FunkSettings s = load();
    EXPECT_FALSE(s.onOff);
    EXPECT_EQ(s.card, -1);
    EXPECT_EQ(s.input, -1);
    EXPECT_EQ(s.start, -1);
    EXPECT_EQ(s.startTime, 0);
    EXPECT_EQ(s.endTime, 0);
    EXPECT_EQ(s.end, -1);
    EXPECT_EQ(s.pin, -1);
    EXPECT_EQ(s.endVolumeMode, -1);
    EXPECT_EQ(s.startVolume, 0);  // the summary's default of 65535 is not the dialog's
    EXPECT_EQ(s.endVolume, 0);
}

TEST_F(FunkSettingsFile, EveryKeyIsWrittenInTheAlarmProgramsOrder) {
    FunkSettings s;
    s.card = 0;
    save(s);
    // "Ende" comes before the two times, unlike the order of reading.
    EXPECT_EQ(stored(),
              "[Funk]\r\nOnOff=0\r\nSoundkarte=0\r\nEingang=-1\r\nStart=-1\r\nEnde=-1\r\n"
              "Start Zeit=0\r\nEnde Zeit=0\r\nPin=-1\r\nEndLautst\xE4rke=-1\r\n"
              "StartVolume=0\r\nEndVolume=0\r\n");
}

TEST_F(FunkSettingsFile, EveryFieldGoesToItsOwnKeyAndComesBack) {
    FunkSettings s;
    s.onOff = true;
    s.card = 1;
    s.input = 3;
    s.start = 2;
    s.startTime = 17;
    s.endTime = 3600;
    s.end = 1;
    s.pin = 2;
    s.endVolumeMode = 2;
    s.startVolume = 32767;
    s.endVolume = 6554;
    save(s);
    EXPECT_EQ(stored(),
              "[Funk]\r\nOnOff=1\r\nSoundkarte=1\r\nEingang=3\r\nStart=2\r\nEnde=1\r\n"
              "Start Zeit=17\r\nEnde Zeit=3600\r\nPin=2\r\nEndLautst\xE4rke=2\r\n"
              "StartVolume=32767\r\nEndVolume=6554\r\n");
    const FunkSettings back = load();
    EXPECT_TRUE(back.onOff);
    EXPECT_EQ(back.card, 1);
    EXPECT_EQ(back.input, 3);
    EXPECT_EQ(back.start, 2);
    EXPECT_EQ(back.startTime, 17);
    EXPECT_EQ(back.endTime, 3600);
    EXPECT_EQ(back.end, 1);
    EXPECT_EQ(back.pin, 2);
    EXPECT_EQ(back.endVolumeMode, 2);
    EXPECT_EQ(back.startVolume, 32767);
    EXPECT_EQ(back.endVolume, 6554);
}

TEST_F(FunkSettingsFile, OtherSpellingsAndEncodingsReachTheValues) {
    store(
        "[ funk ]\r\nonoff=2\r\nSOUNDKARTE=0x1\r\neingang= 4 \r\nstart=1\r\nstart zeit=90\r\n"
        "ende zeit=-5\r\nende=0\r\npin=1\r\nEndlautst\xE4rke=1\r\nStartvolume=0xFFFF\r\n"
        "EndVolume=laut\r\n");
    const FunkSettings s = load();
    EXPECT_TRUE(s.onOff);  // any value but 0 means yes
    EXPECT_EQ(s.card, 1);
    EXPECT_EQ(s.input, 4);
    EXPECT_EQ(s.start, 1);
    EXPECT_EQ(s.startTime, 90);
    EXPECT_EQ(s.endTime, -5);  // the dialog pulls it into its range
    EXPECT_EQ(s.end, 0);
    EXPECT_EQ(s.pin, 1);
    EXPECT_EQ(s.endVolumeMode, 1);
    EXPECT_EQ(s.startVolume, 65535);
    EXPECT_EQ(s.endVolume, 0);  // a word gives the default
}

TEST_F(FunkSettingsFile, WritingKeepsTheFilesOtherLinesAndKeyPlaces) {
    store("; Kalvor\r\n[Funk]\r\nEndVolume=1\r\nFremd=x\r\nOnOff=1\r\n[Prog]\r\nTray=1\r\n");
    FunkSettings s;
    s.endVolume = 65535;
    save(s);
    EXPECT_EQ(stored(),
              "; Kalvor\r\n[Funk]\r\nEndVolume=65535\r\nFremd=x\r\nOnOff=0\r\nSoundkarte=-1\r\n"
              "Eingang=-1\r\nStart=-1\r\nEnde=-1\r\nStart Zeit=0\r\nEnde Zeit=0\r\nPin=-1\r\n"
              "EndLautst\xE4rke=-1\r\nStartVolume=0\r\n[Prog]\r\nTray=1\r\n");
}

}  // namespace
}  // namespace dravel::config
