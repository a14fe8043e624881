#include "ui/QtGerman.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace dravel::ui {

QStringList qtGermanFolders() {
    return {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
}

bool loadQtGerman() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : qtGermanFolders()) {
        if (translator->load(kQtGermanCatalog, folder))
            return QCoreApplication::installTranslator(translator);
    }
    delete translator;
    return false;
}

}  // namespace dravel::ui
