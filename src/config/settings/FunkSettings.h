#pragma once

#include "config/storage/IniFile.h"

namespace dravel::config {

// The radio playback regulation: whether the alarm program raises the
// playback volume of one input of a sound card, when it starts and ends, and
// the volumes it sets. Volumes are kept on the mixer's scale 0..65535.
struct FunkSettings {
    static constexpr int kMaxSeconds = 3600;

    bool onOff = false;
    int card = -1;           // mixer device id, -1 = none
    int input = -1;          // 0 = the first destination, k = its source k - 1; -1 = none
    int start = -1;          // 0 at program start, 1 after startTime, 2 with the pin
    int startTime = 0;       // seconds
    int endTime = 0;         // seconds
    int end = -1;            // 0 at program end, 1 after endTime, 2 with the pin
    int pin = -1;            // pin index 0..2 that start 2 and end 2 follow
    int endVolumeMode = -1;  // 0 restore, 1 mute, 2 endVolume
    int startVolume = 0;
    int endVolume = 0;

    // Reads in the order the dialog takes the values over.
    static FunkSettings read(const IniFile& ini);
    // The same keys with the summary's defaults, which are the alarm
    // program's own (a missing volume is 100 %, not the window's 0 %).
    static FunkSettings readAsAlarmProgram(const IniFile& ini);
    // Writes every key, whatever onOff says, in the alarm program's order.
    void write(IniFile& ini) const;

    // Whether another program changed the group between two reads.
    friend bool operator==(const FunkSettings&, const FunkSettings&) = default;
};

}  // namespace dravel::config
