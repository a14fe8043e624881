#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>

#include "config/extras/AlarmCourse.h"
#include "config/extras/ConditionCheck.h"

class QMainWindow;
class QMenu;
class QPrinter;
class QWidget;

namespace dravel::extras {

// What the commands and the wiring check ask of the outside world.
struct ExtrasServices {
    // A file to write; empty when the user cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& suggestedPath,
                          const QString& filter)>
        chooseSaveFile;
    // A file to read; empty when the user cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& filter)>
        chooseOpenFile;
    // Whether the system has any printer set up.
    std::function<bool()> printerInstalled;
    // Lets the user pick and set up a printer; false when cancelled.
    std::function<bool(QWidget* parent, QPrinter& printer)> setUpPrinter;
    std::function<std::chrono::sys_seconds()> now;
    config::PlayableCheck playable;
    // How long the sound component plays a file, or why it cannot.
    config::SoundLengthReader soundLength;
};

// The file dialogs, the printers and the print dialog, the system clock and
// the sound component (whether it plays a file, and for how long).
ExtrasServices systemServices();

// What the commands use now: the system's services, each one that a test put
// in taking its place.
ExtrasServices extrasServices();

// Lets the user choose a printer for a report; false when cancelled. Without any printer it says
// so instead, since the print dialog would have nothing to offer (on Windows it does not even
// open).
bool choosePrinter(QWidget* parent, QPrinter& printer);

// Tests put stand-ins in; hands back what was there. An empty member leaves
// the system's own in place, so an empty struct puts them all back.
ExtrasServices replaceExtrasServices(ExtrasServices services);

// Asks where to write a file named fileName: the dialog suggests the folder
// the user last saved into during this run, else the documents folder, never
// Kalvor's folder, where nothing but its two files should grow. Returns the
// path in the platform's writing, empty when cancelled.
QString askWhereToSave(QWidget* parent, const QString& title, const QString& fileName,
                       const QString& filter);

// The menu "Extras" at the end of the main window's menu bar: checks and
// exchanges the condition list, reports the whole set-up and shows the
// change history. Every command
// runs inside the error guard.
class ExtrasMenu : public QObject {
    Q_OBJECT
public:
    // afterRestore runs when the change history put a state back.
    ExtrasMenu(QMainWindow* window, std::function<void()> afterRestore);

    void BedingungslistePruefenClick();
    void NaechsteFunktionsprobenClick();
    void AlarmablaufClick();
    void ExportierenClick();
    void ImportierenClick();
    void PdfClick();
    void DruckenClick();
    void VerdrahtungPruefenClick();
    void AenderungsverlaufClick();

private:
    void addCommand(QMenu* menu, const char* name, const QString& text,
                    void (ExtrasMenu::*handler)());

    QMainWindow* window_;
    std::function<void()> afterRestore_;
};

}  // namespace dravel::extras
