#pragma once

#include <QDialog>
#include <QPushButton>
#include <array>
#include <memory>

namespace Ui {
class Test;
}
namespace dravel::devices {
class TComPort;
}
namespace dravel::ui {
class TComLed;
}

namespace dravel::tools {

// The output test: the user switches the three output pins of a serial port
// on and off by hand to check wiring and relays. The port chosen here serves
// the test only and is never saved. The port opens when the dialog is first
// shown; each pin row shows what was last switched.
class TTest : public QDialog {
    Q_OBJECT
public:
    explicit TTest(QWidget* parent = nullptr);
    ~TTest() override;

    // Fills the port field with the ports the system lists; raises EComPort
    // when the list cannot be read.
    void fillPorts();
    // The test starts on this port: the port component takes the name, and
    // the field shows the listed port equal to it without regard to case, or
    // nothing when none is.
    void preselectPort(const QString& name);
    // Closes the port whatever the user left on; the pins are not switched
    // off first.
    void closePort();

    const dravel::devices::TComPort& port() const { return *ComPort; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void ComPortAfterOpen();
    void ComPortAfterClose();
    void schalten(int pin);
    void portisChange();
    void portisActivated();
    void AktuellClick();
    void setUpPort();

    std::unique_ptr<Ui::Test> ui;
    std::unique_ptr<dravel::devices::TComPort> ComPort;
    std::array<dravel::ui::TComLed*, 3> leds_{};
    std::array<QPushButton*, 3> pinButtons_{};
    bool shown_ = false;
};

// The menu command "Ausgänge Testen": the dialog on the main window's
// current port, shown modally, its port closed and the dialog freed
// afterwards. A port list that cannot be read raises EComPort before the
// dialog is shown.
void runOutputTest(QWidget* parent, const QString& currentPortName);

}  // namespace dravel::tools
