#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "config/extras/WiringCheck.h"
#include "config/settings/PinSettings.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace Ui {
class Verdrahtung;
}
namespace dravel::devices {
class TComPort;
}
namespace dravel::ui {
class TComLed;
}

namespace dravel::extras {

// The guided check of the alarm interface: the four input lines live, one
// row per output pin with its switch and the result the user records, the
// push-button on Pin 9 when the settings use it, and the Prüfprotokoll. The
// port chosen here serves the check only; closing the window, whichever
// way, switches off every output it switched on and then closes the port.
class TVerdrahtung : public QDialog {
    Q_OBJECT
public:
    explicit TVerdrahtung(QWidget* parent);
    ~TVerdrahtung() override;

    // Builds one row per step of the plan.
    void setPlan(const config::WiringPlan& plan, const std::string& programDirectory);
    // Fills the port field; raises EComPort when the list cannot be read.
    void fillPorts();
    // As the output test: the component takes the name, the field shows the
    // listed port equal to it without regard to case, or nothing.
    void preselectPort(const QString& name);

    // What the protocol is made of.
    config::WiringOutcome outcome() const;
    const devices::TComPort& port() const { return *ComPort; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct PinRow {
        ui::TComLed* lamp = nullptr;
        QPushButton* switchButton = nullptr;
        bool on = false;  // switched on by this window
    };

    void addStepRow(int row, const config::WiringStep& step);
    void addResultButtons(int row, int step);
    void addStopButtonControls(int row, int step);
    void setUpPort();
    void FormActivate();
    void ComPortAfterOpen();
    void ComPortAfterClose();
    void ComPortRing();
    void checkPortPresent();
    void schalten(int pin);
    void showPin(int pin);
    void record(int step, config::CheckResult result);
    void TasterPruefenClick();
    void stopButtonTimeUp();
    void restoreSignalSource();
    void placeInTabOrder();
    void showStopButton();
    void portisChange();
    void AktuellClick();
    void SpeichernClick();
    void DruckenClick();
    config::WiringReport report() const;
    void switchAllOff() noexcept;
    void shutDown() noexcept;

    std::unique_ptr<Ui::Verdrahtung> ui;
    std::unique_ptr<devices::TComPort> ComPort;
    config::WiringPlan plan_;
    std::string programDirectory_;
    std::array<PinRow, config::kPinCount> pins_{};
    std::vector<config::RecordedResult> results_;
    std::vector<QLabel*> resultLabels_;
    std::array<ui::TComLed*, 4> inputLamps_{};
    int stopStep_ = -1;  // the push-button's row, -1 without one
    QComboBox* signalSource_ = nullptr;
    QPushButton* signalSwitch_ = nullptr;
    QPushButton* checkButton_ = nullptr;
    config::StopButtonCheck stopCheck_;
    QTimer stopTimer_;
    QTimer presenceTimer_;  // looks whether the open port is still there
    int stepSource_ = -1;   // the output the running push-button step switched on, -1 for none
    bool shown_ = false;
    bool edited_ = false;  // the port's name was typed since it was last tried
};

// Tests put a shorter wait for the push-button in; hands back what was there.
// Zero puts the 60 s back.
std::chrono::milliseconds replaceStopButtonTimeout(std::chrono::milliseconds timeout);

}  // namespace dravel::extras
