#include "app/DravelApplication.h"
#include "app/Hauptfenster.h"

using dravel::app::DravelApplication;
using dravel::app::runDravel;

int main(int argc, char** argv) {
    DravelApplication app(argc, argv);
    return runDravel();
}
