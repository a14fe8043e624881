#pragma once

#include <QString>

class QWidget;

namespace dravel::ui {

// Plays a sound file in the background; when it cannot be played, says so
// with «Datei "<path>" nicht gefunden». Previews overlap; none is stopped.
void playSoundPreview(QWidget* parent, const QString& path);

}  // namespace dravel::ui
