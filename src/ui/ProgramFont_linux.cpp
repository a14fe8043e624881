#include <QFontDatabase>

#include "ui/ProgramFont.h"

namespace dravel::ui {

// Wine's fonts are not in the system's font path; the program loads the one
// it needs from the package (fonts-wine, installed by scripts/install-deps.sh).
void loadStandInFonts() {
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf"));
}

}  // namespace dravel::ui
