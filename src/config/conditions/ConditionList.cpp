#include "config/conditions/ConditionList.h"

#include "config/storage/FileNamePart.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "config/storage/AtomicFile.h"
#include "config/storage/Cp1252.h"
#include "config/storage/History.h"

namespace dravel::config {
namespace {

constexpr std::string_view kFileName = "Alarmierung.dat";

std::string decodeField(const char* field) {
    const auto length = static_cast<unsigned char>(field[0]);
    return cp1252ToUtf8(std::string_view(field + 1, length));
}

ConditionEntry decodeRecord(const char* record) {
    const auto field = [record](std::size_t i) {
        return decodeField(record + i * kConditionFieldSize);
    };
    return {field(0), field(1), field(2), field(3), field(4)};
}

// Windows-1252 gives every character one byte, so cutting the converted
// text to 255 bytes keeps its first 255 characters.
void encodeField(char* field, std::string_view utf8) {
    const std::string bytes = utf8ToCp1252(utf8);
    const std::size_t length = std::min(bytes.size(), kConditionTextLimit);
    field[0] = static_cast<char>(length);
    std::memcpy(field + 1, bytes.data(), length);
}

void appendRecord(std::string& out, const ConditionEntry& entry) {
    const std::size_t start = out.size();
    out.resize(start + kConditionRecordSize, '\0');
    char* record = out.data() + start;
    const std::array<const std::string*, kConditionFieldCount> fields = {
        &entry.pin, &entry.kind, &entry.description, &entry.code, &entry.audioPath};
    for (std::size_t i = 0; i < fields.size(); ++i)
        encodeField(record + i * kConditionFieldSize, *fields[i]);
}

}  // namespace

std::string encodeConditionList(const std::vector<ConditionEntry>& entries) {
    std::string bytes;
    bytes.reserve(entries.size() * kConditionRecordSize);
    for (const ConditionEntry& entry : entries) appendRecord(bytes, entry);
    return bytes;
}

ConditionListError::ConditionListError(std::error_code cause)
    : std::runtime_error(fileErrorMessage(cause)), cause_(cause) {}

std::string conditionListPath(const std::string& programDirectory) {
    return programDirectory + std::string(kFileName);
}

std::string listNotReadWholeMessage(const std::string& programDirectory, const std::string& cause) {
    return "Aus " + conditionListPath(programDirectory) + " konnte nicht alles gelesen werden (" +
           cause + "). Die Datei bleibt, wie sie ist";
}

std::vector<ConditionEntry> decodeConditionList(std::string_view bytes) {
    std::vector<ConditionEntry> entries;
    entries.reserve(bytes.size() / kConditionRecordSize);
    for (std::size_t at = 0; at + kConditionRecordSize <= bytes.size(); at += kConditionRecordSize)
        entries.push_back(decodeRecord(bytes.data() + at));
    return entries;
}

ConditionListReadResult readConditionList(const std::string& programDirectory) {
    std::string bytes;
    const std::error_code ec = readRegularFile(conditionListPath(programDirectory), bytes);
    if (ec == std::errc::no_such_file_or_directory) return {};
    // A read that fails part way keeps the whole records before the failure.
    ConditionListReadResult result;
    result.read = fingerprintOf(bytes);
    result.entries = decodeConditionList(bytes);
    if (ec) result.error = fileErrorMessage(ec);
    return result;
}

HistoryWarning writeConditionList(const std::string& programDirectory,
                                  const std::vector<ConditionEntry>& entries,
                                  std::string_view command) {
    SavedWithHistory saved = saveKeepingHistory(conditionListPath(programDirectory),
                                                encodeConditionList(entries), command);
    if (saved.error) throw ConditionListError(saved.error);
    return std::move(saved.warning);
}

bool conditionListChangedSince(const std::string& programDirectory, const FileFingerprint& read) {
    return currentFingerprint(conditionListPath(programDirectory)) != read;
}

std::string conditionListChangedQuestion(const std::string& programDirectory) {
    return conditionListPath(programDirectory) +
           " wurde geändert, seit die Liste gelesen wurde (von einem anderen Programm oder einem "
           "zweiten Dravel).\n\rMit dieser Liste überschreiben? Die andere Änderung geht dabei "
           "verloren.";
}

std::optional<int> conditionFieldIndex(std::string_view field) {
    if (field.empty() ||
        !std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const std::size_t firstNonZero = field.find_first_not_of('0');
    if (firstNonZero == std::string_view::npos) return 0;
    const std::string_view digits = field.substr(firstNonZero);
    if (digits.size() != 1 || digits[0] > '2') return std::nullopt;
    return digits[0] - '0';
}

std::string audioFileName(std::string_view audioPath) {
    return std::string(fileNamePart(audioPath, kPathSeparators));
}

}  // namespace dravel::config
