#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace dravel::ui {

// Plays a sound file in the background; when it cannot be played, says so
// with «Datei "<path>" nicht gefunden». Previews overlap; none is stopped.
void playSoundPreview(QWidget* parent, const QString& path);

// Asks the user for a sound file with the file-open dialog: the parent
// window, the filter and the current value (a file, possibly missing, or
// empty), whose folder the dialog starts in (else the program folder).
// Returns the chosen path, empty when cancelled.
QString chooseSoundFile(QWidget* parent, const QString& filter, const QString& start);

// Tests put a stand-in for the file-open dialog in; hands back what was
// there. Empty puts the dialog back.
using SoundFileChooser =
    std::function<QString(QWidget* parent, const QString& filter, const QString& start)>;
SoundFileChooser replaceSoundFileChooser(SoundFileChooser chooser);

}  // namespace dravel::ui
