#pragma once

#include <QIcon>

namespace dravel::app {

// Dravel's own icon, in the sizes the system draws window icons at: on Windows
// the frames of the executable's icon resource IDI_ICON1, elsewhere the same
// icon file built into the program.
QIcon programIcon();

// Every window of the application shows that icon (title bar, task bar,
// Alt+Tab), message boxes and file dialogs included.
void useProgramIcon();

}  // namespace dravel::app
