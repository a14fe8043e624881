#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "config/storage/FileError.h"
#include "config/storage/FileFingerprint.h"
#include "config/storage/History.h"

// Alarmierung.dat, the condition list the alarm program reads: a plain run
// of 1280-byte records, each five 256-byte fields of one length byte and up
// to 255 Windows-1252 characters. No header; the entry count is the file
// size divided by the record size, and bytes after the last whole record
// are ignored.
namespace dravel::config {

inline constexpr std::size_t kConditionFieldSize = 256;
inline constexpr std::size_t kConditionFieldCount = 5;
inline constexpr std::size_t kConditionRecordSize = kConditionFieldSize * kConditionFieldCount;
// Longer texts are cut to this many characters when written.
inline constexpr std::size_t kConditionTextLimit = kConditionFieldSize - 1;

// One entry as the texts of its record's fields (UTF-8), in record order.
// pin and kind hold the index in decimal ("0" to "2" when this program
// wrote them); whatever a file edited elsewhere holds there is kept as it
// was, so opening and saving a list never alters an entry.
struct ConditionEntry {
    std::string pin;
    std::string kind;
    std::string description;
    std::string code;
    std::string audioPath;

    bool operator==(const ConditionEntry&) const = default;
};

// Entries read before a failure are kept.
// The list read so far and, when reading stopped early, the message of the
// failure; what the file held, to tell before a save whether it changed since.
struct ConditionListReadResult {
    std::vector<ConditionEntry> entries;
    std::optional<std::string> error;
    FileFingerprint read;
};

// A failure to write the list. The message is the system's text for the
// failure: "Dateizugriff verweigert", "Zu wenig Speicherplatz", ...
class ConditionListError : public std::runtime_error {
public:
    explicit ConditionListError(std::error_code cause);
    std::error_code cause() const { return cause_; }

private:
    std::error_code cause_;
};

// programDirectory + "Alarmierung.dat"; the directory ends in a separator.
std::string conditionListPath(const std::string& programDirectory);

// What is said when a list that could not be read whole would be saved over,
// which never happens: what was read is not all the file holds. The cause is
// the read's failure message; the caller adds what is not saved.
std::string listNotReadWholeMessage(const std::string& programDirectory, const std::string& cause);

// Reads the list of the program directory in file order. A missing file is
// an empty list without error. Only a regular file is read (see
// readRegularFile); the file is opened for reading only.
ConditionListReadResult readConditionList(const std::string& programDirectory);

// The entries of a whole file's bytes; bytes after the last whole record
// are ignored.
std::vector<ConditionEntry> decodeConditionList(std::string_view bytes);
// The file's bytes for the entries, as writeConditionList writes them.
std::string encodeConditionList(const std::vector<ConditionEntry>& entries);

// Rewrites the whole list of the program directory in the given order,
// keeping the list it replaces in the history under the command's name.
// The new file replaces the old one only when complete, so any failure
// (throws ConditionListError) leaves the previous list whole. A read-only
// file or directory is refused with "Dateizugriff verweigert". Returns the
// note to show when the earlier list could not be kept.
HistoryWarning writeConditionList(const std::string& programDirectory,
                                  const std::vector<ConditionEntry>& entries,
                                  std::string_view command);

// True when the list's file no longer holds what was read (see FileFingerprint).
bool conditionListChangedSince(const std::string& programDirectory, const FileFingerprint& read);

// The question asked before a list is saved over a file that changed since
// it was read.
std::string conditionListChangedQuestion(const std::string& programDirectory);

// The index that a pin or kind field names: 0, 1 or 2; none for any other
// text (a file edited elsewhere).
std::optional<int> conditionFieldIndex(std::string_view field);

// File-name part of an audio path: the text after the last separator.
std::string audioFileName(std::string_view audioPath);

}  // namespace dravel::config
