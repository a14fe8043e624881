#pragma once

#include <QString>

class QWidget;

namespace dravel::ui {

// The program's file dialogs. Filters are written as Qt writes them,
// "WAV Dateien (*.wav);;MP3 Dateien (*mp3)": each entry is shown exactly as
// written and matches the pattern in its last parentheses. The dialogs keep
// nothing of their own: no folder history, nothing in the registry or in a
// settings file. Each returns the chosen path, empty when cancelled.

// A file to read, starting in `folder`.
QString askOpenFileName(QWidget* parent, const QString& title, const QString& filter,
                        const QString& folder);

// A file to write, offering `suggestedPath` (folder and name); the first
// filter's extension is added to a name typed without one.
QString askSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                        const QString& suggestedPath);

// Where a file-open dialog starts: the folder of the current value (a file or
// folder that exists), else the program folder.
QString openDialogFolder(const QString& currentValue);

// Where a save dialog suggests to write: the folder the user last saved into
// during this run, else the user's documents folder, with the file name given.
QString saveDialogSuggestion(const QString& fileName);
// Remembers the folder of a path the user chose to save to.
void rememberSaveFolder(const QString& chosenPath);

// The pattern of one filter entry: "*.wav" of "WAV Dateien (*.wav)".
QString filterPattern(const QString& entry);

}  // namespace dravel::ui
