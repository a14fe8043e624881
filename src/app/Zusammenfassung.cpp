#include "app/Hauptfenster.h"

// The summary panels keep their initial texts until the summary is built.
void TMain::Zusammenfassung() {}
