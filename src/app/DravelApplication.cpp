#include "app/DravelApplication.h"

#include <QFont>

#include "ui/ErrorGuard.h"

DravelApplication::DravelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Dravel"));
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("DejaVu Sans"),
                                QStringLiteral("Liberation Sans")});
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

bool DravelApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    dravel::ui::guarded(activeWindow(), [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
