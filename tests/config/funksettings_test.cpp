#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "SettingsFileTest.h"
#include "config/settings/FunkSettings.h"
#include "config/storage/IniFile.h"

namespace dravel::config {
namespace {

using FunkSettingsFile = SettingsFileTest;

auto fields(const FunkSettings& s) {
    return std::tie(s.onOff, s.card, s.input, s.start, s.startTime, s.endTime, s.end, s.pin,
                    s.endVolumeMode, s.startVolume, s.endVolume);
}

TEST_F(FunkSettingsFile, EveryFieldGoesToItsOwnKeyAndComesBack) {
    const FunkSettings s{.onOff = true,
                         .card = 1,
                         .input = 3,
                         .start = 2,
                         .startTime = 17,
                         .endTime = 3600,
                         .end = 1,
                         .pin = 2,
                         .endVolumeMode = 2,
                         .startVolume = 32767,
                         .endVolume = 6554};
    save(s);
    EXPECT_EQ(stored(),
              "[Funk]\r\nOnOff=1\r\nSoundkarte=1\r\nEingang=3\r\nStart=2\r\nEnde=1\r\n"
              "Start Zeit=17\r\nEnde Zeit=3600\r\nPin=2\r\nEndLautst\xE4rke=2\r\n"
              "StartVolume=32767\r\nEndVolume=6554\r\n");
    EXPECT_EQ(fields(load<FunkSettings>()), fields(s));
}

TEST_F(FunkSettingsFile, OtherSpellingsAndEncodingsReachTheValues) {
    store(
        "[ funk ]\r\nonoff=2\r\nSOUNDKARTE=0x1\r\neingang= 4 \r\nstart=1\r\nstart zeit=90\r\n"
        "ende zeit=-5\r\nende=0\r\npin=1\r\nEndlautst\xE4rke=1\r\nStartvolume=0xFFFF\r\n"
        "EndVolume=laut\r\n");
    // Any value but 0 means yes; a word gives the default; the dialog pulls
    // the negative end time into its range.
    const FunkSettings expected{.onOff = true,
                                .card = 1,
                                .input = 4,
                                .start = 1,
                                .startTime = 90,
                                .endTime = -5,
                                .end = 0,
                                .pin = 1,
                                .endVolumeMode = 1,
                                .startVolume = 65535,
                                .endVolume = 0};
    EXPECT_EQ(fields(load<FunkSettings>()), fields(expected));
}

TEST_F(FunkSettingsFile, WritingKeepsTheFilesOtherLinesAndKeyPlaces) {
    store("; Kalvor\r\n[Funk]\r\nEndVolume=1\r\nFremd=x\r\nOnOff=1\r\n[Prog]\r\nTray=1\r\n");
    save(FunkSettings{.endVolume = 65535});
    EXPECT_EQ(stored(),
              "; Kalvor\r\n[Funk]\r\nEndVolume=65535\r\nFremd=x\r\nOnOff=0\r\nSoundkarte=-1\r\n"
              "Eingang=-1\r\nStart=-1\r\nEnde=-1\r\nStart Zeit=0\r\nEnde Zeit=0\r\nPin=-1\r\n"
              "EndLautst\xE4rke=-1\r\nStartVolume=0\r\n[Prog]\r\nTray=1\r\n");
}

}  // namespace
}  // namespace dravel::config
