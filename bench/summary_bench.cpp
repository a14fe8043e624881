#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "config/settings/MixerNames.h"
#include "config/storage/IniFile.h"
#include "config/summary/Summary.h"

// The summary reads Prog.ini once and answers every key from that parse, so
// it should cost little more than the parse itself, and grow linearly with
// the file.

namespace {

using dravel::config::IniFile;

class FixedMixerNames : public dravel::config::MixerNames {
public:
    void selectDevice(int) override {}
    std::optional<std::string> productName() const override { return "Realtek HD Audio"; }
    std::vector<std::string> inputNames() const override {
        return {"Master", "CD-Player", "Line-In", "Mikrofon"};
    }
};

// Every key the settings commands write, in the order they write them.
const char* const kTypicalProgIni =
    "[Pin0]\r\nAusgang Aktiv=1\r\nBemerkung=Sirene auf dem Dach\r\nWarten=10\r\nDauer=60\r\n"
    "Start=0\r\n"
    "[Pin1]\r\nAusgang Aktiv=1\r\nBemerkung=Hallenlicht\r\nWarten=0\r\nDauer=600\r\nStart=1\r\n"
    "[Pin2]\r\nAusgang Aktiv=0\r\nBemerkung=\r\nWarten=0\r\nDauer=0\r\nStart=0\r\n"
    "[ComPort]\r\nPort=COM1\r\nExtern=1\r\n"
    "[Sound]\r\nPlay=1\r\nPfad=C:\\Programme\\Kalvor\\Gong.wav\r\nWait=1\r\nWait Time=5\r\n"
    "Ansteuern=1\r\nAnsteuern Pin=1\r\n"
    "[Funk]\r\nOnOff=1\r\nSoundkarte=0\r\nEingang=2\r\nStart=2\r\nEnde=1\r\nStart Zeit=0\r\n"
    "Ende Zeit=300\r\nPin=1\r\nEndLautst\xE4rke=2\r\nStartVolume=58981\r\nEndVolume=6554\r\n"
    "[Funktionsprobe]\r\nArt=2\r\nWochentag1=-1\r\nWochentag2=5\r\nWochentag im Monat=0\r\n"
    "Tag im Monat=-1\r\nUhrzeit=23:00\r\nDauer=120\r\n"
    "[Prog]\r\nTray=1\r\nEnde=1\r\nMehrfach=0\r\n";

// A typical file padded with the sections and keys of other programs.
std::string paddedProgIni(std::size_t bytes) {
    std::string text = kTypicalProgIni;
    for (int section = 0; text.size() < bytes; ++section) {
        text += "[Fremd" + std::to_string(section) + "]\r\n";
        for (int key = 0; key < 20 && text.size() < bytes; ++key)
            text += "Schluessel " + std::to_string(key) + "=Wert eines anderen Programms " +
                    std::to_string(section * 20 + key) + "\r\n";
    }
    return text;
}

class ProgIniFile {
public:
    explicit ProgIniFile(const std::string& bytes) {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("dravel-summary-bench-" + std::to_string(random()) + ".ini");
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~ProgIniFile() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

void BM_ParseTypical(benchmark::State& state) {
    const ProgIniFile file(kTypicalProgIni);
    for (auto _ : state) {
        IniFile ini(file.path());
        benchmark::DoNotOptimize(ini);
    }
}
BENCHMARK(BM_ParseTypical);

void BM_SummaryTypical(benchmark::State& state) {
    const ProgIniFile file(kTypicalProgIni);
    FixedMixerNames mixer;
    for (auto _ : state) {
        auto texts = dravel::config::buildSummary(IniFile(file.path()), mixer);
        benchmark::DoNotOptimize(texts);
    }
}
BENCHMARK(BM_SummaryTypical);

void BM_ParseLarge(benchmark::State& state) {
    const ProgIniFile file(paddedProgIni(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        IniFile ini(file.path());
        benchmark::DoNotOptimize(ini);
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseLarge)->RangeMultiplier(2)->Range(1 << 18, 1 << 21)->Complexity(benchmark::oN);

void BM_SummaryLarge(benchmark::State& state) {
    const ProgIniFile file(paddedProgIni(static_cast<std::size_t>(state.range(0))));
    FixedMixerNames mixer;
    for (auto _ : state) {
        auto texts = dravel::config::buildSummary(IniFile(file.path()), mixer);
        benchmark::DoNotOptimize(texts);
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SummaryLarge)->RangeMultiplier(2)->Range(1 << 18, 1 << 21)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
