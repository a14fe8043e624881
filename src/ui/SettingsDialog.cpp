#include "ui/SettingsDialog.h"

#include <QCloseEvent>
#include <QScreen>

#include "ui/MessageBoxes.h"

namespace dravel::ui {
namespace {
// Frame the window manager adds around the client area of a dialog.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 31;
}  // namespace

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
}

bool SettingsDialog::confirmCancel() {
    return MessageBoxes::confirm(this, QStringLiteral("Abbrechen ohne Speichern?"));
}

void SettingsDialog::reject() {
    if (confirmCancel()) QDialog::reject();
}

void SettingsDialog::closeEvent(QCloseEvent* event) {
    // The close box is the same as "Abbrechen".
    event->ignore();
    reject();
}

void SettingsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centerOnScreen(this);
}

void SettingsDialog::setOuterSize(int width, int height) {
    setFixedSize(width - kFrameWidth, height - kFrameHeight);
}

void centerOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

}  // namespace dravel::ui
