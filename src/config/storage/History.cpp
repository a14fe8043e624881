#include "config/storage/History.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <tuple>
#include <utility>

#include "config/storage/AtomicFile.h"
#include "config/storage/FileError.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace dravel::config {
namespace {

// The files whose history the window lists.
constexpr std::array<std::string_view, 2> kKeptFiles = {"Prog.ini", "Alarmierung.dat"};
// "2026-12-08_04-31-07.123_": the time of the replacement in UTC, so that
// names sort by time also across the autumn clock change.
constexpr std::string_view kTimePattern = "dddd-dd-dd_dd-dd-dd.ddd_";
constexpr std::string_view kDescriptionSuffix = ".txt";

std::mutex seamMutex;
HistoryClock clockStandIn;
std::string userStandIn;

std::chrono::system_clock::time_point now() {
    HistoryClock clock;
    {
        const std::lock_guard lock(seamMutex);
        clock = clockStandIn;
    }
    return clock ? clock() : std::chrono::system_clock::now();
}

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path directoryOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// FNV-1a: tells contents apart, nothing more is asked of it.
std::string fingerprint(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string stateName(HistoryTime time, std::string_view fileName) {
    const auto day = std::chrono::floor<std::chrono::days>(time);
    const std::chrono::year_month_day date(day);
    const std::chrono::hh_mm_ss clock(time - day);
    char text[32];
    std::snprintf(
        text, sizeof text, "%04d-%02u-%02u_%02d-%02d-%02d.%03d_", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
        static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
    return text + std::string(fileName);
}

int digitsAt(std::string_view name, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) value = value * 10 + (name[i] - '0');
    return value;
}

std::optional<HistoryTime> stateTime(std::string_view name, std::string_view fileName) {
    if (name.size() != kTimePattern.size() + fileName.size() ||
        name.substr(kTimePattern.size()) != fileName)
        return std::nullopt;
    for (std::size_t i = 0; i < kTimePattern.size(); ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (kTimePattern[i] == 'd' ? !digit : name[i] != kTimePattern[i]) return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day date{year(digitsAt(name, 0, 4)),
                              month(static_cast<unsigned>(digitsAt(name, 5, 2))),
                              day(static_cast<unsigned>(digitsAt(name, 8, 2)))};
    if (!date.ok()) return std::nullopt;
    return sys_days(date) + hours(digitsAt(name, 11, 2)) + minutes(digitsAt(name, 14, 2)) +
           seconds(digitsAt(name, 17, 2)) + milliseconds(digitsAt(name, 20, 3));
}

fs::path descriptionOf(const fs::path& copy) {
    fs::path description = copy;
    description += kDescriptionSuffix;
    return description;
}

struct KeptCopy {
    HistoryTime time;
    fs::path path;
};

// Oldest first.
std::vector<KeptCopy> copiesOf(const fs::path& folder, std::string_view fileName) {
    std::vector<KeptCopy> copies;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (const auto time = stateTime(utf8Of(it->path().filename()), fileName))
            copies.push_back({*time, it->path()});
    std::sort(copies.begin(), copies.end(),
              [](const KeptCopy& a, const KeptCopy& b) { return a.time < b.time; });
    return copies;
}

std::map<std::string, std::string> readDescription(const fs::path& copy) {
    std::map<std::string, std::string> values;
    std::string text;
    if (readRegularFile(utf8Of(descriptionOf(copy)), text)) return values;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (const std::size_t eq = line.find('='); eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
        at = end + 1;
    }
    return values;
}

std::string oneLine(std::string_view text) {
    std::string line(text);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

std::string describe(std::string_view fileName, std::string_view command, std::string_view written,
                     bool changedOutside) {
    return "Datei=" + std::string(fileName) + "\r\nBenutzer=" + oneLine(currentUserName()) +
           "\r\nBefehl=" + oneLine(command) + "\r\nGeschrieben=" + fingerprint(written) +
           "\r\nAusserhalb=" + (changedOutside ? "ja" : "nein") + "\r\n";
}

// Whether the content about to be replaced is other than what the previous
// save wrote. A save killed after keeping its state and before replacing
// the file left the state's own content in the file: that is no outside
// change.
bool changedOutsideSince(const fs::path& previous, std::string_view replaced) {
    const auto description = readDescription(previous);
    const auto written = description.find("Geschrieben");
    if (written == description.end()) return false;
    const std::string current = fingerprint(replaced);
    if (current == written->second) return false;
    std::string kept;
    if (readRegularFile(utf8Of(previous), kept)) return false;
    return fingerprint(kept) != current;
}

void removeState(const fs::path& copy) {
    std::error_code ec;
    fs::remove(descriptionOf(copy), ec);  // first: a copy without it is still a state
    fs::remove(copy, ec);
}

// Temporary files of saves of the history killed before they were done; a
// state whose copy was not yet in place is simply not kept.
void removeAbandonedCopies(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = utf8Of(it->path().filename());
        for (const std::string_view mark : {".tmp", ".new"}) {
            const std::size_t at = name.rfind(mark);
            if (at == std::string::npos || at == 0) continue;
            if (atomic_file::isLeftoverName(name, std::string_view(name).substr(0, at))) {
                atomic_file::removeIfAbandoned(it->path());
                break;
            }
        }
    }
}

// Keeps the newest kKeptStates, and every state younger than kKeptAge.
void removeStatesNoLongerKept(const std::vector<KeptCopy>& copies, HistoryTime at) {
    if (copies.size() <= kKeptStates) return;
    const HistoryTime oldestKept = at - kKeptAge;
    for (std::size_t i = 0; i < copies.size() - kKeptStates; ++i)
        if (copies[i].time < oldestKept) removeState(copies[i].path);
}

struct KeepResult {
    std::error_code error;
    fs::path copy;
};

KeepResult keepState(const fs::path& target, std::string_view replaced, std::string_view written,
                     std::string_view command) {
    const fs::path folder = directoryOf(target) / kHistoryFolderName;
    std::error_code ec;
    fs::create_directory(folder, ec);
    if (!fs::is_directory(folder, ec))
        return {std::make_error_code(std::errc::not_a_directory), {}};
    removeAbandonedCopies(folder);
    const std::string fileName = utf8Of(target.filename());
    std::vector<KeptCopy> copies = copiesOf(folder, fileName);
    const HistoryTime at = std::chrono::floor<std::chrono::milliseconds>(now());
    // Names stay unique and in order even when the clock went back.
    const HistoryTime time = copies.empty() ? at : std::max(at, copies.back().time + 1ms);
    const bool outside = !copies.empty() && changedOutsideSince(copies.back().path, replaced);
    const fs::path copy = folder / pathFromUtf8(stateName(time, fileName));
    if (auto failed = replaceFileContents(utf8Of(copy), replaced)) return {failed, {}};
    const std::string description = describe(fileName, command, written, outside);
    if (auto failed = replaceFileContents(utf8Of(descriptionOf(copy)), description)) {
        removeState(copy);
        return {failed, {}};
    }
    copies.push_back({time, copy});
    removeStatesNoLongerKept(copies, at);
    return {{}, copy};
}

std::string historyWarning(const fs::path& target, std::error_code cause) {
    const std::string reason = cause == std::errc::not_a_directory
                                   ? "\"" + std::string(kHistoryFolderName) + "\" ist kein Ordner"
                                   : fileErrorMessage(cause);
    return "Die Änderung wurde gespeichert, aber der bisherige Stand von " +
           utf8Of(target.filename()) + " konnte nicht im Ordner \"" +
           std::string(kHistoryFolderName) + "\" aufbewahrt werden (" + reason + ").";
}

}  // namespace

SavedWithHistory saveKeepingHistory(const std::string& path, std::string_view bytes,
                                    std::string_view command) {
    const fs::path target = pathFromUtf8(path);
    SavedWithHistory result;
    std::string replaced;
    KeepResult kept;
    const std::error_code read = readRegularFile(path, replaced);
    if (!read)
        kept = keepState(target, replaced, bytes, command);
    else if (read != std::errc::no_such_file_or_directory)
        kept.error = read;
    if (kept.error) result.warning = historyWarning(target, kept.error);
    result.error = replaceFileContents(path, bytes);
    if (!result.error) return result;
    // A state whose save failed is still the file's content: not a state.
    // The folder goes too when this save made it and it holds nothing.
    if (!kept.copy.empty()) removeState(kept.copy);
    std::error_code ignored;
    fs::remove(directoryOf(target) / kHistoryFolderName, ignored);
    result.warning.reset();
    return result;
}

std::string historyFolderPath(const std::string& programDirectory) {
    return utf8Of(pathFromUtf8(programDirectory) / kHistoryFolderName);
}

std::vector<HistoryState> listHistory(const std::string& programDirectory) {
    const fs::path folder = pathFromUtf8(historyFolderPath(programDirectory));
    std::vector<HistoryState> states;
    for (const std::string_view fileName : kKeptFiles) {
        for (const KeptCopy& copy : copiesOf(folder, fileName)) {
            auto description = readDescription(copy.path);
            states.push_back({utf8Of(copy.path), std::string(fileName), copy.time,
                              description["Benutzer"], description["Befehl"],
                              description["Ausserhalb"] == "ja"});
        }
    }
    std::sort(states.begin(), states.end(), [](const HistoryState& a, const HistoryState& b) {
        return std::tie(a.replacedAt, a.fileName) > std::tie(b.replacedAt, b.fileName);
    });
    return states;
}

std::error_code readHistoryState(const HistoryState& state, std::string& bytes) {
    return readRegularFile(state.path, bytes);
}

std::string currentUserName() {
    {
        const std::lock_guard lock(seamMutex);
        if (!userStandIn.empty()) return userStandIn;
    }
    std::string name = history::systemUserName();
    return name.empty() ? "unbekannt" : name;
}

HistoryClock replaceHistoryClock(HistoryClock clock) {
    const std::lock_guard lock(seamMutex);
    return std::exchange(clockStandIn, std::move(clock));
}

std::string replaceUserName(std::string name) {
    const std::lock_guard lock(seamMutex);
    return std::exchange(userStandIn, std::move(name));
}

}  // namespace dravel::config
