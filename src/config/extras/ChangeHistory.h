#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/settings/MixerNames.h"
#include "config/storage/History.h"

// What the window "Änderungsverlauf" shows and does: a kept state against
// the current file, in the main window's own sentences for Prog.ini and by
// entry for Alarmierung.dat, and putting a state back.
namespace dravel::config {

// One thing that differs between a kept state (before) and the current file
// (after). An empty side has no such panel line or entry.
struct HistoryDifference {
    std::string subject;  // panel caption, or the entry's code and description
    std::string before;
    std::string after;

    bool operator==(const HistoryDifference&) const = default;
};

// The panels whose sentences differ, in the report's panel order, lines
// joined by "\n". Bytes that differ without changing a sentence (sections of
// other programs, comments) give one row that says so.
std::vector<HistoryDifference> compareSettings(std::string_view kept, std::string_view current,
                                               MixerNames& mixer);

// Entries removed since the state (only before), added (only after) and
// changed (an entry of the same code whose pin, kind, description or audio
// file differ); an order changed alone gives one row.
std::vector<HistoryDifference> compareConditionLists(std::string_view kept,
                                                     std::string_view current);

// The state against the file of its name in the program directory as it is
// now (a missing file counts as empty). Throws when the state cannot be read.
std::vector<HistoryDifference> differencesFromCurrent(const std::string& programDirectory,
                                                      const HistoryState& state, MixerNames& mixer);

// The columns of the window's list.
struct HistoryRow {
    std::string time;  // German civil time: "08.12.2026 05:31:07"
    std::string fileName;
    std::string user;
    std::string command;
    std::string note;  // "außerhalb von Dravel geändert" or empty
};
HistoryRow historyRow(const HistoryState& state);

// Puts the state's exact bytes back in place of its file, through the same
// save as every command, so that the state it replaces is kept in turn.
// Throws the file's own write error when the save fails.
HistoryWarning restoreHistoryState(const std::string& programDirectory, const HistoryState& state);

}  // namespace dravel::config
