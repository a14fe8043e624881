#include "ui/SoundPreview.h"

#include "devices/sound/SoundLibrary.h"
#include "ui/MessageBoxes.h"
#include "ui/Text.h"

namespace dravel::ui {

void playSoundPreview(QWidget* parent, const QString& path) {
    auto& sound = devices::soundLibrary();
    const uint32_t stream = sound.StreamCreateFile(toStdString(path));
    if (!sound.ChannelPlay(stream, false))
        MessageBoxes::plain(
            parent, QStringLiteral("Datei \"") + path + QStringLiteral("\" nicht gefunden"));
}

}  // namespace dravel::ui
