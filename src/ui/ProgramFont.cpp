#include "ui/ProgramFont.h"

#include <QApplication>
#include <QFont>

namespace dravel::ui {

void useProgramFont() {
    loadStandInFonts();
    QFont::insertSubstitutions(
        kProgramFontFamily,
        {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
         QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    QApplication::setFont(QFont(kProgramFontFamily, kProgramFontPoints));
}

}  // namespace dravel::ui
