#include "config/extras/ConditionCsv.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <utility>

#include "config/conditions/AlarmCode.h"
#include "config/extras/ConditionCheck.h"
#include "config/storage/AtomicFile.h"
#include "config/storage/Cp1252.h"

namespace dravel::config {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kColumns = 5;

bool needsQuotes(std::string_view field) {
    return field.find_first_of(";\"\r\n") != std::string_view::npos ||
           (!field.empty() && (field.front() == ' ' || field.back() == ' '));
}

void appendField(std::string& out, std::string_view field) {
    if (!needsQuotes(field)) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2, cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3, cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4, cp = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

struct CsvRow {
    std::size_t line = 0;
    std::vector<std::string> fields;
    bool unterminated = false;
};

// Splits RFC 4180 text with ";" into rows; a line break inside quotes
// belongs to the field. CRLF, LF and a lone CR all end a row.
class CsvReader {
public:
    explicit CsvReader(std::string_view text) : text_(text) {}

    bool next(CsvRow& row) {
        if (pos_ >= text_.size()) return false;
        row = {line_, {}, false};
        std::string field;
        bool atFieldStart = true;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (atFieldStart && c == '"') {
                ++pos_;
                if (!readQuoted(field)) {
                    row.unterminated = true;
                    break;
                }
                atFieldStart = false;
            } else if (c == ';') {
                ++pos_;
                row.fields.push_back(std::move(field));
                field.clear();
                atFieldStart = true;
            } else if (c == '\r' || c == '\n') {
                skipLineEnd();
                break;
            } else {
                field += c;
                ++pos_;
                atFieldStart = false;
            }
        }
        row.fields.push_back(std::move(field));
        return true;
    }

private:
    // After the opening quote; false when the text ends inside the quotes.
    bool readQuoted(std::string& field) {
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') {
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    field += '"';
                    ++pos_;
                    continue;
                }
                return true;
            }
            if (c == '\n' || (c == '\r' && (pos_ >= text_.size() || text_[pos_] != '\n'))) ++line_;
            field += c;
        }
        pos_ = text_.size();
        return false;
    }

    void skipLineEnd() {
        if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
        ++line_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The digit of a pin or kind given as digit or as the editor's caption.
template <std::size_t N>
std::optional<std::string> indexField(std::string_view field,
                                      const std::array<std::string_view, N>& captions) {
    const std::string_view text = trimmed(field);
    for (std::size_t i = 0; i < N; ++i) {
        if (text == std::to_string(i) ||
            cp1252EqualsNoCase(utf8ToCp1252(text), utf8ToCp1252(captions[i])))
            return std::to_string(i);
    }
    return std::nullopt;
}

bool isHeader(const CsvRow& row) {
    std::string joined;
    for (std::size_t i = 0; i < row.fields.size(); ++i)
        joined += (i ? ";" : "") + std::string(trimmed(row.fields[i]));
    return cp1252EqualsNoCase(joined, kCsvHeader);
}

bool isBlank(const CsvRow& row) {
    return row.fields.size() == 1 && trimmed(row.fields[0]).empty();
}

class RowCheck {
public:
    explicit RowCheck(const CsvRow& row) : row_(row) {}

    // The entry, or none with the reasons left in reasons().
    std::optional<ConditionEntry> entry() {
        if (row_.unterminated) return refuse("Anführungszeichen wird nicht geschlossen");
        if (row_.fields.size() != kColumns)
            return refuse(std::to_string(kColumns) + " Spalten erwartet, " +
                          std::to_string(row_.fields.size()) + " gefunden");
        const auto& f = row_.fields;
        static constexpr std::array<std::string_view, kColumns> names = {
            "Pin", "Art", "Code", "Beschreibung", "Audiodatei"};
        for (std::size_t i = 0; i < kColumns; ++i) checkText(names[i], f[i]);
        const auto pin = indexField(f[0], kPinCaptions);
        const auto kind = indexField(f[1], kConditionKindItems);
        if (!pin) reason("Pin " + inQuotes(f[0]) + " ist weder 0, 1, 2 noch ein Pin der Liste");
        if (!kind) reason("Art " + inQuotes(f[1]) + " ist weder 0, 1, 2 noch eine Art der Liste");
        if (kind)
            if (auto problem = alarmCodeProblem(*conditionKind(std::stoi(*kind)), f[2]))
                reason(*std::move(problem));
        if (f[3].empty()) reason("Beschreibung fehlt");
        if (!reasons_.empty()) return std::nullopt;
        return ConditionEntry{*pin, *kind, f[3], f[2], f[4]};
    }

    std::string reasons() const { return reasons_; }

private:
    // A field of a damaged file can be long; the reason shows its start.
    static std::string inQuotes(std::string_view text) {
        constexpr std::size_t kShown = 20;
        const bool cut = utf8Length(text) > kShown;
        return "\"" + (cut ? utf8Left(text, kShown) + "…" : std::string(text)) + "\"";
    }

    void checkText(std::string_view name, const std::string& text) {
        if (utf8Length(text) > kConditionTextLimit)
            reason(std::string(name) + " ist länger als 255 Zeichen");
        if (std::any_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
            reason(std::string(name) + " enthält Steuerzeichen");
        else if (cp1252ToUtf8(utf8ToCp1252(text)) != text)
            reason(std::string(name) +
                   " enthält Zeichen, die Alarmierung.dat nicht speichern kann");
    }

    std::nullopt_t refuse(std::string text) {
        reason(std::move(text));
        return std::nullopt;
    }
    void reason(std::string text) { reasons_ += (reasons_.empty() ? "" : "; ") + text; }

    const CsvRow& row_;
    std::string reasons_;
};

}  // namespace

std::string exportConditionCsv(const std::vector<ConditionEntry>& entries) {
    std::string out(kBom);
    out.reserve(entries.size() * 64);
    out += kCsvHeader;
    out += kLineEnd;
    for (const ConditionEntry& e : entries) {
        for (const std::string* field : {&e.pin, &e.kind, &e.code, &e.description, &e.audioPath}) {
            if (field != &e.pin) out += ';';
            appendField(out, *field);
        }
        out += kLineEnd;
    }
    return out;
}

CsvImport importConditionCsv(std::string_view bytes) {
    CsvImport result;
    std::string text;
    if (bytes.starts_with(kBom)) {
        bytes.remove_prefix(kBom.size());
        text = isValidUtf8(bytes) ? std::string(bytes) : cp1252ToUtf8(bytes);
    } else if (isValidUtf8(bytes)) {
        text = std::string(bytes);
    } else {
        result.encoding = CsvEncoding::Windows1252;
        text = cp1252ToUtf8(bytes);
    }
    CsvReader reader(text);
    CsvRow row;
    bool first = true;
    while (reader.next(row)) {
        if (std::exchange(first, false)) {
            if (row.unterminated || !isHeader(row))
                result.refused.push_back({1, "Kopfzeile " + std::string(kCsvHeader) + " fehlt"});
            continue;
        }
        if (isBlank(row)) continue;
        RowCheck check(row);
        if (auto entry = check.entry())
            result.entries.push_back(*std::move(entry));
        else
            result.refused.push_back({row.line, check.reasons()});
    }
    return result;
}

void writeConditionCsvFile(const std::string& path, const std::vector<ConditionEntry>& entries) {
    if (const std::error_code ec = replaceFileContents(path, exportConditionCsv(entries)))
        throw ConditionListError(ec);
}

// Read through the file layer, so a FIFO or device picked in the file dialog
// is refused instead of hanging or filling the memory.
std::string readCsvFile(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(pathFromUtf8(path), ec);
    if (!ec && size > kMaxCsvBytes)
        throw std::runtime_error("Die Datei ist mit " + std::to_string(size / (1u << 20)) +
                                 " MB zu groß für eine Bedingungsliste");
    std::string bytes;
    if ((ec = readRegularFile(path, bytes))) {
        // The user picked it; "access denied" would send them after permissions.
        if (ec == notARegularFile()) throw std::runtime_error("Die Datei ist keine reguläre Datei");
        throw ConditionListError(ec);
    }
    return bytes;
}

}  // namespace dravel::config
