#include "ui/SettingsDialog.h"

#include <QCloseEvent>

#include "ui/MessageBoxes.h"
#include "ui/WindowGeometry.h"

namespace dravel::ui {
SettingsDialog::SettingsDialog(QWidget* parent) : FixedDialog(parent) {
    setModal(true);
}

bool SettingsDialog::confirmCancel() {
    // Only "Nein" keeps the dialog open; its close button lets it go.
    return MessageBoxes::ask(this, QStringLiteral("Abbrechen ohne Speichern?")) != Answer::Nein;
}

void SettingsDialog::reject() {
    if (confirmCancel()) QDialog::reject();
}

void SettingsDialog::closeEvent(QCloseEvent* event) {
    // The close box is the same as "Abbrechen".
    event->ignore();
    reject();
}

void SettingsDialog::setOuterSize(int width, int height) {
    ui::setOuterSize(this, width, height);
}

}  // namespace dravel::ui
