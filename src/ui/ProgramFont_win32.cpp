#include <QCoreApplication>
#include <QFontDatabase>

#include "ui/ProgramFont.h"

namespace dravel::ui {

// Windows keeps "MS Sans Serif" as a bitmap font that Qt does not list, and
// Wine has none for Qt at all: the zip carries the bitmap font of Debian's
// fonts-wine (the one the Linux build loads) in "fonts" beside the program.
void loadStandInFonts() {
    if (QFontDatabase::families().contains(kProgramFontFamily, Qt::CaseInsensitive)) return;
    QFontDatabase::addApplicationFont(QCoreApplication::applicationDirPath() +
                                      QStringLiteral("/fonts/ms_sans_serif.ttf"));
}

}  // namespace dravel::ui
