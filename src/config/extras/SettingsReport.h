#pragma once

#include <string>
#include <vector>

#include "config/conditions/ConditionList.h"
#include "config/extras/AlarmCourse.h"
#include "config/extras/BerlinTime.h"
#include "config/extras/ConditionCheck.h"
#include "config/extras/DeactivationWindows.h"
#include "config/settings/MixerNames.h"
#include "config/summary/Summary.h"

// What the settings report holds, for the unit's records: everything the
// main window shows, the condition list and its check. Printing and the PDF
// lay it out; the content is decided here.
namespace dravel::config {

struct ReportPanel {
    std::string title;               // the main window's frame caption
    std::vector<std::string> lines;  // the panel's text, one entry per line
};

struct ReportCondition {
    std::string pin;   // caption, or the raw field when it names no pin
    std::string kind;  // likewise
    std::string code;
    std::string description;
    std::string audioPath;
};

struct SettingsReport {
    sys_seconds createdAt;
    std::string created;  // the same moment in German time: "07.12.2026 14:05"
    std::string programDirectory;
    std::vector<ReportPanel> panels;
    std::vector<ReportCondition> conditions;
    std::vector<ConditionFinding> findings;
    DeactivationPlan deactivations;
    // The course without a code and for each kind the list uses; none when
    // the report was made without the sound component.
    std::vector<AlarmCourse> courses;
};

// The summary's panels in the report's order, line breaks split.
std::vector<ReportPanel> summaryPanels(const SummaryTexts& texts);

// An entry with the captions of its pin and kind.
ReportCondition reportCondition(const ConditionEntry& entry);

// Reads Prog.ini and Alarmierung.dat of the program directory once each.
SettingsReport buildSettingsReport(const std::string& programDirectory, MixerNames& mixer,
                                   const PlayableCheck& playable, sys_seconds now,
                                   const SoundLengthReader& soundLength = {});

// The schedule panel's sentence as the main window shows it, or the
// message why it cannot be built; panel line breaks become "\n".
std::string scheduleSentence(const IniFile& settings);

}  // namespace dravel::config
