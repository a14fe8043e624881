#pragma once

#include <QAction>
#include <QDialog>
#include <QMainWindow>
#include <memory>
#include <string>
#include <utility>

#include "config/storage/IniFile.h"

namespace Ui {
class Main;
}
namespace dravel::devices {
class TAudioMixer;
}

namespace dravel::app {

// The main window: shows the settings summary and opens every dialog and
// test tool. It keeps no settings of its own; Prog.ini is read anew by every
// command. The hidden labels pfad and Port_name carry the sound path and the
// port name from the summary to later commands.
class TMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TMain(QWidget* parent = nullptr);
    ~TMain() override;

    // Checks and starts the sound output, then builds the summary. False when
    // the program must end at once (a sound library of the wrong version).
    bool start();

    // Rebuilds every panel from Prog.ini.
    void Zusammenfassung();

    // The settings command: create the dialog, let prepare adjust it, fill it
    // from Prog.ini, show it modally, write its keys only when it was
    // accepted, free it and rebuild the summary. The history records the
    // save under the menu entry's text (without one, the window's title). A
    // failed write stops the command before the summary (the error guard
    // reports it).
    template <typename Dialog, typename Prepare>
    void runSettingsCommand(const QAction* command, Prepare&& prepare);
    template <typename Dialog>
    void runSettingsCommand(const QAction* command = nullptr) {
        runSettingsCommand<Dialog>(command, [](Dialog&) {});
    }

    // A dialog that reads and writes no Prog.ini keys: create, show, free.
    template <typename Dialog>
    void runPlainDialog() {
        Dialog dialog(this);
        dialog.exec();
    }

private:
    void connectMenu();
    void N1Click();
    void ber1Click();
    void BedingtePortansteuerung1Click();
    void AlarmSimulieren1Click();
    void ComPort1Click();
    void AudioDatei1Click();
    void Einstellungen1Click();
    void AusgngeTesten1Click();
    void FunktionsprobeZeiten1Click();
    void ProgrammEinstellungen1Click();
    void Play();
    void LowVersion1Click();
    void Schaltplan1Click();
    void openWiringDiagram(const std::string& fileName);

    static std::string settingsPath();
    bool overwriteChangedSettings();
    void showHistoryWarning(const dravel::config::HistoryWarning& warning);

    std::unique_ptr<Ui::Main> ui;
    // Names the sound card and recording input in the summary.
    std::unique_ptr<dravel::devices::TAudioMixer> Mixer;
};

template <typename Dialog, typename Prepare>
void TMain::runSettingsCommand(const QAction* command, Prepare&& prepare) {
    Dialog dialog(this);
    std::forward<Prepare>(prepare)(dialog);
    const std::string path = settingsPath();
    const auto atOpen = Dialog::Values::read(dravel::config::IniFile(path));
    dialog.setValues(atOpen);
    if (dialog.exec() == QDialog::Accepted) {
        dravel::config::IniFile ini(path);
        // The group's keys are all written: a change another program made to
        // them meanwhile would be undone without a word.
        if (Dialog::Values::read(ini) == atOpen || overwriteChangedSettings()) {
            dialog.values().write(ini);
            const QString name = command ? command->text() : dialog.windowTitle();
            showHistoryWarning(ini.commit(name.toStdString()));
        }
    }
    Zusammenfassung();
}

// Program entry behind main(): the main window, its start, the message loop.
int runDravel();

}  // namespace dravel::app
