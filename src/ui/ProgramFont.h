#pragma once

#include <QString>

namespace dravel::ui {

// The alarm program's windows are laid out for "MS Sans Serif" at 8 points;
// their captions leave blank runs under overlaid controls that line up only
// in that font's widths.
inline const QString kProgramFontFamily = QStringLiteral("MS Sans Serif");
constexpr int kProgramFontPoints = 8;

// Gives the application that font. Where the system lacks it, the bitmap
// "MS Sans Serif" of Debian's fonts-wine stands in (the same widths), and
// without that package Liberation Sans, the closest in width.
void useProgramFont();

// Per platform: makes the stand-in font files known to the application.
void loadStandInFonts();

}  // namespace dravel::ui
