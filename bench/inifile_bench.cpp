#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "config/settings/PinSettings.h"
#include "config/storage/IniFile.h"

// The "ComPort" command (read its keys, then write all 16 of them as one
// replacement) on settings files swollen by foreign sections to 1, 10 and
// 50 MB. Its time must grow with the file size, not faster.
namespace fs = std::filesystem;
using namespace dravel::config;

namespace {

// About 45 bytes a line, as in a file that other programs filled.
std::string foreignSection(int number) {
    std::string text = "[Fremdprogramm " + std::to_string(number) + "]\r\n";
    for (int key = 0; key < 20; ++key)
        text += "Schluessel" + std::to_string(key) + "=Wert eines anderen Programms\r\n";
    return text;
}

// The pin sections lie at the start, in the middle and (missing) at the end,
// so the command replaces keys, adds keys and adds a section.
std::string swollenSettings(std::size_t bytes) {
    std::string text = "[ComPort]\r\nPort=COM1\r\n[Pin0]\r\nAusgang Aktiv=1\r\nWarten=5\r\n";
    int number = 0;
    while (text.size() < bytes / 2) text += foreignSection(number++);
    text += "[Pin1]\r\nBemerkung=Sirene\r\nDauer=60\r\n";
    while (text.size() < bytes) text += foreignSection(number++);
    return text;
}

class SettingsFile {
public:
    explicit SettingsFile(std::size_t bytes)
        : dir_(fs::temp_directory_path() / ("inifile-bench-" + std::to_string(bytes))) {
        fs::create_directories(dir_);
        std::ofstream(path(), std::ios::binary) << swollenSettings(bytes);
    }
    ~SettingsFile() { fs::remove_all(dir_); }
    std::string path() const { return (dir_ / "Prog.ini").string(); }

private:
    fs::path dir_;
};

void BM_ComPortCommand(benchmark::State& state) {
    const auto megabytes = static_cast<std::size_t>(state.range(0));
    const SettingsFile file(megabytes << 20);
    int round = 0;
    for (auto _ : state) {
        ComPortSettings settings = ComPortSettings::read(IniFile(file.path()));
        settings.port = "COM" + std::to_string(1 + round++ % 4);
        for (PinRecord& pin : settings.pins) pin.wait = round % 1800;
        IniFile ini(file.path());
        settings.write(ini);
        ini.commit("Test");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(megabytes << 20));
}
BENCHMARK(BM_ComPortCommand)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
