#include "ui/FixedDialog.h"

#include "ui/WindowGeometry.h"

namespace dravel::ui {

FixedDialog::FixedDialog(QWidget* parent) : QDialog(parent) {
    setFixedDialogFlags(this);
}

void FixedDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centerOnScreen(this);
}

}  // namespace dravel::ui
