#pragma once

#include <array>
#include <optional>
#include <string>

#include "config/settings/MixerNames.h"
#include "config/storage/IniFile.h"

namespace dravel::config {

// The texts of the main window's panels, in the order the window applies
// them. Panel line breaks are LF CR.
struct SummaryTexts {
    bool playButtonVisible = false;        // `Abspielen`
    std::optional<std::string> soundPath;  // new text of `pfad`; only while sound is on
    std::string soundFile;                 // `Datei`
    std::string soundPin;                  // `SoundPin`
    std::string portName;                  // `Port_name`
    std::string portInfo;                  // `Port_info`
    std::array<std::string, 3> pins;       // `Pin0`, `Pin1`, `Pin2`
    std::string programInfo;               // `ProgInfo`
    std::string volume;                    // `Laut`
    // `Funktionspr`: absent when the stored "Uhrzeit" is not a time of day;
    // then scheduleError holds the message and the summary ends with it.
    std::optional<std::string> schedule;
    std::optional<std::string> scheduleError;
};

// Builds every panel text from one parse of Prog.ini. Selects the stored sound
// card on the mixer, as naming it requires.
SummaryTexts buildSummary(const IniFile& settings, MixerNames& mixer);

}  // namespace dravel::config
