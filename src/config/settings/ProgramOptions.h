#pragma once

#include "config/storage/IniFile.h"

namespace dravel::config {

// How the alarm program behaves as a program.
struct ProgramOptions {
    bool tray = false;        // minimise to the notification area after starting
    bool autoEnd = true;      // end when all timers have run out
    bool multiStart = false;  // several copies may run at once
    bool externStop = false;  // a push-button on Pin 9 (Ring) stops it

    // Reads in the order the dialog's boxes are set, so their notices come in that order.
    static ProgramOptions read(const IniFile& ini);
    // The same keys with the summary's defaults, which are the alarm
    // program's own (a missing "Ende" does not end it by itself).
    static ProgramOptions readAsAlarmProgram(const IniFile& ini);
    void write(IniFile& ini) const;

    // Whether another program changed the group between two reads.
    friend bool operator==(const ProgramOptions&, const ProgramOptions&) = default;
};

}  // namespace dravel::config
