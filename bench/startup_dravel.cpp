// Starts like the program and ends as soon as the main window is shown, so
// that a whole-process timer measures a cold start to the shown window.
#include "StartupExit.h"
#include "app/DravelApplication.h"
#include "app/Hauptfenster.h"

using dravel::app::DravelApplication;
using dravel::app::TMain;

int main(int argc, char** argv) {
    DravelApplication app(argc, argv);
    TMain window;
    if (!window.start()) return 1;
    window.show();
    exitOnceShown(window);
}
