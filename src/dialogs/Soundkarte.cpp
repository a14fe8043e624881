#include "dialogs/Soundkarte.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <initializer_list>

#include "config/settings/VolumeScale.h"
#include "devices/mixer/AudioMixer.h"
#include "dialogs/ui_Soundkarte.h"
#include "ui/ErrorGuard.h"
#include "ui/MessageBoxes.h"
#include "ui/Selectors.h"
#include "ui/Text.h"

using dravel::devices::TAudioMixer;
using dravel::ui::connectGuarded;
using dravel::ui::MessageBoxes;
using dravel::ui::RadioGroup;
using dravel::ui::selectedIndex;
using dravel::ui::selectStoredIndex;

namespace dravel::dialogs {

namespace {
constexpr int kOuterWidth = 531;
constexpr int kOuterHeight = 442;

constexpr int kAfterSecondsItem = 1;
constexpr int kWithPinItem = 2;
constexpr int kEndLevelItem = 2;

// The gap over which the seconds field lies.
const QString kSecondsGap(21, QLatin1Char(' '));

MixerFactory& mixerFactory() {
    static MixerFactory factory;
    return factory;
}

std::unique_ptr<TAudioMixer> makeMixer() {
    return mixerFactory() ? mixerFactory()() : std::make_unique<TAudioMixer>();
}

// A stored item below the first selects none, one beyond the last the last.
int radioItem(const RadioGroup* group, int stored) {
    return stored < 0 ? -1 : std::min(stored, static_cast<int>(group->items().size()) - 1);
}

}  // namespace

MixerFactory replaceMixerFactory(MixerFactory factory) {
    std::swap(mixerFactory(), factory);
    return factory;
}

TSound::TSound(QWidget* parent)
    : SettingsDialog(parent), ui(std::make_unique<Ui::Sound>()), Mixer(makeMixer()) {
    Mixer->setMixerId(0);
    ui->setupUi(this);
    setOuterSize(kOuterWidth, kOuterHeight);
    ui->ok->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    ui->start->setItems(
        {QStringLiteral("Sofort nach Programmstart"),
         QStringLiteral("Nach") + kSecondsGap + QStringLiteral("Sekunden Wartezeit"),
         QStringLiteral("Wie ComPort Ausgang")});
    ui->ende->setItems({QStringLiteral("Bei Programmende"),
                        QStringLiteral("Nach") + kSecondsGap + QStringLiteral("Sekunden Laufzeit"),
                        QStringLiteral("Wie ComPort Ausgang ")});
    ui->EndLautstarke->setItems({QStringLiteral("Wie vor dem Programmstart"),
                                 QStringLiteral("Stumm Schalten (Mute)"), QStringLiteral(" ")});
    // The overlaid controls must stay above the groups they lie on.
    for (QWidget* overlaid : std::initializer_list<QWidget*>{
             ui->StartSekunden, ui->StartPin, ui->EndSekunden, ui->EndPin, ui->EndLevel})
        overlaid->raise();

    connectGuarded(ui->OnOff, &QCheckBox::toggled, this, &TSound::OnOffClick);
    connectGuarded(ui->start, &RadioGroup::itemSelected, this, &TSound::startClick);
    connectGuarded(ui->ende, &RadioGroup::itemSelected, this, &TSound::endeClick);
    connectGuarded(ui->EndLautstarke, &RadioGroup::itemSelected, this, &TSound::EndLautstarkeClick);
    connectGuarded(ui->Soundkarte, &QComboBox::activated, this, &TSound::SoundkarteChange);
    connectGuarded(ui->Soundkarte->lineEdit(), &QLineEdit::textEdited, this,
                   &TSound::SoundkarteChange);
    connectGuarded(ui->StartPin, &QComboBox::activated, this, &TSound::StartPinChange);
    connectGuarded(ui->EndPin, &QComboBox::activated, this, &TSound::EndPinChange);
    connect(ui->ok, &QPushButton::clicked, this, &TSound::accept);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TSound::reject);
    FormCreate();
}

TSound::~TSound() = default;

void TSound::FormCreate() {
    for (int id = 0; id < Mixer->deviceCount(); ++id)
        ui->Soundkarte->addItem(dravel::ui::toQString(Mixer->productNameOf(id)));
    if (ui->Soundkarte->count() > 0) {
        ui->Soundkarte->setCurrentIndex(0);
        SoundkarteChange();
    }
    OnOffClick();
}

void TSound::setValues(const Values& values) {
    ui->OnOff->setChecked(values.onOff);
    if (values.card >= 0 && values.card < ui->Soundkarte->count()) {
        ui->Soundkarte->setCurrentIndex(values.card);
        SoundkarteChange();
    }
    selectStoredIndex(ui->Eingang, values.input);
    ui->start->setItemIndex(radioItem(ui->start, values.start));
    ui->StartSekunden->setValue(values.startTime);
    ui->EndSekunden->setValue(values.endTime);
    ui->ende->setItemIndex(radioItem(ui->ende, values.end));
    selectStoredIndex(ui->StartPin, values.pin);
    selectStoredIndex(ui->EndPin, values.pin);
    ui->EndLautstarke->setItemIndex(radioItem(ui->EndLautstarke, values.endVolumeMode));
    ui->StartLevel->setValue(dravel::config::storedToPercent(values.startVolume));
    ui->EndLevel->setValue(dravel::config::storedToPercent(values.endVolume));
}

TSound::Values TSound::values() const {
    Values v;
    v.onOff = ui->OnOff->isChecked();
    v.card = selectedIndex(ui->Soundkarte);
    v.input = selectedIndex(ui->Eingang);
    v.start = ui->start->itemIndex();
    v.end = ui->ende->itemIndex();
    v.startTime = ui->StartSekunden->value();
    v.endTime = ui->EndSekunden->value();
    v.pin = ui->StartPin->currentIndex();  // EndPin always shows the same pin
    v.endVolumeMode = ui->EndLautstarke->itemIndex();
    v.startVolume = dravel::config::percentToStored(ui->StartLevel->value());
    v.endVolume = dravel::config::percentToStored(ui->EndLevel->value());
    return v;
}

// Typed text selects no card and keeps the device; the input list is read
// anew from the device selected now.
void TSound::SoundkarteChange() {
    const int card = selectedIndex(ui->Soundkarte);
    if (card >= 0 && card < Mixer->deviceCount()) Mixer->setMixerId(card);
    if (Mixer->deviceCount() < 1) {
        MessageBoxes::error(this, QStringLiteral("No mixer present in the system !"),
                            QStringLiteral("Fehler"));
        return;
    }
    ui->Eingang->clear();
    for (const std::string& name : Mixer->inputNames())
        ui->Eingang->addItem(dravel::ui::toQString(name));
    if (ui->Eingang->count() > 0) ui->Eingang->setCurrentIndex(0);
}

// The frames and their captions stay enabled; everything that holds a value
// follows OnOff.
void TSound::OnOffClick() {
    const bool on = ui->OnOff->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->start, ui->ende, ui->EndLautstarke, ui->StartSekunden, ui->EndSekunden,
             ui->StartLevel, ui->EndLevel, ui->Soundkarte, ui->Eingang, ui->StartPin, ui->EndPin})
        w->setEnabled(on);
    EndLautstarkeClick();
    startClick();
    endeClick();
}

void TSound::startClick() {
    const bool on = ui->OnOff->isChecked();
    ui->StartSekunden->setEnabled(on && ui->start->itemIndex() == kAfterSecondsItem);
    ui->StartPin->setEnabled(on && ui->start->itemIndex() == kWithPinItem);
}

void TSound::endeClick() {
    const bool on = ui->OnOff->isChecked();
    ui->EndSekunden->setEnabled(on && ui->ende->itemIndex() == kAfterSecondsItem);
    ui->EndPin->setEnabled(on && ui->ende->itemIndex() == kWithPinItem);
}

void TSound::EndLautstarkeClick() {
    ui->EndLevel->setEnabled(ui->OnOff->isChecked() &&
                             ui->EndLautstarke->itemIndex() == kEndLevelItem);
}

// One pin serves start and end, so the two selectors always agree.
void TSound::StartPinChange() {
    ui->EndPin->setCurrentIndex(ui->StartPin->currentIndex());
}

void TSound::EndPinChange() {
    ui->StartPin->setCurrentIndex(ui->EndPin->currentIndex());
}

}  // namespace dravel::dialogs
