#include "config/conditions/AlarmCode.h"

#include "config/storage/Cp1252.h"

namespace dravel::config {
namespace {

constexpr std::string_view kDigits = "0123456789?";
constexpr std::string_view kHexDigits = "0123456789ABCDEF?";
constexpr std::string_view kPosacFirst = "012?";
constexpr std::string_view kPosacFunction = "01234?";
constexpr std::string_view kFmsDirection = "01?";

struct KindTable {
    std::string_view prefix;      // for finding selectors, compared without regard to case
    std::string_view namePrefix;  // as the forms spell the component names
    std::string_view panel;
    int count;
};

const KindTable& tableOf(AlarmCodeKind kind) {
    static constexpr std::array<KindTable, 3> tables = {{
        {"ton", "ton", "ZVEI", 5},
        {"posac", "Posac", "POSAC", 8},
        {"fms", "FMS", "FMS", 10},
    }};
    return tables[static_cast<std::size_t>(kind)];
}

bool isValidPosition(AlarmCodeKind kind, int position) {
    return position >= 1 && position <= positionCount(kind);
}

char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool isAscii(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

}  // namespace

std::optional<AlarmCodeKind> conditionKind(int kindIndex) {
    if (kindIndex < 0 || kindIndex >= static_cast<int>(kAlarmCodeKinds.size())) return std::nullopt;
    return kAlarmCodeKinds[static_cast<std::size_t>(kindIndex)];
}

std::optional<AlarmCodeKind> simulationKind(int simulationItem) {
    switch (simulationItem) {
        case 1:
            return AlarmCodeKind::FiveTone;
        case 2:
            return AlarmCodeKind::Fms;
        case 3:
            return AlarmCodeKind::Posac;
        default:
            return std::nullopt;
    }
}

std::string_view selectorPrefix(AlarmCodeKind kind) {
    return tableOf(kind).prefix;
}

std::string_view panelName(AlarmCodeKind kind) {
    return tableOf(kind).panel;
}

int positionCount(AlarmCodeKind kind) {
    return tableOf(kind).count;
}

std::string selectorName(AlarmCodeKind kind, int position) {
    if (!isValidPosition(kind, position)) return {};
    return std::string(tableOf(kind).namePrefix) + std::to_string(position);
}

std::optional<int> selectorPosition(AlarmCodeKind kind, std::string_view name) {
    for (int position = 1; position <= positionCount(kind); ++position) {
        const std::string candidate = std::string(selectorPrefix(kind)) + std::to_string(position);
        if (cp1252EqualsNoCase(name, candidate)) return position;
    }
    return std::nullopt;
}

std::string_view positionItems(AlarmCodeKind kind, int position) {
    if (!isValidPosition(kind, position)) return {};
    switch (kind) {
        case AlarmCodeKind::FiveTone:
            return kDigits;
        case AlarmCodeKind::Posac:
            if (position == 1) return kPosacFirst;
            return position == 8 ? kPosacFunction : kDigits;
        case AlarmCodeKind::Fms:
            return position == 10 ? kFmsDirection : kHexDigits;
    }
    return {};
}

std::optional<std::string> composeAlarmCode(AlarmCodeKind kind,
                                            std::span<const int> selectedItems) {
    std::string code;
    for (int position = 1; position <= positionCount(kind); ++position) {
        const std::string_view items = positionItems(kind, position);
        const auto slot = static_cast<std::size_t>(position - 1);
        const int selected = slot < selectedItems.size() ? selectedItems[slot] : -1;
        if (selected < 0 || selected >= static_cast<int>(items.size())) return std::nullopt;
        code += items[static_cast<std::size_t>(selected)];
    }
    return code;
}

std::vector<int> alarmCodeItemIndexes(AlarmCodeKind kind, std::string_view code) {
    std::vector<int> indexes;
    for (std::size_t i = 0; i < code.size() && indexes.size() < std::size_t(positionCount(kind));
         ++i) {
        if (isUtf8Continuation(code[i])) continue;
        const std::string_view items = positionItems(kind, static_cast<int>(indexes.size()) + 1);
        const std::size_t found =
            isAscii(code[i]) ? items.find(upperAscii(code[i])) : std::string_view::npos;
        indexes.push_back(found == std::string_view::npos ? -1 : static_cast<int>(found));
    }
    return indexes;
}

}  // namespace dravel::config
