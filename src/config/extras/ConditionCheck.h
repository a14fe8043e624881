#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/conditions/AlarmCode.h"
#include "config/conditions/ConditionList.h"
#include "config/settings/PinSettings.h"

// The check of the condition list against itself and against Prog.ini: what
// makes an entry useless or wrong without the editor showing it. How "?" is
// matched is up to the alarm program, so the check never claims that one
// entry hides another.
namespace dravel::config {

// One thing found wrong with one entry. row counts from 1 in list order;
// 0 stands for the list as a whole (a file that could not be read).
struct ConditionFinding {
    std::size_t row = 0;
    std::string code;
    std::string description;
    std::string problem;

    bool operator==(const ConditionFinding&) const = default;
};

// True when the sound component can play the file at this UTF-8 path.
using PlayableCheck = std::function<bool(const std::string& path)>;

// The reason a code does not fit its kind (length, or a character that no
// selector of that position offers); none when it fits.
std::optional<std::string> alarmCodeProblem(AlarmCodeKind kind, std::string_view code);

// Every finding, ordered by row. Each distinct audio path is looked at once.
std::vector<ConditionFinding> checkConditionList(const std::vector<ConditionEntry>& entries,
                                                 const std::array<PinRecord, kPinCount>& pins,
                                                 const PlayableCheck& playable);

// The check of a list as read: a list that could not be read whole adds a
// finding of row 0.
std::vector<ConditionFinding> checkReadList(const ConditionListReadResult& list,
                                            const std::array<PinRecord, kPinCount>& pins,
                                            const PlayableCheck& playable);

// Reads Alarmierung.dat and Prog.ini of the program directory and checks
// them.
std::vector<ConditionFinding> checkProgramDirectory(const std::string& programDirectory,
                                                    const PlayableCheck& playable);

}  // namespace dravel::config
