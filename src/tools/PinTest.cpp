#include "tools/PinTest.h"

#include <QLineEdit>
#include <QShowEvent>
#include <QTextDocument>
#include <QTextOption>
#include <utility>

#include "devices/serial/ComPort.h"
#include "tools/ui_PinTest.h"
#include "ui/ComLed.h"
#include "ui/ErrorGuard.h"
#include "ui/MessageBoxes.h"
#include "ui/Selectors.h"
#include "ui/Text.h"
#include "ui/WindowGeometry.h"

using dravel::devices::TComPort;
using dravel::ui::connectGuarded;
using dravel::ui::MessageBoxes;
using dravel::ui::TComLed;
using dravel::ui::TLedKind;
using dravel::ui::TLedState;

namespace dravel::tools {

namespace {
constexpr int kOuterWidth = 421;
constexpr int kOuterHeight = 259;

const QString kSwitchOn = QStringLiteral("Einschalten");
const QString kSwitchOff = QStringLiteral("Ausschalten");

const QString kMemoText = QStringLiteral(
    "Die Auswahl des ComPorts \n"
    "wirkt sich nur auf den Test aus \n"
    "und hat keine Auswirkung auf \n"
    "die Einstellungen ");
}  // namespace

TTest::TTest(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::Test>()), ComPort(std::make_unique<TComPort>()) {
    ui->setupUi(this);
    dravel::ui::setFixedDialogFlags(this);
    setModal(true);
    dravel::ui::setOuterSize(this, kOuterWidth, kOuterHeight);
    leds_ = {ui->LED0, ui->LED1, ui->LED2};
    pinButtons_ = {ui->Pin0, ui->Pin1, ui->Pin2};
    ui->PortOpen->SetKind(TLedKind::lkYellowLight);
    for (TComLed* led : leds_) led->SetKind(TLedKind::lkGreenLight);
    ui->Memo1->setPlainText(kMemoText);
    // The four lines are each shown whole, centred, as narrow as the memo is.
    ui->Memo1->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    ui->Memo1->document()->setDocumentMargin(1);
    // Each typed letter tries the name as it stands, so nothing completes it.
    ui->portis->setCompleter(nullptr);
    setUpPort();

    for (int pin = 0; pin < static_cast<int>(pinButtons_.size()); ++pin)
        connect(pinButtons_[pin], &QPushButton::clicked, this,
                [this, pin] { dravel::ui::guarded(this, [this, pin] { schalten(pin); }); });
    connectGuarded(ui->portis, &QComboBox::activated, this, &TTest::portisActivated);
    connectGuarded(ui->portis->lineEdit(), &QLineEdit::textEdited, this, &TTest::portisChange);
    connectGuarded(ui->Aktuell, &QPushButton::clicked, this, &TTest::AktuellClick);
    connect(ui->Button1, &QPushButton::clicked, this, &TTest::accept);

    QWidget::setTabOrder(ui->Pin0, ui->Pin1);
    QWidget::setTabOrder(ui->Pin1, ui->Pin2);
    QWidget::setTabOrder(ui->Pin2, ui->portis);
    QWidget::setTabOrder(ui->portis, ui->Aktuell);
    QWidget::setTabOrder(ui->Aktuell, ui->Button1);
}

// The notifications must not reach the controls while the dialog goes away.
TTest::~TTest() {
    ComPort->OnAfterOpen = nullptr;
    ComPort->OnAfterClose = nullptr;
}

// 9600 baud, 8 data bits, no parity, one stop bit, no handshake: DTR and RTS
// are left to the pin switches.
void TTest::setUpPort() {
    ComPort->SetBaudRate(dravel::devices::TBaudRate::br9600);
    ComPort->SetDataBits(dravel::devices::TDataBits::dbEight);
    ComPort->SetStopBits(dravel::devices::TStopBits::sbOneStopBit);
    ComPort->SetParity({});
    ComPort->SetFlowControl({});
    ComPort->SetEvents(dravel::devices::kAllComEvents);
    ComPort->OnAfterOpen = [this](TComPort&) { ComPortAfterOpen(); };
    ComPort->OnAfterClose = [this](TComPort&) { ComPortAfterClose(); };
}

void TTest::fillPorts() {
    const QStringList names = dravel::ui::serialPortNames();
    ui->portis->clear();
    ui->portis->addItems(names);
}

void TTest::preselectPort(const QString& name) {
    ComPort->SetPort(dravel::ui::toStdString(name));
    ui->portis->setCurrentIndex(ui->portis->findText(name, Qt::MatchFixedString));
}

void TTest::closePort() {
    ComPort->ClosePort();
}

// The port opens once the dialog is up, so a failure is reported over it.
void TTest::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (std::exchange(shown_, true)) return;
    QMetaObject::invokeMethod(
        this, [this] { dravel::ui::guarded(this, [this] { FormActivate(); }); },
        Qt::QueuedConnection);
}

// Opening is tried once, when the dialog is first shown; trying again on
// every activation would repeat the message each time a box closes.
void TTest::FormActivate() {
    if (!isVisible()) return;
    try {
        ComPort->OpenPort();
    } catch (const std::exception&) {
        MessageBoxes::plain(this, QStringLiteral("ComPort \"") +
                                      dravel::ui::toQString(ComPort->Port()) +
                                      QStringLiteral("\" konnte nicht geöffnet werden"));
    }
}

void TTest::ComPortAfterOpen() {
    ui->PortOpen->SetState(TLedState::lsOn);
    for (QPushButton* button : pinButtons_) button->setEnabled(true);
}

void TTest::ComPortAfterClose() {
    ui->PortOpen->SetState(TLedState::lsOff);
    for (std::size_t pin = 0; pin < pinButtons_.size(); ++pin) {
        leds_[pin]->SetState(TLedState::lsOff);
        pinButtons_[pin]->setEnabled(false);
        pinButtons_[pin]->setText(kSwitchOn);
    }
}

// Caption and lamp show the new state before the line is switched, and keep
// it when switching fails.
void TTest::schalten(int pin) {
    const auto index = static_cast<std::size_t>(pin);
    const bool on = leds_[index]->State() == TLedState::lsOff;
    pinButtons_[index]->setText(on ? kSwitchOff : kSwitchOn);
    leds_[index]->SetState(on ? TLedState::lsOn : TLedState::lsOff);
    dravel::devices::switchOutputPin(*ComPort, pin, on);
}

// The old port's lines are left as they are; closing resets the pin rows.
void TTest::portisChange() {
    ComPort->ClosePort();
    ComPort->SetPort(dravel::ui::toStdString(ui->portis->currentText()));
    ComPort->OpenPort();
}

// Leaving the field selects the item that a typed name matches, which the combo box reports as a
// choice; the text did not change by it, and the name was tried as it was typed.
void TTest::portisActivated() {
    if (dravel::ui::toStdString(ui->portis->currentText()) == ComPort->Port()) return;
    portisChange();
}

// New items only: the field's text and the open port stay.
void TTest::AktuellClick() {
    dravel::ui::replaceItemsKeepingText(ui->portis, dravel::ui::serialPortNames());
}

void runOutputTest(QWidget* parent, const QString& currentPortName) {
    TTest dialog(parent);
    dialog.fillPorts();
    dialog.preselectPort(currentPortName);
    dialog.exec();
    dialog.closePort();
}

}  // namespace dravel::tools
