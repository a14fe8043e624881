#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/storage/History.h"

namespace Ui {
class Verlauf;
}
namespace dravel::devices {
class TAudioMixer;
}

// The kept states of Prog.ini and Alarmierung.dat, newest first; for the
// selected one what differs from the file as it is now, in the main window's
// sentences or by condition entry; "Wiederherstellen" puts it back after a
// question and runs afterRestore (the main window's summary).
class TVerlauf : public QDialog {
    Q_OBJECT
public:
    TVerlauf(QWidget* parent, std::string programDirectory, std::function<void()> afterRestore);
    ~TVerlauf() override;

    // Reads the history anew and selects the newest state.
    void refresh();

    void StaendeChange();
    void WiederherstellenClick();

private:
    const dravel::config::HistoryState* selectedState() const;
    void showDifferences(const dravel::config::HistoryState& state);

    std::unique_ptr<Ui::Verlauf> ui;
    std::unique_ptr<dravel::devices::TAudioMixer> Mixer;  // names the sound card in sentences
    std::string programDirectory_;
    std::function<void()> afterRestore_;
    std::vector<dravel::config::HistoryState> states_;
};
