#include "ui/FileText.h"

#include <QDir>
#include <QLineEdit>
#include <QStringList>
#include <QValidator>

#include "config/storage/Cp1252.h"
#include "ui/MessageBoxes.h"
#include "ui/Text.h"

namespace dravel::ui {

namespace {

QStringList charactersOutside(const QString& text) {
    QStringList found;
    for (const std::string& c : config::charactersOutsideCp1252(toStdString(text)))
        found << toQString(c);
    return found;
}

// QLineEdit checks every insertion (keys, paste, drop, input method) with it.
class FileTextValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& text, int&) const override {
        return charactersOutside(text).isEmpty() ? Acceptable : Invalid;
    }
};

}  // namespace

void acceptOnlyFileText(QLineEdit* field) {
    field->setValidator(new FileTextValidator(field));
}

bool pathFitsTheFiles(QWidget* parent, const QString& path) {
    const QStringList outside = charactersOutside(path);
    if (outside.isEmpty()) return true;
    MessageBoxes::plain(parent, QStringLiteral("Der Pfad \"") + QDir::toNativeSeparators(path) +
                                    QStringLiteral("\" enthält Zeichen, die Kalvor nicht lesen "
                                                   "kann: ") +
                                    outside.join(QStringLiteral(", ")) +
                                    QStringLiteral(".\n\rDie Datei wird nicht übernommen. Bitte "
                                                   "die Datei umbenennen oder in einen anderen "
                                                   "Ordner legen."));
    return false;
}

}  // namespace dravel::ui
