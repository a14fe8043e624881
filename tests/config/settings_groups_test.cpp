#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "SettingsFileTest.h"
#include "config/settings/ProgramOptions.h"
#include "config/settings/ScheduleSettings.h"
#include "config/settings/SoundSettings.h"
#include "config/storage/IniFile.h"

namespace dravel::config {
namespace {

using SettingsGroups = SettingsFileTest;

auto fields(const SoundSettings& s) {
    return std::tie(s.play, s.path, s.wait, s.waitTime, s.switchPin, s.switchPinIndex);
}

TEST_F(SettingsGroups, SoundGoesToItsKeysAndComesBack) {
    const SoundSettings sound{.play = true,
                              .path = "C:\\Töne\\alarm.wav",
                              .wait = true,
                              .waitTime = 30,
                              .switchPin = true,
                              .switchPinIndex = 2};
    save(sound);
    EXPECT_EQ(stored(),
              "[Sound]\r\nPfad=C:\\T\xF6ne\\alarm.wav\r\nPlay=1\r\nWait=1\r\nWait Time=30\r\n"
              "Ansteuern=1\r\nAnsteuern Pin=2\r\n");
    EXPECT_EQ(fields(load<SoundSettings>()), fields(sound));
}

TEST_F(SettingsGroups, SoundReadsWhatOtherSpellingsOfItsSectionHold) {
    store(
        "[sound  ]\r\nPLAY=2\r\npfad=  /x/a.wav  \r\nwait=1\r\nwait time=0x10\r\n"
        "Ansteuern=yes\r\nansteuern pin=1\r\n");
    // A word is the reader's default: "Ansteuern" stays off.
    const SoundSettings expected{.play = true,
                                 .path = "/x/a.wav",
                                 .wait = true,
                                 .waitTime = 16,
                                 .switchPin = false,
                                 .switchPinIndex = 1};
    EXPECT_EQ(fields(load<SoundSettings>()), fields(expected));
}

TEST_F(SettingsGroups, ScheduleRoundTripsKeyByKey) {
    const std::string file =
        "[Funktionsprobe]\r\nArt=2\r\nWochentag1=6\r\nWochentag2=2\r\nWochentag im Monat=3\r\n"
        "Tag im Monat=30\r\nUhrzeit=19:45\r\nDauer=120\r\n";
    store(file);
    const ScheduleSettings s = load<ScheduleSettings>();
    EXPECT_EQ(std::tie(s.kind, s.weekday1, s.weekday2, s.weekdayInMonth, s.dayOfMonth),
              std::make_tuple(2, 6, 2, 3, 30));
    EXPECT_EQ(std::tie(s.time, s.duration), std::make_tuple("19:45", "120"));
    save(s);
    EXPECT_EQ(stored(), file);
}

TEST_F(SettingsGroups, ProgramOptionsGoToTwoSectionsAndLeaveOtherKeys) {
    store("[ComPort]\r\nPort=COM3\r\n[Prog]\r\nEnde=0\r\nFremd=x\r\n");
    save(ProgramOptions{.tray = true, .autoEnd = true, .multiStart = true, .externStop = true});
    EXPECT_EQ(stored(),
              "[ComPort]\r\nPort=COM3\r\nExtern=1\r\n[Prog]\r\nEnde=1\r\nFremd=x\r\nTray=1\r\n"
              "Mehrfach=1\r\n");
    const ProgramOptions back = load<ProgramOptions>();
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
