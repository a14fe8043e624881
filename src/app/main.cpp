#include "app/DravelApplication.h"
#include "app/Hauptfenster.h"

int main(int argc, char** argv) {
    DravelApplication app(argc, argv);
    return runDravel();
}
