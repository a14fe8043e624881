#include <QFileDialog>

#include "ui/FileDialogs.h"

namespace dravel::ui {

QString askOpenFileName(QWidget* parent, const QString& title, const QString& filter,
                        const QString& folder) {
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString askSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                        const QString& suggestedPath) {
    return QFileDialog::getSaveFileName(parent, title, suggestedPath, filter);
}

}  // namespace dravel::ui
