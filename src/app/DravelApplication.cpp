#include "app/DravelApplication.h"

#include "app/ProgramIcon.h"
#include "ui/ErrorGuard.h"
#include "ui/ProgramFont.h"
#include "ui/ProgramStyle.h"
#include "ui/QtGerman.h"

namespace dravel::app {

DravelApplication::DravelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Dravel"));
    dravel::ui::useProgramStyle();
    dravel::ui::useProgramFont();
    dravel::ui::loadQtGerman();
    useProgramIcon();
}

bool DravelApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    dravel::ui::guarded(activeWindow(), [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace dravel::app
