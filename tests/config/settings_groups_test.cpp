#include <gtest/gtest.h>

#include <string>

#include "config/IniFile.h"
#include "SettingsFileTest.h"
#include "config/ProgramOptions.h"
#include "config/ScheduleSettings.h"
#include "config/SoundSettings.h"

namespace dravel::config {
namespace {

class SettingsGroups : public SettingsFileTest {
protected:
};

TEST_F(SettingsGroups, MissingFileGivesTheDialogsDefaults) {
    const IniFile ini(path());
    const SoundSettings sound = SoundSettings::read(ini);
    EXPECT_FALSE(sound.play);
    EXPECT_EQ(sound.path, "");
    EXPECT_FALSE(sound.wait);
    EXPECT_EQ(sound.waitTime, 0);
    EXPECT_FALSE(sound.switchPin);
    EXPECT_EQ(sound.switchPinIndex, -1);

    const ScheduleSettings schedule = ScheduleSettings::read(ini);
    EXPECT_EQ(schedule.kind, 0);
    EXPECT_EQ(schedule.weekday1, -1);
    EXPECT_EQ(schedule.weekday2, -1);
    EXPECT_EQ(schedule.weekdayInMonth, -1);
    EXPECT_EQ(schedule.dayOfMonth, -1);
    EXPECT_EQ(schedule.time, "__:__");
    EXPECT_EQ(schedule.duration, "");

    const ProgramOptions options = ProgramOptions::read(ini);
    EXPECT_FALSE(options.tray);
    EXPECT_TRUE(options.autoEnd);
    EXPECT_FALSE(options.multiStart);
    EXPECT_FALSE(options.externStop);
}

TEST_F(SettingsGroups, SoundIsWrittenInTheAlarmProgramsOrder) {
    SoundSettings sound;
    sound.play = true;
    sound.path = "C:\\Töne\\alarm.wav";
    sound.waitTime = 30;
    sound.switchPin = true;
    sound.switchPinIndex = 2;
    save(sound);
    EXPECT_EQ(stored(),
              "[Sound]\r\nPfad=C:\\T\xF6ne\\alarm.wav\r\nPlay=1\r\nWait=0\r\nWait Time=30\r\n"
              "Ansteuern=1\r\nAnsteuern Pin=2\r\n");
}

TEST_F(SettingsGroups, SoundReadsWhatOtherSpellingsOfItsSectionHold) {
    store(
        "[sound  ]\r\nPLAY=2\r\npfad=  /x/a.wav  \r\nwait=1\r\nwait time=0x10\r\n"
        "Ansteuern=yes\r\nansteuern pin=1\r\n");
    const SoundSettings sound = SoundSettings::read(IniFile(path()));
    EXPECT_TRUE(sound.play);
    EXPECT_EQ(sound.path, "/x/a.wav");
    EXPECT_TRUE(sound.wait);
    EXPECT_EQ(sound.waitTime, 16);
    EXPECT_FALSE(sound.switchPin);  // a word is the reader's default
    EXPECT_EQ(sound.switchPinIndex, 1);
}

TEST_F(SettingsGroups, ScheduleIsWrittenInOrderWithTheTimeFieldsBlanks) {
    ScheduleSettings schedule;
    schedule.time = "  :  ";
    save(schedule);
    EXPECT_EQ(stored(),
              "[Funktionsprobe]\r\nArt=0\r\nWochentag1=-1\r\nWochentag2=-1\r\n"
              "Wochentag im Monat=-1\r\nTag im Monat=-1\r\nUhrzeit=  :  \r\nDauer=\r\n");
}

TEST_F(SettingsGroups, ScheduleRoundTrips) {
    ScheduleSettings schedule;
    schedule.kind = ScheduleSettings::MonthlyByWeekday;
    schedule.weekday1 = 6;
    schedule.weekday2 = 2;
    schedule.weekdayInMonth = 3;
    schedule.dayOfMonth = 30;
    schedule.time = "19:45";
    schedule.duration = "120";
    save(schedule);
    const ScheduleSettings back = ScheduleSettings::read(IniFile(path()));
    EXPECT_EQ(back.kind, 2);
    EXPECT_EQ(back.weekday1, 6);
    EXPECT_EQ(back.weekday2, 2);
    EXPECT_EQ(back.weekdayInMonth, 3);
    EXPECT_EQ(back.dayOfMonth, 30);
    EXPECT_EQ(back.time, "19:45");
    EXPECT_EQ(back.duration, "120");
}

TEST_F(SettingsGroups, ProgramOptionsGoToTwoSectionsAndLeaveOtherKeys) {
    store("[ComPort]\r\nPort=COM3\r\n[Prog]\r\nEnde=0\r\nFremd=x\r\n");
    ProgramOptions options;
    options.tray = true;
    options.multiStart = true;
    options.externStop = true;
    save(options);
    EXPECT_EQ(stored(),
              "[ComPort]\r\nPort=COM3\r\nExtern=1\r\n[Prog]\r\nEnde=1\r\nFremd=x\r\nTray=1\r\n"
              "Mehrfach=1\r\n");
    const ProgramOptions back = ProgramOptions::read(IniFile(path()));
    EXPECT_TRUE(back.tray && back.autoEnd && back.multiStart && back.externStop);
}

TEST(TimeField, StoredTextsFillTheFivePositions) {
    EXPECT_EQ(fitToTimeField("06:30"), "06:30");
    EXPECT_EQ(fitToTimeField("__:__"), "  :  ");
    // The file layer trims values, so " 8:15" and "12:  " come back shorter.
    EXPECT_EQ(fitToTimeField("8:15"), " 8:15");
    EXPECT_EQ(fitToTimeField(":"), "  :  ");
    EXPECT_EQ(fitToTimeField("12:"), "12:  ");
    EXPECT_EQ(fitToTimeField(""), "  :  ");
    EXPECT_EQ(fitToTimeField("7"), " 7:  ");
    EXPECT_EQ(fitToTimeField("a1:b2"), " 1: 2");
    EXPECT_EQ(fitToTimeField("123:4567"), "23:45");
}

}  // namespace
}  // namespace dravel::config
