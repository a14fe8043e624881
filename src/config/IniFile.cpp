#include "config/IniFile.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <unordered_map>
#include <vector>

#include "config/AtomicFile.h"
#include "config/Cp1252.h"

namespace dravel::config {
namespace {

constexpr std::size_t kMaxValueLength = 2047;  // what the profile functions return at most
constexpr const char* kCrLf = "\r\n";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Names are compared in upper case Windows-1252, so ä finds Ä.
std::string foldName(std::string_view cp1252Name) {
    std::string folded(trim(cp1252Name));
    for (char& c : folded) c = static_cast<char>(cp1252Upper(static_cast<unsigned char>(c)));
    return folded;
}

std::string_view stripQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// A value is written on one line; a line break inside it would start a new key.
std::string oneLine(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return value;
}

std::optional<int> parseDecimal(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::optional<int> parseHex(std::string_view digits) {
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return static_cast<int>(value);  // 32-bit hex wraps like the platform's integer read
}

std::optional<int> parseInteger(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return parseHex(text.substr(2));
    return parseDecimal(text);
}

}  // namespace

WriteError::WriteError(const std::string& path)
    : std::runtime_error("In " + path + " kann nicht geschrieben werden") {}

// The file as a list of raw lines (Windows-1252 bytes) with their own line
// ends, and an index of the first section and first key of each name.
class IniFile::Document {
public:
    void parse(const std::string& bytes);
    std::string serialize() const;
    const std::string* find(std::string_view section, std::string_view key) const;
    void set(std::string_view section, std::string_view key, const std::string& value);

private:
    struct Line {
        std::string text;
        std::string eol;
    };
    struct Section {
        std::size_t header;  // line of "[name]"
        std::size_t end;     // one past its last line
        std::unordered_map<std::string, std::size_t> keys;
    };

    static std::optional<std::string_view> sectionName(std::string_view line);
    static std::optional<std::pair<std::string_view, std::string_view>> keyValue(
        std::string_view line);
    void reindex();
    void insertLine(std::size_t at, std::string text);

    std::vector<Line> lines_;
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> sectionIndex_;
    std::vector<std::string> values_;  // parsed value of each key line
};

std::optional<std::string_view> IniFile::Document::sectionName(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    const auto close = line.find(']');
    return line.substr(0, close);
}

std::optional<std::pair<std::string_view, std::string_view>> IniFile::Document::keyValue(
    std::string_view line) {
    const std::string_view trimmed = trim(line);
    if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::make_pair(line.substr(0, eq), line.substr(eq + 1));
}

void IniFile::Document::parse(const std::string& bytes) {
    lines_.clear();
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto nl = bytes.find('\n', pos);
        if (nl == std::string::npos) {
            lines_.push_back({bytes.substr(pos), ""});
            break;
        }
        const bool crlf = nl > pos && bytes[nl - 1] == '\r';
        const std::size_t textEnd = crlf ? nl - 1 : nl;
        lines_.push_back({bytes.substr(pos, textEnd - pos), crlf ? "\r\n" : "\n"});
        pos = nl + 1;
    }
    reindex();
}

void IniFile::Document::reindex() {
    sections_.clear();
    sectionIndex_.clear();
    values_.assign(lines_.size(), std::string());
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (const auto name = sectionName(lines_[i].text)) {
            if (!sections_.empty()) sections_.back().end = i;
            sections_.push_back({i, lines_.size(), {}});
            sectionIndex_.emplace(foldName(*name), sections_.size() - 1);
        } else if (const auto kv = keyValue(lines_[i].text); kv && !sections_.empty()) {
            sections_.back().keys.emplace(foldName(kv->first), i);
            values_[i] = std::string(stripQuotes(trim(kv->second)));
        }
    }
}

std::string IniFile::Document::serialize() const {
    std::string out;
    for (const auto& line : lines_) out += line.text + line.eol;
    return out;
}

const std::string* IniFile::Document::find(std::string_view section, std::string_view key) const {
    const auto s = sectionIndex_.find(foldName(section));
    if (s == sectionIndex_.end()) return nullptr;
    const auto& keys = sections_[s->second].keys;
    const auto k = keys.find(foldName(key));
    return k == keys.end() ? nullptr : &values_[k->second];
}

void IniFile::Document::insertLine(std::size_t at, std::string text) {
    if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = kCrLf;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), kCrLf});
}

void IniFile::Document::set(std::string_view section, std::string_view key,
                            const std::string& value) {
    const std::string keyLine = std::string(trim(key)) + "=" + value;
    const auto s = sectionIndex_.find(foldName(section));
    if (s == sectionIndex_.end()) {
        insertLine(lines_.size(), "[" + std::string(trim(section)) + "]");
        insertLine(lines_.size(), keyLine);
    } else {
        const Section& sec = sections_[s->second];
        const auto k = sec.keys.find(foldName(key));
        if (k != sec.keys.end()) {
            lines_[k->second] = {keyLine, kCrLf};
        } else {
            // New keys go after the section's last key, before trailing foreign lines.
            std::size_t at = sec.header + 1;
            for (const auto& entry : sec.keys) at = std::max(at, entry.second + 1);
            insertLine(at, keyLine);
        }
    }
    reindex();
}

IniFile::IniFile(std::string path) : path_(std::move(path)), doc_(std::make_unique<Document>()) {
    std::ifstream in(pathFromUtf8(path_), std::ios::binary);
    if (in) doc_->parse(std::string(std::istreambuf_iterator<char>(in), {}));
}

IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const std::string* value = doc_->find(utf8ToCp1252(section), utf8ToCp1252(key));
    if (!value) return std::string(defaultValue);
    return cp1252ToUtf8(std::string_view(*value).substr(0, kMaxValueLength));
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const std::string text = readString(section, key, "");
    return parseInteger(text).value_or(defaultValue);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    doc_->set(utf8ToCp1252(section), utf8ToCp1252(key), oneLine(utf8ToCp1252(value)));
    dirty_ = true;
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

bool IniFile::hasPendingWrites() const {
    return dirty_;
}

void IniFile::commit() {
    if (!dirty_) return;
    if (!isWritableFileOrMissing(path_) || !isWritableDirectoryOf(path_) ||
        replaceFileContents(path_, doc_->serialize()))
        throw WriteError(path_);
    dirty_ = false;
}

std::string settingsFilePath(const std::string& programDirectory) {
    return programDirectory + "Prog.ini";
}

}  // namespace dravel::config
