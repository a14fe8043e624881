#pragma once

#include <functional>
#include <memory>

#include "config/settings/FunkSettings.h"
#include "ui/SettingsDialog.h"

namespace Ui {
class Sound;
}
namespace dravel::devices {
class TAudioMixer;
}

namespace dravel::dialogs {

// The radio playback regulation: whether the alarm program raises the
// playback volume of one input of a sound card, on which card and input, when
// it starts and ends and at which volumes. The cards and inputs come from the
// dialog's own mixer component, created with it on device 0.
class TSound : public dravel::ui::SettingsDialog {
    Q_OBJECT
public:
    using Values = dravel::config::FunkSettings;

    explicit TSound(QWidget* parent = nullptr);
    ~TSound() override;

    // Sets the controls in the order they are read, so the enabling rules and
    // the input list follow as they load.
    void setValues(const Values& values);
    Values values() const;

private:
    void FormCreate();
    void SoundkarteChange();
    void OnOffClick();
    void startClick();
    void endeClick();
    void EndLautstarkeClick();
    void StartPinChange();
    void EndPinChange();

    std::unique_ptr<Ui::Sound> ui;
    std::unique_ptr<dravel::devices::TAudioMixer> Mixer;
};

// How a new radio playback dialog makes its mixer component.
using MixerFactory = std::function<std::unique_ptr<dravel::devices::TAudioMixer>()>;

// Tests put a stand-in in (a mixer over a simulated driver); hands back what
// was there. Empty puts the platform's mixer back.
MixerFactory replaceMixerFactory(MixerFactory factory);

}  // namespace dravel::dialogs
