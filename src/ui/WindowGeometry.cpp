#include "ui/WindowGeometry.h"

#include <QScreen>
#include <QWidget>

namespace dravel::ui {

void setOuterSize(QWidget* window, int width, int height) {
    window->setFixedSize(width - kFrameWidth, height - kFrameHeight);
}

void setFixedDialogFlags(QWidget* window) {
    // The system menu gives the title bar its icon on Windows (a dialog frame
    // without it draws none); the only button stays the close box.
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

void centerOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

}  // namespace dravel::ui
