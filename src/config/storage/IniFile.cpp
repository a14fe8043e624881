#include "config/storage/IniFile.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstdint>
#include <deque>
#include <optional>
#include <unordered_map>
#include <vector>

#include "config/storage/AtomicFile.h"
#include "config/storage/Cp1252.h"

namespace dravel::config {
namespace {

constexpr std::size_t kMaxValueLength = 2047;  // what the profile functions return at most
constexpr const char* kCrLf = "\r\n";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}
bool isLineEnd(char c) {
    return c == '\n' || c == '\r';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
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
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;  // one sign at most
    }
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

// "[name]" opens a section; "[a" without its bracket opens nothing and is a
// plain line of the section before.
std::optional<std::string_view> sectionNameOf(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return line.substr(1, close - 1);
}

std::optional<std::pair<std::string_view, std::string_view>> keyValueOf(std::string_view line) {
    const std::string_view trimmed = trim(line);
    if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::make_pair(line.substr(0, eq), line.substr(eq + 1));
}

// A name the writer puts on a line of its own must read back as that name:
// no line break, nothing that turns the line into a header or a comment.
bool isWritableName(std::string_view name, char forbidden) {
    if (name.find_first_of("\r\n") != std::string_view::npos) return false;
    const std::string_view trimmed = trim(name);
    if (!trimmed.empty() && (trimmed.front() == '[' || trimmed.front() == ';')) return false;
    return trimmed.find(forbidden) == std::string_view::npos;
}

// Names are constants of the program, so a bad one is a programming error.
void requireWritableName(const std::string& path, std::string_view name, char forbidden) {
    const bool writable = isWritableName(name, forbidden);
    assert(writable && "a section or key name that cannot be written");
    if (!writable) throw NameError(path, name);
}

// Files written elsewhere may end their lines in CR LF, LF or a bare CR.
void endLastLine(std::string& out) {
    if (!out.empty() && !isLineEnd(out.back())) out += kCrLf;
}

// Names match without regard to case (in Windows-1252, so ä finds Ä); the
// maps hold views of the trimmed names, most of them into the file's bytes,
// so indexing allocates no text.
struct NameHash {
    std::size_t operator()(std::string_view name) const {
        std::size_t hash = 14695981039346656037ull;  // FNV-1a
        for (char c : name)
            hash = (hash ^ cp1252Upper(static_cast<unsigned char>(c))) * 1099511628211ull;
        return hash;
    }
};
struct NameEqual {
    bool operator()(std::string_view a, std::string_view b) const {
        return cp1252EqualsNoCase(a, b);
    }
};
template <typename T>
using NameMap = std::unordered_map<std::string_view, T, NameHash, NameEqual>;

}  // namespace

WriteError::WriteError(const std::string& path)
    : std::runtime_error("In " + path + " kann nicht geschrieben werden") {}

ReadError::ReadError(const std::string& path)
    : std::runtime_error("Aus " + path + " kann nicht gelesen werden") {}

NameError::NameError(const std::string& path, std::string_view name)
    : std::runtime_error("Der Name \"" + std::string(name) + "\" kann nicht in " + path +
                         " geschrieben werden") {}

// The file's bytes as read, with an index of its sections, and the writes of
// one command kept beside them. The keys of a section are indexed the first
// time the section is used, so foreign sections cost next to nothing;
// serialize() applies all writes in one pass over the bytes. Memory stays
// the bytes, the section index and the keys of the sections in use. Reads
// build that index as they go, so one object serves one thread.
class IniFile::Document {
public:
    explicit Document(std::string bytes);
    std::optional<std::string_view> find(std::string_view section, std::string_view key) const;
    void set(std::string_view section, std::string_view key, std::string value);
    std::string serialize() const;

private:
    struct Line {
        std::size_t begin, textEnd, end;  // end: after the line end
    };
    struct Write {
        std::string name;  // as the writer named it
        std::string value;
        std::optional<Line> line;  // the line it replaces; none for a new key
    };
    struct Section {
        std::string name;  // as written; only for new sections
        bool inFile = false;
        std::size_t bodyBegin = 0;  // after the header line
        std::size_t end = 0;        // the next header, or the end of the file
        bool indexed = false;
        NameMap<Line> keys;         // the first of equal names counts
        std::size_t insertAt = 0;   // after the last key line
        std::vector<Write> writes;  // in the order of their first write
    };
    struct Edit {
        std::size_t begin, end;
        std::string text;
    };

    Line lineAt(std::size_t pos) const;
    std::string_view textOf(const Line& line) const;
    void indexSections();
    void indexKeys(Section& section) const;
    Section* sectionNamed(std::string_view trimmedName) const;
    static Write* writeNamed(Section& section, std::string_view trimmedName);
    static std::string keyLine(const Write& write);
    void collectEdits(const Section& section, std::vector<Edit>& edits) const;

    std::string bytes_;
    mutable std::deque<Section> sections_;  // file order, then new sections; never moved
    NameMap<Section*> sectionIndex_;
};

IniFile::Document::Document(std::string bytes) : bytes_(std::move(bytes)) {
    indexSections();
}

IniFile::Document::Line IniFile::Document::lineAt(std::size_t pos) const {
    const std::size_t textEnd = bytes_.find_first_of("\r\n", pos);
    if (textEnd == std::string::npos) return {pos, bytes_.size(), bytes_.size()};
    const bool crLf =
        bytes_[textEnd] == '\r' && textEnd + 1 < bytes_.size() && bytes_[textEnd + 1] == '\n';
    return {pos, textEnd, textEnd + (crLf ? 2 : 1)};
}

std::string_view IniFile::Document::textOf(const Line& line) const {
    return std::string_view(bytes_).substr(line.begin, line.textEnd - line.begin);
}

void IniFile::Document::indexSections() {
    for (std::size_t pos = 0; pos < bytes_.size();) {
        const Line line = lineAt(pos);
        if (const auto name = sectionNameOf(textOf(line))) {
            if (!sections_.empty()) sections_.back().end = line.begin;
            Section& section = sections_.emplace_back();
            section.inFile = true;
            section.bodyBegin = line.end;
            section.end = bytes_.size();
            sectionIndex_.emplace(trim(*name), &section);
        }
        pos = line.end;
    }
}

void IniFile::Document::indexKeys(Section& section) const {
    section.insertAt = section.bodyBegin;
    for (std::size_t pos = section.bodyBegin; pos < section.end;) {
        const Line line = lineAt(pos);
        if (const auto kv = keyValueOf(textOf(line))) {
            section.keys.emplace(trim(kv->first), line);
            section.insertAt = line.end;
        }
        pos = line.end;
    }
    section.indexed = true;
}

IniFile::Document::Section* IniFile::Document::sectionNamed(std::string_view trimmedName) const {
    const auto found = sectionIndex_.find(trimmedName);
    if (found == sectionIndex_.end()) return nullptr;
    Section& section = *found->second;
    if (!section.indexed) indexKeys(section);
    return &section;
}

IniFile::Document::Write* IniFile::Document::writeNamed(Section& section,
                                                        std::string_view trimmedName) {
    for (Write& write : section.writes)
        if (cp1252EqualsNoCase(write.name, trimmedName)) return &write;
    return nullptr;
}

std::optional<std::string_view> IniFile::Document::find(std::string_view section,
                                                        std::string_view key) const {
    Section* s = sectionNamed(trim(section));
    if (!s) return std::nullopt;
    key = trim(key);
    if (const Write* write = writeNamed(*s, key)) return stripQuotes(trim(write->value));
    const auto found = s->keys.find(key);
    if (found == s->keys.end()) return std::nullopt;
    return stripQuotes(trim(keyValueOf(textOf(found->second))->second));
}

void IniFile::Document::set(std::string_view section, std::string_view key, std::string value) {
    section = trim(section);
    key = trim(key);
    Section* s = sectionNamed(section);
    if (!s) {
        s = &sections_.emplace_back();
        s->name = std::string(section);
        s->indexed = true;
        sectionIndex_.emplace(s->name, s);
    }
    if (Write* write = writeNamed(*s, key)) {
        write->name = std::string(key);
        write->value = std::move(value);
        return;
    }
    const auto line = s->keys.find(key);
    s->writes.push_back({std::string(key), std::move(value),
                         line == s->keys.end() ? std::nullopt : std::optional(line->second)});
}

std::string IniFile::Document::keyLine(const Write& write) {
    return write.name + "=" + write.value + kCrLf;
}

void IniFile::Document::collectEdits(const Section& section, std::vector<Edit>& edits) const {
    std::string added;
    for (const Write& write : section.writes) {
        if (write.line)
            edits.push_back({write.line->begin, write.line->end, keyLine(write)});
        else
            added += keyLine(write);
    }
    if (!added.empty()) edits.push_back({section.insertAt, section.insertAt, std::move(added)});
}

std::string IniFile::Document::serialize() const {
    std::vector<Edit> edits;
    for (const Section& section : sections_)
        if (section.inFile) collectEdits(section, edits);
    std::sort(edits.begin(), edits.end(),
              [](const Edit& a, const Edit& b) { return a.begin < b.begin; });

    std::string out;
    out.reserve(bytes_.size() + bytes_.size() / 16 + 256);
    std::size_t pos = 0;
    for (const Edit& edit : edits) {
        out.append(bytes_, pos, edit.begin - pos);
        endLastLine(out);
        out += edit.text;
        pos = edit.end;
    }
    out.append(bytes_, pos);
    for (const Section& section : sections_) {
        if (section.inFile) continue;
        endLastLine(out);
        out += "[" + section.name + "]" + kCrLf;
        for (const Write& write : section.writes) out += keyLine(write);
    }
    return out;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {
    std::string bytes;
    const std::error_code ec = readRegularFile(path_, bytes);
    if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
        throw ReadError(path_);
    doc_ = std::make_unique<Document>(std::move(bytes));
}

IniFile IniFile::fromContent(std::string bytes) {
    IniFile content;
    content.doc_ = std::make_unique<Document>(std::move(bytes));
    return content;
}

IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const auto value = doc_->find(utf8ToCp1252(section), utf8ToCp1252(key));
    if (!value) return utf8Left(defaultValue, kMaxValueLength);
    return cp1252ToUtf8(value->substr(0, kMaxValueLength));
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const std::string text = readString(section, key, "");
    return parseInteger(text).value_or(defaultValue);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    requireWritableName(path_, section, ']');
    requireWritableName(path_, key, '=');
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

HistoryWarning IniFile::commit(std::string_view command) {
    if (!dirty_) return std::nullopt;
    SavedWithHistory saved = saveKeepingHistory(path_, doc_->serialize(), command);
    if (saved.error) throw WriteError(path_);
    dirty_ = false;
    return std::move(saved.warning);
}

std::string settingsFilePath(const std::string& programDirectory) {
    return programDirectory + "Prog.ini";
}

}  // namespace dravel::config
