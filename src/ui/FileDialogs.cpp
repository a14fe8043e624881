#include "ui/FileDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "devices/system/ProgramDirectory.h"
#include "ui/Text.h"

namespace dravel::ui {
namespace {

QString& lastSaveFolder() {
    static QString folder;
    return folder;
}

}  // namespace

QString openDialogFolder(const QString& currentValue) {
    if (!currentValue.trimmed().isEmpty()) {
        const QFileInfo current(QDir::fromNativeSeparators(currentValue));
        if (current.isDir()) return current.absoluteFilePath();
        if (current.absoluteDir().exists()) return current.absolutePath();
    }
    return toQString(devices::programDirectory());
}

QString saveDialogSuggestion(const QString& fileName) {
    QString folder = lastSaveFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(folder).filePath(fileName);
}

void rememberSaveFolder(const QString& chosenPath) {
    if (!chosenPath.isEmpty())
        lastSaveFolder() = QFileInfo(QDir::fromNativeSeparators(chosenPath)).absolutePath();
}

QString filterPattern(const QString& entry) {
    const qsizetype open = entry.lastIndexOf(u'(');
    const qsizetype close = open < 0 ? -1 : entry.indexOf(u')', open);
    if (close < 0) return QStringLiteral("*");
    return entry.mid(open + 1, close - open - 1).trimmed();
}

}  // namespace dravel::ui
