#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/conditions/ConditionList.h"

// The condition list as a spreadsheet file: one header line, then one line
// per entry with the five record fields, ";" separated and quoted as
// RFC 4180 does (CRLF line ends). Pin and kind are the record's digits, so
// an export read back in gives the same records byte for byte.
namespace dravel::config {

inline constexpr std::string_view kCsvHeader = "Pin;Art;Code;Beschreibung;Audiodatei";

// UTF-8 with a byte order mark, which spreadsheet programs need to read
// the umlauts right.
std::string exportConditionCsv(const std::vector<ConditionEntry>& entries);

// A line of the file that is not taken, with every reason.
struct CsvRefusal {
    std::size_t line = 0;  // where the row starts, counted from 1
    std::string reason;

    bool operator==(const CsvRefusal&) const = default;
};

enum class CsvEncoding { Utf8, Windows1252 };

struct CsvImport {
    CsvEncoding encoding = CsvEncoding::Utf8;
    std::vector<ConditionEntry> entries;  // the rows that passed, in file order
    std::vector<CsvRefusal> refused;
};

// Reads UTF-8 (with or without byte order mark) or, when the bytes are no
// valid UTF-8, Windows-1252. Every row is checked as the editor would
// check it: pin and kind (digits or the editor's captions), the code for its
// kind, a description, at most 255 characters per field, no control
// characters, nothing Alarmierung.dat cannot store.
CsvImport importConditionCsv(std::string_view bytes);

// Files larger than this are refused before they are read.
inline constexpr std::size_t kMaxCsvBytes = 64u << 20;

// Writes the export as one replacement of the file; throws ConditionListError.
void writeConditionCsvFile(const std::string& path, const std::vector<ConditionEntry>& entries);

// Reads a file for importing; throws ConditionListError when it cannot be
// read and std::runtime_error when it is too large.
std::string readCsvFile(const std::string& path);

}  // namespace dravel::config
