#include "config/extras/ChangeHistory.h"

#include <optional>
#include <stdexcept>

#include "config/conditions/ConditionList.h"
#include "config/extras/BerlinTime.h"
#include "config/extras/SettingsReport.h"
#include "config/storage/AtomicFile.h"
#include "config/storage/FileError.h"
#include "config/storage/IniFile.h"
#include "config/summary/Summary.h"

namespace dravel::config {
namespace {

constexpr std::string_view kSettingsFile = "Prog.ini";

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

// Bytes the program does not show: another program's sections, comments,
// the layout of lines, bytes after the last whole record.
HistoryDifference otherBytesOnly(std::string_view fileName) {
    return {std::string(fileName), "",
            "Die Datei unterscheidet sich nur in Teilen, die Dravel nicht anzeigt"};
}

std::string entryText(const ConditionEntry& entry) {
    const ReportCondition shown = reportCondition(entry);
    std::string text = shown.pin + ", " + shown.kind + ", \"" + shown.description + "\"";
    if (!entry.audioPath.empty()) text += ", Audio " + entry.audioPath;
    return text;
}

std::string entrySubject(const ConditionEntry& entry) {
    return "Kennung " + entry.code + " \"" + entry.description + "\"";
}

std::string codesInOrder(const std::vector<ConditionEntry>& entries) {
    std::string codes;
    for (const ConditionEntry& entry : entries) codes += (codes.empty() ? "" : ", ") + entry.code;
    return "Kennungen in dieser Reihenfolge: " + codes;
}

// Indexes of the entries of current not yet paired with one of kept.
class Pairing {
public:
    explicit Pairing(const std::vector<ConditionEntry>& current)
        : current_(current), taken_(current.size(), false) {}

    template <typename Matches>
    std::optional<std::size_t> take(Matches matches) {
        for (std::size_t i = 0; i < current_.size(); ++i)
            if (!taken_[i] && matches(current_[i])) {
                taken_[i] = true;
                return i;
            }
        return std::nullopt;
    }
    bool taken(std::size_t i) const { return taken_[i]; }

private:
    const std::vector<ConditionEntry>& current_;
    std::vector<bool> taken_;
};

std::string readCurrent(const std::string& path) {
    std::string bytes;
    const std::error_code ec = readRegularFile(path, bytes);
    if (ec && ec != std::errc::no_such_file_or_directory)
        throw std::runtime_error(path + ": " + fileErrorMessage(ec));
    return bytes;
}

std::string pathOfFile(const std::string& programDirectory, const HistoryState& state) {
    return state.fileName == kSettingsFile ? settingsFilePath(programDirectory)
                                           : conditionListPath(programDirectory);
}

std::string readState(const HistoryState& state) {
    std::string bytes;
    if (const std::error_code ec = readHistoryState(state, bytes))
        throw std::runtime_error("Der Stand " + state.path + " kann nicht gelesen werden (" +
                                 fileErrorMessage(ec) + ")");
    return bytes;
}

sys_seconds wholeSeconds(HistoryTime time) {
    return std::chrono::floor<std::chrono::seconds>(time);
}

}  // namespace

std::vector<HistoryDifference> compareSettings(std::string_view kept, std::string_view current,
                                               MixerNames& mixer) {
    const auto panelsOf = [&mixer](std::string_view bytes) {
        return summaryPanels(buildSummary(IniFile::fromContent(std::string(bytes)), mixer));
    };
    const std::vector<ReportPanel> before = panelsOf(kept);
    const std::vector<ReportPanel> after = panelsOf(current);
    std::vector<HistoryDifference> rows;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i].lines != after[i].lines)
            rows.push_back({before[i].title, joined(before[i].lines), joined(after[i].lines)});
    if (rows.empty() && kept != current) rows.push_back(otherBytesOnly(kSettingsFile));
    return rows;
}

std::vector<HistoryDifference> compareConditionLists(std::string_view kept,
                                                     std::string_view current) {
    const std::vector<ConditionEntry> before = decodeConditionList(kept);
    const std::vector<ConditionEntry> after = decodeConditionList(current);
    Pairing pairing(after);
    std::vector<std::size_t> unpaired;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (!pairing.take([&](const ConditionEntry& e) { return e == before[i]; }))
            unpaired.push_back(i);
    std::vector<HistoryDifference> rows;
    for (const std::size_t i : unpaired) {
        const ConditionEntry& old = before[i];
        const auto now = pairing.take([&](const ConditionEntry& e) { return e.code == old.code; });
        rows.push_back({entrySubject(now ? after[*now] : old), entryText(old),
                        now ? entryText(after[*now]) : ""});
    }
    for (std::size_t i = 0; i < after.size(); ++i)
        if (!pairing.taken(i)) rows.push_back({entrySubject(after[i]), "", entryText(after[i])});
    if (!rows.empty()) return rows;
    if (before != after) return {{"Reihenfolge", codesInOrder(before), codesInOrder(after)}};
    if (kept != current) return {otherBytesOnly(conditionListPath(""))};
    return {};
}

std::vector<HistoryDifference> differencesFromCurrent(const std::string& programDirectory,
                                                      const HistoryState& state,
                                                      MixerNames& mixer) {
    const std::string kept = readState(state);
    const std::string current = readCurrent(pathOfFile(programDirectory, state));
    return state.fileName == kSettingsFile ? compareSettings(kept, current, mixer)
                                           : compareConditionLists(kept, current);
}

HistoryRow historyRow(const HistoryState& state) {
    const sys_seconds at = wholeSeconds(state.replacedAt);
    return {formatGermanDateTime(at) + formatGermanClock(at).substr(5), state.fileName,
            state.user.empty() ? "unbekannt" : state.user,
            state.command.empty() ? "unbekannt" : state.command,
            state.changedOutside ? "außerhalb von Dravel geändert" : ""};
}

HistoryWarning restoreHistoryState(const std::string& programDirectory, const HistoryState& state) {
    const std::string bytes = readState(state);
    const std::string path = pathOfFile(programDirectory, state);
    const std::string command =
        "Wiederherstellen (Stand vom " + formatGermanDateTime(wholeSeconds(state.replacedAt)) + ")";
    SavedWithHistory saved = saveKeepingHistory(path, bytes, command);
    if (saved.error && state.fileName == kSettingsFile) throw WriteError(path);
    if (saved.error) throw ConditionListError(saved.error);
    return std::move(saved.warning);
}

}  // namespace dravel::config
