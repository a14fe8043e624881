// Opening the condition list editor on a large Alarmierung.dat (reading the
// file, filling the list, showing the window) and saving it with the bottom
// "Übernehmen". Each runs at several list sizes so that the reported
// complexity shows whether the cost grows linearly with the entries.
#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <filesystem>
#include <string>
#include <vector>

#include "config/conditions/ConditionList.h"
#include "devices/system/ProgramDirectory.h"
#include "dialogs/Bedingung.h"
#include "ui/MessageBoxes.h"

using dravel::dialogs::TBedingungen;

namespace fs = std::filesystem;
using dravel::config::ConditionEntry;

namespace {

std::vector<ConditionEntry> sampleEntries(int count) {
    std::vector<ConditionEntry> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        entries.push_back({std::to_string(i % 3), std::to_string(i % 3),
                           "Übungsalarm Wache Süd Nr. " + std::to_string(i), "6123456780",
                           "C:\\Programme\\Kalvor\\Töne\\gong" + std::to_string(i) + ".wav"});
    }
    return entries;
}

// A program directory of its own holding a list of the given size; removed
// when the benchmark ends.
class ListDirectory {
public:
    explicit ListDirectory(int entries)
        : path_(fs::temp_directory_path() / "condlist-editor-bench") {
        fs::create_directories(path_);
        dravel::devices::replaceProgramDirectory(path_.string());
        dravel::config::writeConditionList(dravel::devices::programDirectory(),
                                           sampleEntries(entries), "Test");
    }
    ~ListDirectory() {
        dravel::devices::replaceProgramDirectory({});
        fs::remove_all(path_);
    }

private:
    fs::path path_;
};

int listedRows(const TBedingungen& editor) {
    return editor.findChild<QTableView*>("Ubersicht")->model()->rowCount();
}

// Every box the editor shows here is a failure (a read or write error).
bool boxShown = false;

void BM_OpenConditionListEditor(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const ListDirectory dir(count);
    for (auto _ : state) {
        TBedingungen editor;
        editor.show();
        QApplication::processEvents();
        if (listedRows(editor) != count) state.SkipWithError("the list is not whole");
    }
    if (boxShown) state.SkipWithError("a message box was shown");
    state.SetComplexityN(count);
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_OpenConditionListEditor)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(20000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_SaveConditionListEditor(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const ListDirectory dir(count);
    TBedingungen editor;
    editor.show();
    QApplication::processEvents();
    auto* ok = editor.findChild<QPushButton*>("ok");
    for (auto _ : state) {
        ok->click();
        if (editor.result() != QDialog::Accepted) state.SkipWithError("the editor did not save");
        editor.setResult(0);
    }
    if (boxShown) state.SkipWithError("a message box was shown");
    const auto size =
        fs::file_size(dravel::config::conditionListPath(dravel::devices::programDirectory()));
    if (size != static_cast<std::uintmax_t>(count) * dravel::config::kConditionRecordSize)
        state.SkipWithError("the file was not written whole");
    state.SetComplexityN(count);
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_SaveConditionListEditor)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(20000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    dravel::ui::replaceBoxResponder([](const dravel::ui::BoxRequest&) {
        boxShown = true;
        return false;
    });
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
