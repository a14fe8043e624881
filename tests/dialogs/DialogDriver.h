#pragma once

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include "app/Hauptfenster.h"

namespace dravel::testing {

// Runs one settings command of the main window and hands the dialog to
// drive once it is shown modally; drive is expected to close it. A dialog
// still open afterwards is closed without saving, so that a failed check
// cannot hang the test, and the result is false.
template <typename Dialog, typename Drive>
bool runSettingsCommand(TMain& window, Drive drive) {
    bool driven = false;
    bool leftOpen = false;
    QTimer::singleShot(0, &window, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            driven = true;
            drive(*dialog);
        }
        if (auto* open = qobject_cast<QDialog*>(modal); open && open->isVisible()) {
            leftOpen = true;
            open->QDialog::done(QDialog::Rejected);
        }
    });
    window.runSettingsCommand<Dialog>();
    return driven && !leftOpen;
}

// Makes the dialog the active window, so that focus moves as for the user.
inline bool activate(QWidget& dialog) {
    QApplication::setActiveWindow(&dialog);
    return QTest::qWaitForWindowActive(&dialog);
}

}  // namespace dravel::testing
