#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// The history of Prog.ini and Alarmierung.dat: before a save replaces either
// file, the content it replaces is kept in the folder "Verlauf" beside it,
// one copy per state, with a small text file naming the user, the command
// and a fingerprint of what the save wrote. Copies are written as the files
// themselves are (replaceFileContents), so a kill leaves a state whole or
// absent, never cut off.
namespace dravel::config {

inline constexpr std::string_view kHistoryFolderName = "Verlauf";
// At least this many states of each file are kept, and every state younger
// than kKeptAge.
inline constexpr std::size_t kKeptStates = 100;
inline constexpr std::chrono::days kKeptAge{30};

using HistoryTime = std::chrono::sys_time<std::chrono::milliseconds>;

// The note a window shows once when a save went through but the state it
// replaced could not be kept; empty when all went well.
using HistoryWarning = std::optional<std::string>;

// One kept state: the content a save replaced.
struct HistoryState {
    std::string path;      // UTF-8 path of the copy
    std::string fileName;  // "Prog.ini" or "Alarmierung.dat"
    HistoryTime replacedAt;
    std::string user;     // empty when its description is missing
    std::string command;  // the command whose save replaced it
    // The content differs from what the program itself last wrote: it was
    // changed by another program between two of its saves.
    bool changedOutside = false;
};

struct SavedWithHistory {
    std::error_code error;  // the save's own failure; the file is unchanged then
    HistoryWarning warning;
};

// Replaces the file at path (see replaceFileContents) after keeping its
// current content in the history beside it under the command's name and the
// user's. A state that cannot be kept never stops the save: it goes on and
// the result carries the warning. A missing file replaces nothing and keeps
// no state. The save that adds a state removes the states no longer kept.
SavedWithHistory saveKeepingHistory(const std::string& path, std::string_view bytes,
                                    std::string_view command);

// The folder of the history of a program directory (which ends in a
// separator), as UTF-8.
std::string historyFolderPath(const std::string& programDirectory);

// The states of both files kept for a program directory, newest first.
std::vector<HistoryState> listHistory(const std::string& programDirectory);

// The bytes of a kept state, exactly as they were in the file.
std::error_code readHistoryState(const HistoryState& state, std::string& bytes);

// The name of the user this program runs for (Windows user name, Linux login
// name); "unbekannt" when the system does not say.
std::string currentUserName();

// Tests put a stand-in in; hands back what was there. Empty uses the system
// clock again.
using HistoryClock = std::function<std::chrono::system_clock::time_point()>;
HistoryClock replaceHistoryClock(HistoryClock clock);

// Tests put a stand-in in; hands back what was there. Empty asks the system
// again.
std::string replaceUserName(std::string name);

namespace history {
// Per platform: the system's name of the user.
std::string systemUserName();
}  // namespace history

}  // namespace dravel::config
