#include <QCoreApplication>
#include <QFontDatabase>

#include "ui/ProgramFont.h"

namespace dravel::ui {

// Wine offers Qt no "MS Sans Serif": the zip carries the font of Debian's
// fonts-wine that the Linux build loads, its bitmaps turned into outlines
// (Windows draws no bitmap-only TrueType font), in "fonts" beside the
// program.
void loadStandInFonts() {
    if (QFontDatabase::families().contains(kProgramFontFamily, Qt::CaseInsensitive)) return;
    QFontDatabase::addApplicationFont(QCoreApplication::applicationDirPath() +
                                      QStringLiteral("/fonts/ms_sans_serif.ttf"));
}

}  // namespace dravel::ui
