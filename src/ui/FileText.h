#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// Both files hold Windows-1252 text: a character outside it would reach
// Kalvor as "?". These keep such characters out of the windows' texts.
namespace dravel::ui {

// A free-text field takes only what the files can hold, whether it is typed,
// pasted or dropped; the rest of an insertion is refused whole.
void acceptOnlyFileText(QLineEdit* field);

// True when the chosen path can be stored; else says in a message which
// characters cannot, and nothing is to be stored.
bool pathFitsTheFiles(QWidget* parent, const QString& path);

}  // namespace dravel::ui
