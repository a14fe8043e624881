// Saves Prog.ini or Alarmierung.dat through the file layer again and again, for the trials of
// tests/config/save_trials.py: killed at random moments, or run twice at once. Every save
// reads the file first, as the program does, checks that what it read is whole, and writes
// the next generation of it; the save keeps the generation it replaces in "Verlauf".
//
//   save_loop PARENT FILE [SAVES [READY]]
//
// The files lie in the folder "Wache Süd" inside PARENT. FILE is Prog.ini or
// Alarmierung.dat, SAVES the number of saves (0: until killed), READY a file made once the
// program runs. Prints what it did; exits with 0 when every save succeeded, 1 when a save
// failed, 3 when it read a file that was not whole.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/conditions/ConditionList.h"
#include "config/storage/AtomicFile.h"
#include "config/storage/IniFile.h"

namespace {

using namespace dravel::config;

// The alarm program's own part of Prog.ini, which every save must keep, and the part each
// save changes: all keys of [Lauf] hold the generation.
constexpr int kForeignKeys = 150;
constexpr int kRunKeys = 40;
constexpr int kRecords = 100;

std::string number(int n, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, n);
    return text;
}
std::string foreignKey(int i) {
    return "Eintrag" + number(i, 3);
}
std::string foreignValue(int i) {
    return "Wert " + number(i, 3) + " für Kalvor";
}
std::string runKey(int i) {
    return "Schritt" + number(i, 2);
}

// The generation of a whole file, 0 for a missing or empty one, -1 for anything else.
int generationOf(const IniFile& ini) {
    int foreign = 0;
    for (int i = 1; i <= kForeignKeys; ++i)
        foreign += ini.readString("Kalvor", foreignKey(i), "") == foreignValue(i);
    const int first = ini.readInteger("Lauf", runKey(1), 0);
    for (int i = 1; i <= kRunKeys; ++i)
        if (ini.readInteger("Lauf", runKey(i), 0) != first) return -1;
    if (foreign == 0 && first == 0) return 0;
    return foreign == kForeignKeys && first > 0 ? first : -1;
}

enum class Save { done, failed, notWhole };

Save failed(const char* message) {
    std::printf("%s\n", message);
    return Save::failed;
}

Save saveSettings(const std::string& folder) {
    IniFile ini(settingsFilePath(folder));
    const int generation = generationOf(ini);
    if (generation < 0) return Save::notWhole;
    if (generation == 0)
        for (int i = 1; i <= kForeignKeys; ++i)
            ini.writeString("Kalvor", foreignKey(i), foreignValue(i));
    for (int i = 1; i <= kRunKeys; ++i) ini.writeInteger("Lauf", runKey(i), generation + 1);
    try {
        ini.commit("Test");
    } catch (const WriteError& e) {
        return failed(e.what());
    }
    return Save::done;
}

std::string description(int record, int generation) {
    return "Eintrag " + number(record, 3) + " Lauf " + std::to_string(generation);
}

int generationOf(const ConditionListReadResult& list) {
    if (list.entries.empty()) return 0;
    if (list.entries.size() != kRecords) return -1;
    const std::string& first = list.entries.front().description;
    const int generation = std::atoi(first.substr(first.rfind(' ') + 1).c_str());
    for (int i = 0; i < kRecords; ++i)
        if (list.entries[static_cast<std::size_t>(i)].description != description(i, generation))
            return -1;
    return generation;
}

Save saveConditionList(const std::string& folder) {
    const ConditionListReadResult list = readConditionList(folder);
    if (list.error) return failed(list.error->c_str());
    const int generation = generationOf(list);
    if (generation < 0) return Save::notWhole;
    std::vector<ConditionEntry> entries;
    for (int i = 0; i < kRecords; ++i)
        entries.push_back(
            {"1", "0", description(i, generation + 1), "12345", "C:\\Töne\\Gong " + number(i, 3)});
    try {
        writeConditionList(folder, entries, "Test");
    } catch (const ConditionListError& e) {
        return failed(e.what());
    }
    return Save::done;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: save_loop PARENT Prog.ini|Alarmierung.dat [SAVES [READY]]\n");
        return 2;
    }
    const std::filesystem::path folderPath = std::filesystem::path(argv[1]) / u8"Wache Süd";
    std::filesystem::create_directories(folderPath);
    const std::u8string utf8 = folderPath.u8string();
    const std::string folder =
        std::string(utf8.begin(), utf8.end()) + static_cast<char>(folderPath.preferred_separator);
    const bool settings = std::string(argv[2]) == "Prog.ini";
    const long saves = argc > 3 ? std::atol(argv[3]) : 0;
    if (argc > 4) std::ofstream(argv[4]) << "ready\n";
    long done = 0;
    long failures = 0;
    for (; saves == 0 || done < saves; ++done) {
        Save save = Save::failed;
        try {
            save = settings ? saveSettings(folder) : saveConditionList(folder);
        } catch (const ReadError& e) {
            failed(e.what());
        }
        if (save == Save::notWhole) {
            std::printf("saves %ld failed %ld; then read a file that is not whole\n", done,
                        failures);
            return 3;
        }
        failures += save == Save::failed;
    }
    std::printf("saves %ld failed %ld\n", done, failures);
    return failures == 0 ? 0 : 1;
}
