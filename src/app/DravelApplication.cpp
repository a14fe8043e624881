#include "app/DravelApplication.h"

#include <QFont>

#include "ui/ErrorGuard.h"

DravelApplication::DravelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Dravel"));
    // Where the Windows font is missing, the closest in width stands in, so the
    // blank runs of the captions still leave room for their controls.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans")});
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

bool DravelApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    dravel::ui::guarded(activeWindow(), [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
