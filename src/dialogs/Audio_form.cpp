#include "dialogs/Audio_form.h"

#include <QDir>
#include <QStyle>
#include <initializer_list>
#include <utility>

#include "config/storage/FileNamePart.h"
#include "dialogs/ui_Audio_form.h"
#include "ui/ErrorGuard.h"
#include "ui/FileText.h"
#include "ui/SoundPreview.h"
#include "ui/Text.h"

using dravel::ui::connectGuarded;

namespace dravel::dialogs {

namespace {
constexpr int kOuterWidth = 375;
constexpr int kOuterHeight = 384;

const QString kWavFilter = QStringLiteral("WAV Dateien (*.wav)");

QString fileNamePart(const QString& path) {
    const std::string utf8 = dravel::ui::toStdString(path);
    return dravel::ui::toQString(
        std::string(dravel::config::fileNamePart(utf8, dravel::config::kPathOrDriveSeparators)));
}
}  // namespace

TAudio::TAudio(QWidget* parent) : SettingsDialog(parent), ui(std::make_unique<Ui::Audio>()) {
    ui->setupUi(this);
    setOuterSize(kOuterWidth, kOuterHeight);
    ui->Abspielen->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ui->Zeit_uebernehmen->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    ui->Port_pin->setCurrentIndex(-1);

    connectGuarded(ui->PlaySound, &QCheckBox::toggled, this, &TAudio::PlaySoundClick);
    connectGuarded(ui->Verzoegern, &QCheckBox::toggled, this, &TAudio::VerzoegernClick);
    connectGuarded(ui->Pin_ansteuern, &QCheckBox::toggled, this, &TAudio::Pin_ansteuernClick);
    connectGuarded(ui->andern, &QPushButton::clicked, this, &TAudio::andernClick);
    connectGuarded(ui->Abspielen, &QToolButton::clicked, this, &TAudio::AbspielenClick);
    connect(ui->Zeit_uebernehmen, &QPushButton::clicked, this, &TAudio::accept);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TAudio::reject);
}

TAudio::~TAudio() = default;

void TAudio::setValues(const Values& values) {
    ui->PlaySound->setChecked(values.play);
    ui->Pfad->setText(dravel::ui::toQString(values.path));
    ui->Verzoegern->setChecked(values.wait);
    ui->verzoeger_zeit->setValue(values.waitTime);
    ui->Pin_ansteuern->setChecked(values.switchPin);
    const bool knownPin =
        values.switchPinIndex >= 0 && values.switchPinIndex < ui->Port_pin->count();
    ui->Port_pin->setCurrentIndex(knownPin ? values.switchPinIndex : -1);
    PlaySoundClick();
    showFileName();
}

TAudio::Values TAudio::values() const {
    Values v;
    v.play = ui->PlaySound->isChecked();
    v.path = dravel::ui::toStdString(ui->Pfad->text());
    v.wait = ui->Verzoegern->isChecked();
    v.waitTime = ui->verzoeger_zeit->value();
    v.switchPin = ui->Pin_ansteuern->isChecked();
    v.switchPinIndex = ui->Port_pin->currentIndex();
    return v;
}

// Everything of the sound follows "Sound Abspielen" alone, whatever the two
// inner boxes say.
void TAudio::PlaySoundClick() {
    const bool on = ui->PlaySound->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->Abspielen, ui->andern, ui->Verzoegern,
                                         ui->verzoeger_zeit, ui->Pin_ansteuern, ui->Port_pin})
        w->setEnabled(on);
}

void TAudio::VerzoegernClick() {
    ui->verzoeger_zeit->setEnabled(ui->Verzoegern->isChecked());
}

void TAudio::Pin_ansteuernClick() {
    ui->Port_pin->setEnabled(ui->Pin_ansteuern->isChecked());
}

// The file dialog starts in the folder of the current file (also one chosen
// before in this opening), not wherever a shortcut set the working folder.
void TAudio::andernClick() {
    const QString chosen = dravel::ui::chooseSoundFile(this, kWavFilter, ui->Pfad->text());
    if (!chosen.isEmpty() && dravel::ui::pathFitsTheFiles(this, chosen))
        ui->Pfad->setText(QDir::toNativeSeparators(chosen));
    showFileName();
}

void TAudio::AbspielenClick() {
    dravel::ui::playSoundPreview(this, ui->Pfad->text());
}

void TAudio::showFileName() {
    const QString path = ui->Pfad->text();
    ui->Datei->setText(fileNamePart(path));
    ui->Datei->setToolTip(path);
}

}  // namespace dravel::dialogs
