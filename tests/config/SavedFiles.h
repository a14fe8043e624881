#pragma once

#include <chrono>
#include <filesystem>
#include <ostream>
#include <random>
#include <set>
#include <stdexcept>
#include <string>

#include "common/TestPlatform.h"
#include "config/conditions/ConditionList.h"
#include "config/storage/AtomicFile.h"
#include "config/storage/IniFile.h"
#include "support/FileBytes.h"

// The two files the program saves, for the tests that treat both alike, and a fresh folder to
// save them in.
namespace dravel::config::savedfiles {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using dravel::testing::readBytes;
using dravel::testing::writeBytes;

inline std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// One of the two files: the bytes of a version standing for a text, the text as the program
// reads it back ("" for no file), the message its reader fails with ("" for none), and a save
// of one more change.
struct SavedFile {
    const char* name;
    std::string (*bytes)(const std::string& text);
    std::string (*read)(const std::string& dir);
    std::string (*failure)(const std::string& dir);
    void (*save)(const std::string& dir, const std::string& text);
};

inline void PrintTo(const SavedFile& file, std::ostream* out) {
    *out << file.name;
}

inline std::string conditionRecord(const std::string& description) {
    std::string bytes(kConditionRecordSize, '\0');
    const std::string fields[] = {"1", "0", description, "12345", ""};
    for (std::size_t i = 0; i < kConditionFieldCount; ++i) {
        bytes[i * kConditionFieldSize] = static_cast<char>(fields[i].size());
        bytes.replace(i * kConditionFieldSize + 1, fields[i].size(), fields[i]);
    }
    return bytes;
}

inline const SavedFile kProgIni{
    "Prog.ini", [](const std::string& text) { return "[Kalvor]\r\nText=" + text + "\r\n"; },
    [](const std::string& dir) {
        return IniFile(settingsFilePath(dir)).readString("Kalvor", "Text", "");
    },
    [](const std::string& dir) -> std::string {
        try {
            IniFile ini(settingsFilePath(dir));
            return "";
        } catch (const std::runtime_error& e) {
            return e.what();
        }
    },
    [](const std::string& dir, const std::string& text) {
        IniFile ini(settingsFilePath(dir));
        ini.writeString("Sound", "Pfad", text);
        ini.commit("Test");
    }};

inline const SavedFile kConditionList{
    "Alarmierung.dat", conditionRecord,
    [](const std::string& dir) {
        const ConditionListReadResult list = readConditionList(dir);
        return list.entries.empty() ? std::string() : list.entries.front().description;
    },
    [](const std::string& dir) { return readConditionList(dir).error.value_or(""); },
    [](const std::string& dir, const std::string& text) {
        writeConditionList(dir, {{"1", "0", text, "12345", ""}}, "Test");
    }};

// For INSTANTIATE_TEST_SUITE_P over both files.
inline std::string nameOf(const SavedFile& file) {
    return file.name == kProgIni.name ? "ProgIni" : "ConditionList";
}

// A folder of the given name in a fresh temporary folder, removed with all it holds.
class TempFolder {
public:
    TempFolder(const std::string& prefix, const std::string& utf8Name)
        : root(fs::temp_directory_path() / (prefix + std::to_string(std::random_device{}()))),
          folder(root / pathFromUtf8(utf8Name)),
          dir((fs::create_directories(folder), utf8Of(folder) + "/")) {}
    ~TempFolder() { testplatform::removeTree(root); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The history folder is the history's business (history_test); a save's leftovers would
    // show here.
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename() != "Verlauf")
                found.insert(entry.path().filename().string());
        return found;
    }

    const fs::path root;
    const fs::path folder;
    const std::string dir;  // UTF-8 with a trailing separator, as the program has it
};

}  // namespace dravel::config::savedfiles
