#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>

#include "config/ConditionCheck.h"

class QMainWindow;
class QMenu;
class QPrinter;
class QWidget;

namespace dravel::extras {

// What the commands ask of the outside world; tests answer in its place.
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
};

// The file dialogs, the printers and the print dialog, the system clock and
// the sound component.
ExtrasServices systemServices();

// The menu "Extras" at the end of the main window's menu bar: checks and
// exchanges the condition list and reports the whole set-up. Every command
// runs inside the error guard.
class ExtrasMenu : public QObject {
    Q_OBJECT
public:
    explicit ExtrasMenu(QMainWindow* window);

    ExtrasServices services = systemServices();

    void BedingungslistePruefenClick();
    void NaechsteFunktionsprobenClick();
    void ExportierenClick();
    void ImportierenClick();
    void PdfClick();
    void DruckenClick();
    void VerdrahtungPruefenClick();

private:
    void addCommand(QMenu* menu, const char* name, const QString& text,
                    void (ExtrasMenu::*handler)());

    QMainWindow* window_;
};

}  // namespace dravel::extras
