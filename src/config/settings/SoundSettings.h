#pragma once

#include <string>

#include "config/storage/IniFile.h"

namespace dravel::config {

// The alarm sound: whether and which WAV file the alarm program plays, after
// which delay, and which output pin it switches on while the sound plays.
struct SoundSettings {
    static constexpr int kMinWaitTime = 1;
    static constexpr int kMaxWaitTime = 1800;

    bool play = false;
    std::string path;
    bool wait = false;
    int waitTime = 0;  // seconds; the dialog pulls it into its range
    bool switchPin = false;
    int switchPinIndex = -1;  // 0..2, -1 = none

    // Reads in the order the dialog takes the values over.
    static SoundSettings read(const IniFile& ini);
    // Writes every key, whatever the check boxes say, in the alarm program's order.
    void write(IniFile& ini) const;

    // Whether another program changed the group between two reads.
    friend bool operator==(const SoundSettings&, const SoundSettings&) = default;
};

}  // namespace dravel::config
