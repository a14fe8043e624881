#pragma once

#include <QString>
#include <QStringList>

namespace dravel::ui {

// Qt's own windows (file dialogs, the print dialog, standard buttons) come in
// English; the program speaks German, so they are given Qt's German texts.
inline const QString kQtGermanCatalog = QStringLiteral("qtbase_de");

// Where the catalog is looked for: "translations" beside the program (the
// Windows zip packs it there), then Qt's own folder (Debian's
// qt6-translations-l10n on Linux).
QStringList qtGermanFolders();

// Installs the catalog into the application; false when none was found, and
// Qt's windows then stay English.
bool loadQtGerman();

}  // namespace dravel::ui
