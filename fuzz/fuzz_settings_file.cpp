// Prog.ini as another program may have left it, then a settings command's
// writes and commit. Properties: every written key reads back as written;
// keys of sections not written read as before; when no written section is in
// the file at all, the old bytes stay the start of the new file, byte for
// byte; the same writes on the saved file change nothing more.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "FuzzFiles.h"
#include "config/storage/IniFile.h"

namespace {

using dravel::config::IniFile;
using namespace dravel::fuzz;

struct Write {
    std::string section, key, value;
};

// Program constants and their case and blank variants, or a name of its own.
std::string name(FuzzedDataProvider& in) {
    static const char* const known[] = {"Sound",          " sound ", "FUNK", "Pin0",
                                        "Funktionsprobe", "Pfad",    "Play", "Start Zeit",
                                        "start zeit",     "Port"};
    if (in.ConsumeBool()) return in.PickValueInArray(known);
    std::string text(1, static_cast<char>('A' + in.ConsumeIntegralInRange(0, 25)));
    for (int n = in.ConsumeIntegralInRange(0, 8); n > 0; --n)
        text += in.PickValueInArray({'a', 'Z', '7', ' ', '_', '-'});
    return text;
}

// Values the file keeps as they are: no line breaks, no quotes, no blanks at
// the ends (the reader trims them), only characters Windows-1252 holds.
std::string value(FuzzedDataProvider& in) {
    static const std::string pieces[] = {"a", "Z",  "0", "9", " ", "=",    "[", "]",
                                         ";", "\\", "ä", "€", "ß", "0x1F", "-", "."};
    std::string text;
    for (int n = in.ConsumeIntegralInRange(0, 40); n > 0; --n)
        text += pieces[in.ConsumeIntegralInRange<std::size_t>(0, std::size(pieces) - 1)];
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Names match without regard to case and surrounding blanks.
std::string folded(std::string text) {
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t") + 1);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Section and key names as they appear in the file, found without the
// reader's rules: every "[...]" line and every "key=" line under it.
std::vector<std::pair<std::string, std::string>> namesIn(const std::string& bytes) {
    std::vector<std::pair<std::string, std::string>> found;
    std::string section;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = bytes.substr(start, end - start);
        const std::size_t close = line.find(']');
        if (!line.empty() && line[0] == '[' && close != std::string::npos)
            section = line.substr(1, close - 1);
        else if (const std::size_t eq = line.find('='); eq != std::string::npos)
            found.emplace_back(section, line.substr(0, eq));
        start = end + 1;
    }
    return found;
}

bool writesSection(const std::vector<Write>& writes, const std::string& section) {
    return std::any_of(writes.begin(), writes.end(),
                       [&](const Write& w) { return folded(w.section) == folded(section); });
}

void commit(const std::string& path, const std::vector<Write>& writes) {
    IniFile ini(path);
    for (const Write& w : writes) ini.writeString(w.section, w.key, w.value);
    (void)ini.commit("Fuzz");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<Write> writes(in.ConsumeIntegralInRange(1, 6));
    for (Write& w : writes) w = {name(in), name(in), value(in)};
    const std::string original = in.ConsumeRemainingBytesAsString();
    const std::string path = scratchFolder() + "Prog.ini";
    putFile(path, original);

    const IniFile before(path);
    commit(path, writes);
    const std::string saved = fileBytes(path);
    const IniFile after(path);

    for (std::size_t i = 0; i < writes.size(); ++i) {
        const bool overwritten = std::any_of(writes.begin() + i + 1, writes.end(), [&](auto& w) {
            return folded(w.section) == folded(writes[i].section) &&
                   folded(w.key) == folded(writes[i].key);
        });
        if (!overwritten)
            DRAVEL_REQUIRE(after.readString(writes[i].section, writes[i].key, "\x01") ==
                           writes[i].value);
    }
    for (const auto& [section, key] : namesIn(original))
        if (!writesSection(writes, section) && key.find('\0') == std::string::npos &&
            section.find('\0') == std::string::npos)
            DRAVEL_REQUIRE(before.readString(section, key, "\x01") ==
                           after.readString(section, key, "\x01"));

    const bool anyWrittenSectionInFile =
        std::any_of(writes.begin(), writes.end(), [&](const Write& w) {
            return folded(original).find(folded(w.section)) != std::string::npos;
        });
    if (!anyWrittenSectionInFile) DRAVEL_REQUIRE(saved.compare(0, original.size(), original) == 0);

    commit(path, writes);
    DRAVEL_REQUIRE(fileBytes(path) == saved);
    return 0;
}
