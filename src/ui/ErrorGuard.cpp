#include "ui/ErrorGuard.h"

#include "ui/MessageBoxes.h"

namespace dravel::ui {

QString withFullStop(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
    return message;
}

void showException(QWidget* parent, const char* what) {
    try {
        MessageBoxes::error(parent, withFullStop(QString::fromUtf8(what)));
    } catch (...) {
        // Reporting must not throw into Qt; a box that fails is dropped.
    }
}

}  // namespace dravel::ui
