#include "dialogs/ComPort.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <initializer_list>
#include <limits>

#include "config/summary/LineBreak.h"
#include "devices/system/ProgramDirectory.h"
#include "dialogs/Bedingung.h"
#include "dialogs/ui_ComPort.h"
#include "ui/ErrorGuard.h"
#include "ui/FileText.h"
#include "ui/MessageBoxes.h"
#include "ui/Selectors.h"
#include "ui/Text.h"

using dravel::config::PinRecord;
using dravel::ui::connectGuarded;
using dravel::ui::MessageBoxes;

namespace dravel::dialogs {

namespace {
constexpr int kOuterWidth = 513;
constexpr int kOuterHeight = 460;

// The spin field of item 0 covers this run of blanks.
constexpr int kWaitFieldBlanks = 25;

const QString kLineBreak = ui::toQString(std::string(config::kLineBreak));

QLineEdit* editorOf(QSpinBox* box) {
    return box->findChild<QLineEdit*>();
}
}  // namespace

TPort::TPort(QWidget* parent) : SettingsDialog(parent), ui(std::make_unique<Ui::Port>()) {
    ui->setupUi(this);
    setOuterSize(kOuterWidth, kOuterHeight);
    ui->ok->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    ui->Bemerkung->setMaxLength(std::numeric_limits<int>::max());
    dravel::ui::acceptOnlyFileText(ui->Bemerkung);
    for (QLabel* label : {ui->Label1, ui->Label2}) label->adjustSize();  // sized to their text
    ui->Start->setItems({QStringLiteral("Begin nach") +
                             QString(kWaitFieldBlanks, QLatin1Char(' ')) +
                             QStringLiteral("Sec Wartezeit"),
                         QStringLiteral("Nur bei bestimmten Schleife, RICS oder FMS")});
    ui->Start->setItemIndex(PinRecord::AfterWait);
    ui->Port_pin->setCurrentIndex(-1);

    ui->PortFehlt->hide();
    connectGuarded(ui->Porties, &QComboBox::currentTextChanged, this, &TPort::notePortMissing);
    connectGuarded(ui->Port_pin, &QComboBox::activated, this, &TPort::Port_pinActivated);
    connectGuarded(ui->Pin_aktiv, &QCheckBox::toggled, this, &TPort::Pin_aktivClick);
    connectGuarded(ui->Bemerkung, &QLineEdit::textChanged, this, &TPort::Pin_geandert);
    for (QSpinBox* seconds : {ui->Warten, ui->Dauer}) {
        connectGuarded(seconds, &QSpinBox::valueChanged, this, &TPort::Pin_geandert);
        // Typing that is no number yet changes no value, but it is an edit.
        connectGuarded(editorOf(seconds), &QLineEdit::textEdited, this, &TPort::Pin_geandert);
    }
    connectGuarded(ui->Start, &dravel::ui::RadioGroup::itemSelected, this, &TPort::StartClick);
    connectGuarded(ui->Pin_save, &QPushButton::clicked, this, &TPort::Pin_saveClick);
    connectGuarded(ui->Button2, &QPushButton::clicked, this, &TPort::Button2Click);
    connectGuarded(ui->Bed_liste, &QPushButton::clicked, this, &TPort::Bed_listeClick);
    connectGuarded(ui->ok, &QPushButton::clicked, this, &TPort::okClick);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TPort::reject);
}

TPort::~TPort() = default;

void TPort::fillPorts(const QString& currentPortName) {
    showPorts(dravel::ui::serialPortNames(), currentPortName);
}

// A port that is not listed (a USB adapter not plugged in) stays the setting:
// it gets an item of its own, marked, that carries its bare name.
void TPort::showPorts(const QStringList& ports, const QString& portName) {
    ui->Porties->clear();
    ui->Porties->addItems(ports);
    int index = ui->Porties->findText(portName);
    if (index < 0 && !portName.isEmpty()) {
        ui->Porties->addItem(portName + QStringLiteral(" (nicht angeschlossen)"), portName);
        index = ui->Porties->count() - 1;
    }
    ui->Porties->setCurrentIndex(index);
    notePortMissing();
}

// The bare name of a marked item; else the field's text as shown.
QString TPort::portName() const {
    const int index = ui->Porties->currentIndex();
    const QVariant bareName = index >= 0 ? ui->Porties->itemData(index) : QVariant();
    if (bareName.isValid() && ui->Porties->currentText() == ui->Porties->itemText(index))
        return bareName.toString();
    return ui->Porties->currentText();
}

void TPort::notePortMissing() {
    const QString name = portName();
    const bool missing = name != ui->Porties->currentText();
    ui->PortFehlt->setText(QStringLiteral("Der gespeicherte Port ") + name +
                           QStringLiteral(" ist nicht angeschlossen."));
    ui->PortFehlt->setVisible(missing);
}

void TPort::setValues(const Values& values) {
    pins_ = values.pins;
}

TPort::Values TPort::values() const {
    return {pins_, dravel::ui::toStdString(portName())};
}

// Picking the pin already shown is no change: it asks nothing and keeps the
// edits.
void TPort::Port_pinActivated(int pin) {
    if (pin != loadedPin_) Port_pinChange();
}

// Choosing a pin first offers to keep the edits of the pin shown so far.
void TPort::Port_pinChange() {
    const int pin = ui->Port_pin->currentIndex();
    if (pin < 0) return;
    ui->Pin_aktiv->setEnabled(true);
    if (changed() && loadedPin_ >= 0) {
        const QString question = QStringLiteral("Die Einstellungen von ") + pinCaption(loadedPin_) +
                                 QStringLiteral(" wurden geändert, aber nicht übernommen.") +
                                 kLineBreak +
                                 QStringLiteral("Soll diese Änderung übernommen werden?");
        if (MessageBoxes::confirm(this, question)) {
            Pin_saveClick();  // stores, then comes back here for the chosen pin
            return;
        }
        // "Nein" drops the edits: loading the chosen pin replaces them.
    }
    loadPin(pin);
}

// Copies the pin's record into the editor. The copying runs the change
// handlers, which mark the editor changed; loaded values are no edit.
void TPort::loadPin(int pin) {
    noteSoundPin(pin);
    const PinRecord& p = record(pin);
    ui->Bemerkung->setText(dravel::ui::toQString(p.description));
    ui->Warten->setValue(p.wait);
    ui->Dauer->setValue(p.duration);
    ui->Start->setItemIndex(p.startMode < 0 ? -1
                                            : std::min<int>(p.startMode, PinRecord::OnCondition));
    ui->Pin_aktiv->setChecked(p.active);
    setChanged(false);
    loadedPin_ = pin;
    applyEnablingRules();
}

// The alarm program switches this pin for the sound already; the times set
// here run alongside.
void TPort::noteSoundPin(int pin) {
    const dravel::config::IniFile ini(
        dravel::config::settingsFilePath(dravel::devices::programDirectory()));
    if (!dravel::config::pinSwitchedBySound(ini, pin)) return;
    MessageBoxes::information(
        this,
        QStringLiteral("Der ") + pinCaption(pin) +
            QStringLiteral(" wird bereits für die Spielzeit des Sounds angesteuert.") + kLineBreak +
            QStringLiteral(
                "Die die hier eingestellten Zeiten laufen Paralell zur Sound-Ansteuerungszeit."));
}

void TPort::Pin_aktivClick() {
    setChanged(true);
    ui->Pin_save->setEnabled(true);
    const bool on = ui->Pin_aktiv->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->Bemerkung, ui->Warten, ui->Dauer, ui->Start})
        w->setEnabled(on);
    if (on)
        StartClick();
    else
        ui->Bed_liste->setEnabled(false);
}

void TPort::Pin_geandert() {
    setChanged(true);
    ui->Pin_save->setEnabled(true);
}

// A pin started by the condition list has no wait time but a list to edit.
void TPort::StartClick() {
    const bool onCondition = ui->Start->itemIndex() == PinRecord::OnCondition;
    ui->Bed_liste->setEnabled(onCondition);
    ui->Warten->setEnabled(!onCondition);
    Pin_geandert();
}

void TPort::Pin_saveClick() {
    if (loadedPin_ < 0) return;
    PinRecord& p = record(loadedPin_);
    p.description = dravel::config::cutDescription(dravel::ui::toStdString(ui->Bemerkung->text()));
    p.wait = ui->Warten->value();
    p.duration = ui->Dauer->value();
    p.active = ui->Pin_aktiv->isChecked();
    p.startMode = ui->Start->itemIndex();
    setChanged(false);
    ui->Pin_save->setEnabled(false);
    Port_pinChange();
}

// The port stays chosen even when it is no longer listed.
void TPort::Button2Click() {
    showPorts(dravel::ui::serialPortNames(), portName());
}

// The condition list saves itself; nothing here changes.
void TPort::Bed_listeClick() {
    TBedingungen(this).exec();
}

// "Übernehmen" never loses the pin being edited.
void TPort::okClick() {
    Pin_saveClick();
    accept();
}

void TPort::applyEnablingRules() {
    const bool on = ui->Pin_aktiv->isChecked();
    const bool onCondition = ui->Start->itemIndex() == PinRecord::OnCondition;
    ui->Pin_aktiv->setEnabled(true);
    for (QWidget* w : std::initializer_list<QWidget*>{ui->Bemerkung, ui->Start, ui->Dauer})
        w->setEnabled(on);
    ui->Warten->setEnabled(on && !onCondition);
    ui->Bed_liste->setEnabled(on && onCondition);
}

void TPort::setChanged(bool changed) {
    ui->Pin_Anders->setChecked(changed);
}

bool TPort::changed() const {
    return ui->Pin_Anders->isChecked();
}

QString TPort::pinCaption(int pin) const {
    return ui->Port_pin->itemText(pin);
}

PinRecord& TPort::record(int pin) {
    return pins_[static_cast<std::size_t>(pin)];
}

}  // namespace dravel::dialogs
