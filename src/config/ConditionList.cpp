#include "config/ConditionList.h"

#include "config/FileNamePart.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>

#include "config/AtomicFile.h"
#include "config/Cp1252.h"

namespace fs = std::filesystem;

namespace dravel::config {
namespace {

constexpr std::string_view kFileName = "Alarmierung.dat";

using Record = std::array<char, kConditionRecordSize>;

// The failure the last library call left in errno, or the fallback when
// it left none.
std::error_code lastError(std::errc fallback) {
    return errno != 0 ? std::error_code(errno, std::generic_category())
                      : std::make_error_code(fallback);
}

std::string decodeField(const char* field) {
    const auto length = static_cast<unsigned char>(field[0]);
    return cp1252ToUtf8(std::string_view(field + 1, length));
}

ConditionEntry decodeRecord(const Record& record) {
    const auto field = [&record](std::size_t i) {
        return decodeField(record.data() + i * kConditionFieldSize);
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

std::string encodeList(const std::vector<ConditionEntry>& entries) {
    std::string bytes;
    bytes.reserve(entries.size() * kConditionRecordSize);
    for (const ConditionEntry& entry : entries) appendRecord(bytes, entry);
    return bytes;
}

ConditionListReadResult failedRead(std::error_code cause) {
    return {{}, fileErrorMessage(cause)};
}

}  // namespace

ConditionListError::ConditionListError(std::error_code cause)
    : std::runtime_error(fileErrorMessage(cause)), cause_(cause) {}

std::string fileErrorMessage(std::error_code cause) {
    if (cause == std::errc::permission_denied || cause == std::errc::operation_not_permitted ||
        cause == std::errc::read_only_file_system || cause == std::errc::is_a_directory)
        return "Dateizugriff verweigert";
    if (cause == std::errc::no_space_on_device || cause == std::errc::file_too_large)
        return "Zu wenig Speicherplatz";
    if (cause == std::errc::no_such_file_or_directory) return "Datei nicht gefunden";
    if (cause == std::errc::too_many_files_open) return "Zu viele geöffnete Dateien";
    return "E/A-Fehler " + std::to_string(cause.value());
}

std::string conditionListPath(const std::string& programDirectory) {
    return programDirectory + std::string(kFileName);
}

ConditionListReadResult readConditionList(const std::string& programDirectory) {
    const fs::path path(conditionListPath(programDirectory));
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return {};
    if (ec) return failedRead(ec);
    if (status.type() == fs::file_type::directory)
        return failedRead(std::make_error_code(std::errc::is_a_directory));
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) return failedRead(ec);
    errno = 0;
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in) return failedRead(lastError(std::errc::permission_denied));
    return readConditionRecords(in, size / kConditionRecordSize);
}

ConditionListReadResult readConditionRecords(std::istream& in, std::uint64_t recordCount) {
    ConditionListReadResult result;
    Record record;
    for (std::uint64_t i = 0; i < recordCount; ++i) {
        errno = 0;
        in.read(record.data(), static_cast<std::streamsize>(record.size()));
        if (in.gcount() != static_cast<std::streamsize>(record.size())) {
            result.error = in.bad() ? fileErrorMessage(lastError(std::errc::io_error))
                                    : std::string(kReadPastEndMessage);
            break;
        }
        result.entries.push_back(decodeRecord(record));
    }
    return result;
}

void writeConditionList(const std::string& programDirectory,
                        const std::vector<ConditionEntry>& entries) {
    const std::string path = conditionListPath(programDirectory);
    if (!isWritableFileOrMissing(path) || !isWritableDirectoryOf(path))
        throw ConditionListError(std::make_error_code(std::errc::permission_denied));
    if (const std::error_code ec = replaceFileContents(path, encodeList(entries)))
        throw ConditionListError(ec);
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
