// The yardstick for the start-up time: an empty Qt 6 main window, shown the
// same way as the program's own.
#include <QApplication>
#include <QMainWindow>

#include "StartupExit.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(680, 591);
    window.show();
    exitOnceShown(window);
}
