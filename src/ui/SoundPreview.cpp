#include "ui/SoundPreview.h"

#include <utility>

#include "devices/sound/SoundLibrary.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBoxes.h"
#include "ui/Text.h"

namespace dravel::ui {
namespace {

SoundFileChooser& soundFileChooser() {
    static SoundFileChooser chooser;
    return chooser;
}

}  // namespace

void playSoundPreview(QWidget* parent, const QString& path) {
    auto& sound = devices::soundLibrary();
    const uint32_t stream = sound.StreamCreateFile(toStdString(path));
    if (!sound.ChannelPlay(stream, false))
        MessageBoxes::plain(
            parent, QStringLiteral("Datei \"") + path + QStringLiteral("\" nicht gefunden"));
}

QString chooseSoundFile(QWidget* parent, const QString& filter, const QString& start) {
    if (soundFileChooser()) return soundFileChooser()(parent, filter, start);
    return askOpenFileName(parent, QString(), filter, openDialogFolder(start));
}

SoundFileChooser replaceSoundFileChooser(SoundFileChooser chooser) {
    return std::exchange(soundFileChooser(), std::move(chooser));
}

}  // namespace dravel::ui
