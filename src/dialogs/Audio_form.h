#pragma once

#include <QString>
#include <memory>

#include "config/settings/SoundSettings.h"
#include "ui/SettingsDialog.h"

namespace Ui {
class Audio;
}

namespace dravel::dialogs {

// The alarm sound: whether and which WAV file is played, after which delay,
// and which output pin is switched while it plays. The chosen path lives in
// the hidden label Pfad; the label Datei shows its file name.
class TAudio : public dravel::ui::SettingsDialog {
    Q_OBJECT
public:
    using Values = dravel::config::SoundSettings;

    explicit TAudio(QWidget* parent = nullptr);
    ~TAudio() override;

    // Sets the controls in the order they are read, so each box's enabling
    // rule runs as it is loaded; then the rule of "Sound Abspielen" runs once
    // and the file label shows the path.
    void setValues(const Values& values);
    Values values() const;

private:
    void PlaySoundClick();
    void VerzoegernClick();
    void Pin_ansteuernClick();
    void andernClick();
    void AbspielenClick();
    void showFileName();

    std::unique_ptr<Ui::Audio> ui;
};

}  // namespace dravel::dialogs
