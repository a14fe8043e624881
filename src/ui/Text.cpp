#include "ui/Text.h"

#include "config/summary/LineBreak.h"

namespace dravel::ui {

QString displayText(const QString& text) {
    QString shown = text;
    shown.replace(toQString(std::string(config::kLineBreak)), QStringLiteral("\n"));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

}  // namespace dravel::ui
