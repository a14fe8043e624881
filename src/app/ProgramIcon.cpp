#include "app/ProgramIcon.h"

#include <QApplication>

namespace dravel::app {

void useProgramIcon() {
    QApplication::setWindowIcon(programIcon());
}

}  // namespace dravel::app
