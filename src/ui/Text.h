#pragma once

#include <QString>
#include <string>

namespace dravel::ui {

// The logic speaks UTF-8 std::string, the widgets QString.
inline QString toQString(const std::string& utf8) {
    return QString::fromStdString(utf8);
}
inline std::string toStdString(const QString& text) {
    return text.toStdString();
}

// Panel texts and messages break lines with LF followed by CR; widgets show
// that pair (and any lone CR) as one line break without changing the text.
QString displayText(const QString& text);

}  // namespace dravel::ui
