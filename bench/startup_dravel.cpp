// Starts like the program and ends as soon as the main window is shown, so
// that a whole-process timer measures a cold start to the shown window.
#include "app/DravelApplication.h"
#include "app/Hauptfenster.h"
#include "StartupExit.h"

int main(int argc, char** argv) {
    DravelApplication app(argc, argv);
    TMain window;
    if (!window.start()) return 1;
    window.show();
    exitOnceShown(window);
}
