#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Alarm codes and the selector panels they are composed with. The condition
// list editor and the alarm simulation build their panels from these tables
// and compose through the same rule, so both always produce the same codes.
namespace dravel::config {

// The values are the condition list's kind indexes (the "Typ" column).
enum class AlarmCodeKind { FiveTone = 0, Posac = 1, Fms = 2 };

inline constexpr std::array<AlarmCodeKind, 3> kAlarmCodeKinds = {
    AlarmCodeKind::FiveTone, AlarmCodeKind::Posac, AlarmCodeKind::Fms};

// Items of the condition list editor's kind selector, by kind index.
inline constexpr std::array<std::string_view, 3> kConditionKindItems = {"5-Tonfolgen", "POSAC",
                                                                        "FMS-Kennung"};

// Items of the alarm simulation's kind selector; item 0 passes no code.
inline constexpr std::array<std::string_view, 4> kSimulationKindItems = {
    "Keine Parameter Übergeben", "5-Tonfolge", "FMS-Telegramm", "POSAC"};

// The companion program's parameter when no code is passed.
inline constexpr std::string_view kNoAlarmCodeParameter = "NIL";

inline constexpr std::string_view kIncompleteAlarmCodeMessage =
    "Die Kennung wurde nicht vollständig eingestellt";

// The kind of an editor kind index (0..2); none for anything else.
std::optional<AlarmCodeKind> conditionKind(int kindIndex);

// The kind of a simulation item; none for item 0 and anything out of range.
std::optional<AlarmCodeKind> simulationKind(int simulationItem);

// Name prefix of the kind's position selectors: "ton", "posac", "fms".
std::string_view selectorPrefix(AlarmCodeKind kind);

// Name of the frame holding the kind's selectors: "ZVEI", "POSAC", "FMS".
std::string_view panelName(AlarmCodeKind kind);

// Number of positions, which is the code length: 5, 8 or 10.
int positionCount(AlarmCodeKind kind);

// Component name of the selector at position 1..positionCount as the forms
// spell it ("ton3", "Posac1", "FMS10"); empty for a position out of range.
std::string selectorName(AlarmCodeKind kind, int position);

// Position of the selector with this name, compared without regard to case
// (so "posac1" finds position 1 of POSAC); none when no selector has it.
std::optional<int> selectorPosition(AlarmCodeKind kind, std::string_view name);

// Items of the selector at position 1..positionCount, one character each in
// list order (item i is character i); empty for a position out of range.
std::string_view positionItems(AlarmCodeKind kind, int position);

// Composes the code from the selected item index of each position (element 0
// is position 1; -1, an index outside the list or a missing element mean no
// selection). Stops at the first position without selection and yields none:
// the code is incomplete. Otherwise the code is the selected characters run
// together in position order.
std::optional<std::string> composeAlarmCode(AlarmCodeKind kind, std::span<const int> selectedItems);

// The reverse, for taking a stored code back into the selectors: for each
// character of the code (at most positionCount of them) the index of the
// equal item at that position, letters matched regardless of case, or -1
// when the character is not one of that position's items.
std::vector<int> alarmCodeItemIndexes(AlarmCodeKind kind, std::string_view code);

}  // namespace dravel::config
