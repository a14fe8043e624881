// Starts like the program and quits as soon as the main window was shown,
// so that a whole-process timer measures a cold start to the shown window.
#include <QTimer>

#include "app/DravelApplication.h"
#include "app/Hauptfenster.h"

int main(int argc, char** argv) {
    DravelApplication app(argc, argv);
    TMain window;
    if (!window.start()) return 1;
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return DravelApplication::exec();
}
