#include "extras/Verdrahtung.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QShowEvent>
#include <chrono>
#include <utility>

#include "devices/serial/ComPort.h"
#include "extras/ExtrasMenu.h"
#include "extras/ReportDocument.h"
#include "extras/ui_Verdrahtung.h"
#include "ui/ComLed.h"
#include "ui/ErrorGuard.h"
#include "ui/MessageBoxes.h"
#include "ui/Selectors.h"
#include "ui/Text.h"

namespace dravel::extras {
namespace {

using config::CheckResult;
using devices::TComLedSignal;
using devices::TComPort;
using ui::TComLed;
using ui::TLedKind;
using ui::TLedState;
using ui::toQString;
using ui::toStdString;

const QString kSwitchOn = QStringLiteral("Einschalten");
const QString kSwitchOff = QStringLiteral("Ausschalten");

// How often the open port is looked at: an adapter pulled out sends no event.
constexpr std::chrono::milliseconds kPresenceInterval(500);

// How long the push-button step waits for the button, unless a test
// shortened it.
constexpr std::chrono::milliseconds kStopButtonTimeout = std::chrono::seconds(60);
std::chrono::milliseconds shortenedStopButtonTimeout{};

std::chrono::milliseconds stopButtonTimeout() {
    return shortenedStopButtonTimeout > std::chrono::milliseconds::zero()
               ? shortenedStopButtonTimeout
               : kStopButtonTimeout;
}

// The columns of a step row.
enum Column { kCaption, kRemark, kUse, kLamp, kSwitch, kPassed, kFailed, kResult };

QLabel* textLabel(const std::string& text, QWidget* parent) {
    auto* label = new QLabel(toQString(text), parent);
    label->setWordWrap(true);
    label->setMinimumWidth(90);  // else a wrapping label asks for the width of 80 characters
    return label;
}

QPushButton* button(const QString& text, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

// The first active output is the likeliest source of the button's signal.
int firstActivePin(const config::WiringPlan& plan) {
    for (const config::WiringStep& step : plan.steps)
        if (step.pin >= 0 && step.active) return step.pin;
    return 0;
}

}  // namespace

TVerdrahtung::TVerdrahtung(QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::Verdrahtung>()),
      ComPort(std::make_unique<TComPort>()) {
    ui->setupUi(this);
    setModal(true);
    ui->PortOpen->SetKind(TLedKind::lkYellowLight);
    inputLamps_ = {ui->LedRing, ui->LedCts, ui->LedDsr, ui->LedDcd};
    const TComLedSignal lines[] = {TComLedSignal::lsRing, TComLedSignal::lsCTS,
                                   TComLedSignal::lsDSR, TComLedSignal::lsRLSD};
    for (std::size_t i = 0; i < inputLamps_.size(); ++i) {
        inputLamps_[i]->SetKind(TLedKind::lkRedLight);
        inputLamps_[i]->SetLedSignal(lines[i]);
    }
    ui->portis->setCompleter(nullptr);
    setUpPort();
    stopTimer_.setSingleShot(true);
    connect(&stopTimer_, &QTimer::timeout, this,
            [this] { ui::guarded(this, [this] { stopButtonTimeUp(); }); });
    presenceTimer_.setInterval(kPresenceInterval);
    connect(&presenceTimer_, &QTimer::timeout, this, &TVerdrahtung::checkPortPresent);
    // Leaving a typed name that matches an item selects it, which the combo box reports as a
    // choice before the edit ends: the choice tries the name, the end of the edit no more. A
    // port picked again is tried again (an adapter plugged back in).
    connect(ui->portis, &QComboBox::activated, this, [this] {
        edited_ = false;
        ui::guarded(this, [this] { portisChange(); });
    });
    // A typed name is tried once it is complete, not letter by letter; the
    // window losing the focus ends no edit that was never made.
    connect(ui->portis->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (!std::exchange(edited_, false)) return;
        ui::guarded(this, [this] { portisChange(); });
    });
    connect(ui->portis->lineEdit(), &QLineEdit::textEdited, this, [this] { edited_ = true; });
    ui::connectGuarded(ui->Aktuell, &QPushButton::clicked, this, &TVerdrahtung::AktuellClick);
    ui::connectGuarded(ui->Speichern, &QPushButton::clicked, this, &TVerdrahtung::SpeichernClick);
    ui::connectGuarded(ui->Drucken, &QPushButton::clicked, this, &TVerdrahtung::DruckenClick);
    connect(ui->Schliessen, &QPushButton::clicked, this, &QDialog::accept);
}

// Outputs off and the port closed while every control still lives; the
// notifications must not reach the controls afterwards.
TVerdrahtung::~TVerdrahtung() {
    shutDown();
    ComPort->OnAfterOpen = nullptr;
    ComPort->OnAfterClose = nullptr;
    ComPort->OnRing = nullptr;
}

std::chrono::milliseconds replaceStopButtonTimeout(std::chrono::milliseconds timeout) {
    return std::exchange(shortenedStopButtonTimeout, timeout);
}

// The output test's settings: 9600 baud, 8N1, no handshake, all events. The
// input lamps follow their lines through the component.
void TVerdrahtung::setUpPort() {
    ComPort->SetBaudRate(devices::TBaudRate::br9600);
    ComPort->SetDataBits(devices::TDataBits::dbEight);
    ComPort->SetStopBits(devices::TStopBits::sbOneStopBit);
    ComPort->SetParity({});
    ComPort->SetFlowControl({});
    ComPort->SetEvents(devices::kAllComEvents);
    ComPort->OnAfterOpen = [this](TComPort&) { ComPortAfterOpen(); };
    ComPort->OnAfterClose = [this](TComPort&) { ComPortAfterClose(); };
    ComPort->OnRing = [this](TComPort&) { ComPortRing(); };
    for (TComLed* lamp : inputLamps_) lamp->SetComPort(ComPort.get());
}

void TVerdrahtung::setPlan(const config::WiringPlan& plan, const std::string& programDirectory) {
    plan_ = plan;
    programDirectory_ = programDirectory;
    results_.assign(plan.steps.size(), {});
    for (std::size_t step = 0; step < plan.steps.size(); ++step)
        addStepRow(static_cast<int>(step), plan.steps[step]);
    ui->Schritte->setColumnStretch(kRemark, 1);
    ComPortAfterClose();  // switches disabled until the port is open
    placeInTabOrder();
    resize(width(), sizeHint().height());
}

// The rows are made after the form's controls; the keyboard visits them in reading order: the
// port, the rows, then the protocol and the buttons.
void TVerdrahtung::placeInTabOrder() {
    QWidget* previous = ui->Aktuell;
    const auto follow = [&previous](QWidget* next) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (QWidget* control : ui->SchritteBox->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (control->focusPolicy() & Qt::TabFocus) follow(control);
    for (QWidget* control :
         {static_cast<QWidget*>(ui->GeprueftVon), static_cast<QWidget*>(ui->Bemerkung),
          static_cast<QWidget*>(ui->Speichern), static_cast<QWidget*>(ui->Drucken),
          static_cast<QWidget*>(ui->Schliessen)})
        follow(control);
}

void TVerdrahtung::addStepRow(int step, const config::WiringStep& s) {
    QGridLayout* grid = ui->Schritte;
    QWidget* box = ui->SchritteBox;
    const int row = step + 1;  // below the headings
    grid->addWidget(new QLabel(toQString(s.caption), box), row, kCaption);
    grid->addWidget(textLabel(s.remark, box), row, kRemark);
    auto* result = new QLabel(box);
    result->setObjectName(QStringLiteral("Ergebnis%1").arg(step));
    result->setMinimumWidth(150);
    grid->addWidget(result, row, kResult);
    resultLabels_.push_back(result);
    if (s.pin == config::kStopButtonStep) {
        addStopButtonControls(row, step);
        return;
    }
    grid->addWidget(textLabel(s.use, box), row, kUse);
    PinRow& pin = pins_[static_cast<std::size_t>(s.pin)];
    pin.lamp = new TComLed(box);
    pin.lamp->setObjectName(QStringLiteral("Led%1").arg(s.pin));
    pin.lamp->SetKind(TLedKind::lkGreenLight);
    pin.lamp->setFixedSize(25, 25);
    grid->addWidget(pin.lamp, row, kLamp);
    pin.switchButton = button(kSwitchOn, QStringLiteral("Schalten%1").arg(s.pin), box);
    grid->addWidget(pin.switchButton, row, kSwitch);
    connect(pin.switchButton, &QPushButton::clicked, this,
            [this, p = s.pin] { ui::guarded(this, [this, p] { schalten(p); }); });
    addResultButtons(row, step);
}

void TVerdrahtung::addResultButtons(int row, int step) {
    QWidget* box = ui->SchritteBox;
    const std::pair<Column, CheckResult> choices[] = {{kPassed, CheckResult::Passed},
                                                      {kFailed, CheckResult::Failed}};
    for (const auto& [column, result] : choices) {
        const bool passed = result == CheckResult::Passed;
        QPushButton* b = button(
            passed ? QStringLiteral("In Ordnung") : QStringLiteral("Fehler"),
            (passed ? QStringLiteral("InOrdnung%1") : QStringLiteral("Fehler%1")).arg(step), box);
        ui->Schritte->addWidget(b, row, column);
        connect(b, &QPushButton::clicked, this,
                [this, step, r = result] { ui::guarded(this, [&] { record(step, r); }); });
    }
}

// The user picks the output that feeds the button, switches it, then starts
// the step and presses the button.
void TVerdrahtung::addStopButtonControls(int row, int step) {
    QWidget* box = ui->SchritteBox;
    stopStep_ = step;
    signalSource_ = new QComboBox(box);
    signalSource_->setObjectName(QStringLiteral("Signalquelle"));
    for (std::string_view caption : config::kPinCaptions)
        signalSource_->addItem(QStringLiteral("Signalquelle ") + toQString(std::string(caption)));
    signalSource_->setCurrentIndex(firstActivePin(plan_));
    ui->Schritte->addWidget(signalSource_, row, kUse);
    signalSwitch_ = button(kSwitchOn, QStringLiteral("SignalSchalten"), box);
    ui->Schritte->addWidget(signalSwitch_, row, kSwitch);
    checkButton_ = button(QStringLiteral("Taster prüfen"), QStringLiteral("TasterPruefen"), box);
    ui->Schritte->addWidget(checkButton_, row, kPassed, 1, 2);
    connect(signalSource_, &QComboBox::currentIndexChanged, this,
            [this](int pin) { showPin(pin); });
    connect(signalSwitch_, &QPushButton::clicked, this,
            [this] { ui::guarded(this, [this] { schalten(signalSource_->currentIndex()); }); });
    ui::connectGuarded(checkButton_, &QPushButton::clicked, this,
                       &TVerdrahtung::TasterPruefenClick);
}

void TVerdrahtung::fillPorts() {
    ui->portis->clear();
    ui->portis->addItems(ui::serialPortNames());
}

void TVerdrahtung::preselectPort(const QString& name) {
    ComPort->SetPort(toStdString(name));
    ui->portis->setCurrentIndex(ui->portis->findText(name, Qt::MatchFixedString));
}

// The port opens once the window is up, so a failure is reported over it.
void TVerdrahtung::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (std::exchange(shown_, true)) return;
    QMetaObject::invokeMethod(
        this, [this] { ui::guarded(this, [this] { FormActivate(); }); }, Qt::QueuedConnection);
}

// A port that cannot be opened is reported with the component's own message;
// the window stays usable with another port.
void TVerdrahtung::FormActivate() {
    if (isVisible()) ComPort->OpenPort();
}

void TVerdrahtung::ComPortAfterOpen() {
    ui->PortOpen->SetState(TLedState::lsOn);
    ui->PortZustand->hide();
    presenceTimer_.start();
    for (const PinRow& pin : pins_)
        if (pin.switchButton) pin.switchButton->setEnabled(true);
    if (signalSwitch_) signalSwitch_->setEnabled(true);
    if (checkButton_) checkButton_->setEnabled(true);
}

// Closing tells bound lamps of every input line but the ring; bound anew, a
// lamp shows its line off.
void TVerdrahtung::ComPortAfterClose() {
    presenceTimer_.stop();
    stepSource_ = -1;  // every output is off with the port
    ui->PortOpen->SetState(TLedState::lsOff);
    for (TComLed* lamp : inputLamps_) {
        lamp->SetComPort(nullptr);
        lamp->SetComPort(ComPort.get());
    }
    for (int pin = 0; pin < config::kPinCount; ++pin) {
        pins_[static_cast<std::size_t>(pin)].on = false;
        showPin(pin);
        if (QPushButton* b = pins_[static_cast<std::size_t>(pin)].switchButton)
            b->setEnabled(false);
    }
    if (signalSwitch_) signalSwitch_->setEnabled(false);
    if (checkButton_) checkButton_->setEnabled(false);
    stopTimer_.stop();
    stopCheck_.cancel();
    showStopButton();
}

// The component has just shown the ring line on the bound lamp.
void TVerdrahtung::ComPortRing() {
    if (!stopCheck_.running()) return;
    stopCheck_.ringReported(ui->LedRing->State() == TLedState::lsOn);
    if (!stopCheck_.running()) {
        stopTimer_.stop();
        results_[static_cast<std::size_t>(stopStep_)] = {stopCheck_.result(),
                                                         extrasServices().now()};
        restoreSignalSource();
    }
    showStopButton();
}

// A port that no longer answers (the adapter was pulled out) is closed, and the window says why
// its lamps went dark. Closing a line that is gone may fail; the window shows it closed all the
// same.
void TVerdrahtung::checkPortPresent() {
    if (!ComPort->Connected() || ComPort->LineResponds()) return;
    presenceTimer_.stop();
    stopCheck_.cancel();
    try {
        ComPort->ClosePort();
    } catch (const std::exception&) {
    }
    ComPortAfterClose();
    ui->PortZustand->setText(toQString(ComPort->Port()) +
                             QStringLiteral(" ist nicht mehr vorhanden"));
    ui->PortZustand->show();
}

// The row shows the line as it is: a switch the driver refused changes nothing.
void TVerdrahtung::schalten(int pin) {
    PinRow& row = pins_[static_cast<std::size_t>(pin)];
    devices::switchOutputPin(*ComPort, pin, !row.on);
    row.on = !row.on;
    showPin(pin);
}

void TVerdrahtung::showPin(int pin) {
    if (pin < 0 || pin >= config::kPinCount) return;
    const PinRow& row = pins_[static_cast<std::size_t>(pin)];
    if (row.lamp) row.lamp->SetState(row.on ? TLedState::lsOn : TLedState::lsOff);
    if (row.switchButton) row.switchButton->setText(row.on ? kSwitchOff : kSwitchOn);
    if (signalSource_ && signalSource_->currentIndex() == pin)
        signalSwitch_->setText(row.on ? kSwitchOff : kSwitchOn);
}

void TVerdrahtung::record(int step, CheckResult result) {
    results_[static_cast<std::size_t>(step)] = {result, extrasServices().now()};
    resultLabels_[static_cast<std::size_t>(step)]->setText(
        toQString(config::recordedText(results_[static_cast<std::size_t>(step)])));
}

// Starting again drops the step's last result. Without its signal source a real button could never
// pass: the source is switched on for the step, and a source that cannot be switched starts none.
void TVerdrahtung::TasterPruefenClick() {
    restoreSignalSource();
    stopCheck_.cancel();
    results_[static_cast<std::size_t>(stopStep_)] = {};
    showStopButton();
    const int source = signalSource_->currentIndex();
    if (!pins_[static_cast<std::size_t>(source)].on) {
        schalten(source);
        stepSource_ = source;
    }
    stopCheck_.start();
    stopTimer_.start(stopButtonTimeout());
    showStopButton();
}

void TVerdrahtung::stopButtonTimeUp() {
    stopCheck_.timeUp();
    if (stopCheck_.result() == CheckResult::Failed) record(stopStep_, CheckResult::Failed);
    restoreSignalSource();
    showStopButton();
}

// The source goes back to how it was before the step switched it on. Also called from the port's
// notifications, which must not throw.
void TVerdrahtung::restoreSignalSource() {
    const int source = std::exchange(stepSource_, -1);
    if (source >= 0 && pins_[static_cast<std::size_t>(source)].on)
        ui::guarded(this, [this, source] { schalten(source); });
}

void TVerdrahtung::showStopButton() {
    if (stopStep_ < 0) return;
    const auto& r = results_[static_cast<std::size_t>(stopStep_)];
    const std::string text =
        r.result != CheckResult::None ? config::recordedText(r) : stopCheck_.statusText();
    resultLabels_[static_cast<std::size_t>(stopStep_)]->setText(toQString(text));
}

// The outputs of the old port go off before it is closed.
void TVerdrahtung::portisChange() {
    const std::string name = toStdString(ui->portis->currentText());
    switchAllOff();
    ComPort->ClosePort();
    ComPort->SetPort(name);
    ComPort->OpenPort();
}

void TVerdrahtung::AktuellClick() {
    ui::replaceItemsKeepingText(ui->portis, ui::serialPortNames());
}

config::WiringOutcome TVerdrahtung::outcome() const {
    return {ComPort->Port(), results_, signalSource_ ? signalSource_->currentIndex() : -1,
            toStdString(ui->GeprueftVon->text()), toStdString(ui->Bemerkung->text())};
}

config::WiringReport TVerdrahtung::report() const {
    return config::buildWiringReport(plan_, outcome(), programDirectory_, extrasServices().now());
}

void TVerdrahtung::SpeichernClick() {
    const QString path =
        askWhereToSave(this, QStringLiteral("Prüfprotokoll speichern"),
                       QStringLiteral("Pruefprotokoll.pdf"), QStringLiteral("PDF-Dateien (*.pdf)"));
    if (path.isEmpty()) return;
    writeWiringReportPdf(report(), path);
    ui::MessageBoxes::information(
        this, QStringLiteral("Das Protokoll wurde in \"%1\" gespeichert").arg(path));
}

void TVerdrahtung::DruckenClick() {
    QPrinter printer(QPrinter::HighResolution);
    if (!choosePrinter(this, printer)) return;
    printWiringReport(report(), printer);
}

// Every output this window switched on goes off, each on its own: one that
// fails does not keep the others on.
void TVerdrahtung::switchAllOff() noexcept {
    for (int pin = 0; pin < config::kPinCount; ++pin) {
        PinRow& row = pins_[static_cast<std::size_t>(pin)];
        if (!row.on) continue;
        row.on = false;
        showPin(pin);
        if (ComPort->Connected())
            ui::guarded(this, [&] { devices::switchOutputPin(*ComPort, pin, false); });
    }
}

void TVerdrahtung::shutDown() noexcept {
    stopTimer_.stop();
    presenceTimer_.stop();
    stopCheck_.cancel();
    switchAllOff();
    ui::guarded(this, [this] { ComPort->ClosePort(); });
}

void TVerdrahtung::done(int result) {
    shutDown();
    QDialog::done(result);
}

}  // namespace dravel::extras
