#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/conditions/ConditionList.h"

namespace fs = std::filesystem;
using namespace dravel::config;

namespace {

constexpr int kEntryCount = 10000;

std::vector<ConditionEntry> sampleEntries() {
    std::vector<ConditionEntry> entries;
    entries.reserve(kEntryCount);
    for (int i = 0; i < kEntryCount; ++i) {
        entries.push_back({std::to_string(i % 3), std::to_string(i % 3),
                           "Übungsalarm Wache Süd Nr. " + std::to_string(i), "6123456780",
                           "C:\\Programme\\Kalvor\\Töne\\gong" + std::to_string(i) + ".wav"});
    }
    return entries;
}

// A fresh directory of its own, removed when the benchmark ends.
class ScratchDirectory {
public:
    ScratchDirectory() : path_(fs::temp_directory_path() / "condlist-bench") {
        fs::create_directories(path_);
    }
    ~ScratchDirectory() { fs::remove_all(path_); }
    std::string programDirectory() const { return path_.string() + "/"; }

private:
    fs::path path_;
};

void BM_WriteConditionList(benchmark::State& state) {
    const ScratchDirectory dir;
    const auto entries = sampleEntries();
    for (auto _ : state) writeConditionList(dir.programDirectory(), entries, "Test");
    state.SetItemsProcessed(state.iterations() * kEntryCount);
    state.SetBytesProcessed(state.iterations() * kEntryCount * kConditionRecordSize);
}
BENCHMARK(BM_WriteConditionList)->Unit(benchmark::kMillisecond);

void BM_ReadConditionList(benchmark::State& state) {
    const ScratchDirectory dir;
    writeConditionList(dir.programDirectory(), sampleEntries(), "Test");
    for (auto _ : state) {
        auto result = readConditionList(dir.programDirectory());
        if (result.entries.size() != kEntryCount || result.error)
            state.SkipWithError("the list did not read back whole");
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * kEntryCount);
    state.SetBytesProcessed(state.iterations() * kEntryCount * kConditionRecordSize);
}
BENCHMARK(BM_ReadConditionList)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
