#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/conditions/ConditionList.h"
#include "config/extras/ConditionCheck.h"
#include "config/extras/ConditionCsv.h"
#include "extras/ExtrasMenu.h"

namespace fs = std::filesystem;
using namespace dravel::config;

namespace {

constexpr int kEntryCount = 10000;
constexpr int kSoundFiles = 20;

// A program directory with Prog.ini, twenty short WAV files and a list of
// 10,000 entries over all three pins and kinds; removed at the end.
class ScratchSetUp {
public:
    explicit ScratchSetUp(bool distinctMissingAudio)
        : path_(fs::temp_directory_path() / "extras-bench") {
        fs::create_directories(path_);
        std::ofstream(path_ / "Prog.ini") << "[Pin0]\r\nAusgang Aktiv=1\r\nStart=1\r\n"
                                             "[Pin1]\r\nAusgang Aktiv=1\r\nStart=1\r\n";
        for (int i = 0; i < kSoundFiles; ++i) std::ofstream(sound(i), std::ios::binary) << wav();
        const std::string codes[] = {"12345", "2999999?", "6123456780"};
        std::vector<ConditionEntry> entries;
        for (int i = 0; i < kEntryCount; ++i) {
            const std::string audio =
                distinctMissingAudio ? (path_ / ("fehlt" + std::to_string(i) + ".wav")).string()
                                     : sound(i % kSoundFiles);
            entries.push_back({std::to_string(i % 3), std::to_string(i % 3),
                               "Übungsalarm Wache Süd; Nr. " + std::to_string(i), codes[i % 3],
                               audio});
        }
        writeConditionList(programDirectory(), entries, "Test");
    }
    ~ScratchSetUp() { fs::remove_all(path_); }
    std::string programDirectory() const { return path_.string() + "/"; }
    std::string csv() const { return (path_ / "liste.csv").string(); }

private:
    std::string sound(int i) const {
        return (path_ / ("ton" + std::to_string(i) + ".wav")).string();
    }
    static std::string wav() {
        const auto u32 = [](uint32_t v) {
            return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        };
        const auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
        return "RIFF" + u32(36 + 200) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(44100) +
               u32(88200) + u16(2) + u16(16) + "data" + u32(200) + std::string(200, '\0');
    }

    fs::path path_;
};

// Reads both files and checks every entry; the sound component opens each
// of the twenty audio files once.
void BM_CheckConditionList(benchmark::State& state) {
    const ScratchSetUp setUp(false);
    const auto playable = dravel::extras::systemServices().playable;
    for (auto _ : state)
        benchmark::DoNotOptimize(checkProgramDirectory(setUp.programDirectory(), playable));
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}
BENCHMARK(BM_CheckConditionList)->Unit(benchmark::kMillisecond);

// Worst case: every entry names an audio file of its own that is missing.
void BM_CheckDistinctMissingAudio(benchmark::State& state) {
    const ScratchSetUp setUp(true);
    const auto playable = dravel::extras::systemServices().playable;
    for (auto _ : state)
        benchmark::DoNotOptimize(checkProgramDirectory(setUp.programDirectory(), playable));
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}
BENCHMARK(BM_CheckDistinctMissingAudio)->Unit(benchmark::kMillisecond);

// Reads Alarmierung.dat and writes the CSV file, as the export command does.
void BM_ExportCsv(benchmark::State& state) {
    const ScratchSetUp setUp(false);
    for (auto _ : state)
        writeConditionCsvFile(setUp.csv(), readConditionList(setUp.programDirectory()).entries);
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);

// Reads and checks the exported file, as the import command does.
void BM_ImportCsv(benchmark::State& state) {
    const ScratchSetUp setUp(false);
    writeConditionCsvFile(setUp.csv(), readConditionList(setUp.programDirectory()).entries);
    for (auto _ : state) benchmark::DoNotOptimize(importConditionCsv(readCsvFile(setUp.csv())));
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
