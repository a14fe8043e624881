#include <stdexcept>

#include "app/Hauptfenster.h"
#include "app/ui_Hauptfenster.h"
#include "config/storage/IniFile.h"
#include "config/summary/Summary.h"
#include "devices/mixer/AudioMixer.h"
#include "devices/mixer/AudioMixerNames.h"
#include "ui/PanelLabel.h"

namespace dravel::app {

// Rebuilds every panel from one read of Prog.ini, in the panels' order. A
// stored time that is not a time of day stops it before the schedule panel,
// whose text stays as it was; the error guard shows the message.
void TMain::Zusammenfassung() {
    const dravel::config::IniFile settings(settingsPath());
    dravel::devices::AudioMixerNames mixerNames(*Mixer);
    const dravel::config::SummaryTexts texts = dravel::config::buildSummary(settings, mixerNames);
    const auto text = [](const std::string& utf8) { return QString::fromStdString(utf8); };

    ui->Abspielen->setVisible(texts.playButtonVisible);
    if (texts.soundPath) ui->pfad->setText(text(*texts.soundPath));
    ui->Datei->setPanelText(text(texts.soundFile));
    ui->SoundPin->setPanelText(text(texts.soundPin));
    ui->Port_name->setText(text(texts.portName));
    ui->Port_info->setPanelText(text(texts.portInfo));
    ui->Port_info->adjustSize();  // the port label is sized to its text
    for (std::size_t pin = 0; pin < texts.pins.size(); ++pin) {
        const QString name = QStringLiteral("Pin%1").arg(pin);
        findChild<dravel::ui::PanelLabel*>(name)->setPanelText(text(texts.pins[pin]));
    }
    ui->ProgInfo->setPanelText(text(texts.programInfo));
    ui->Laut->setPanelText(text(texts.volume));
    if (texts.scheduleError) throw std::runtime_error(*texts.scheduleError);
    ui->Funktionspr->setPanelText(text(*texts.schedule));
}

}  // namespace dravel::app
