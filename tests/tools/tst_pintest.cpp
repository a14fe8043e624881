#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>

#include "devices/serial/ComPort.h"
#include "support/SimulatedPorts.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "tools/PinTest.h"
#include "ui/ComLed.h"
#include "ui/ErrorGuard.h"

using dravel::tools::runOutputTest;
using dravel::tools::TTest;

using dravel::devices::SerialLine;
using dravel::devices::SystemError;
using namespace dravel::testing;
using dravel::ui::BoxKind;
using dravel::ui::TComLed;
using dravel::ui::TLedKind;
using dravel::ui::TLedState;

namespace {

// The simulated serial ports, with a look at the dialog at the moment a
// port is opened.
class ObservingDriver : public SystemPortsDriver {
public:
    std::function<void(const std::string&)> onOpen;

    std::unique_ptr<SerialLine> open(const std::string& name, SystemError& error) override {
        if (onOpen) onOpen(name);
        return SystemPortsDriver::open(name, error);
    }
};

struct Ports : SimulatedPorts<ObservingDriver> {
    Ports() : SimulatedPorts({"COM3", "COM1", "COM10"}) {}
    std::vector<std::string> calls(const std::string& prefix = {}) const {
        std::vector<std::string> found;
        for (const std::string& call : driver().calls())
            if (call.starts_with(prefix)) found.push_back(call);
        return found;
    }
};

QComboBox* portis(TTest& d) {
    return combo(d, "portis");
}
TComLed* led(TTest& d, int pin) {
    return child<TComLed>(d, QStringLiteral("LED%1").arg(pin));
}
QPushButton* pinButton(TTest& d, int pin) {
    return child<QPushButton>(d, QStringLiteral("Pin%1").arg(pin));
}
bool portLampOn(TTest& d) {
    return child<TComLed>(d, "PortOpen")->State() == TLedState::lsOn;
}
void zurueck(TTest& d) {
    press(d, "Button1");
}

// Each pin row as "lamp/caption/enabled", e.g. "on/Ausschalten/1".
QStringList pinRows(TTest& d) {
    QStringList rows;
    for (int pin = 0; pin < 3; ++pin)
        rows << QStringLiteral("%1/%2/%3")
                    .arg(led(d, pin)->State() == TLedState::lsOn ? "on" : "off")
                    .arg(pinButton(d, pin)->text())
                    .arg(pinButton(d, pin)->isEnabled() ? 1 : 0);
    return rows;
}
const QStringList kRowsClosed{"off/Einschalten/0", "off/Einschalten/0", "off/Einschalten/0"};
const QStringList kRowsOpen{"off/Einschalten/1", "off/Einschalten/1", "off/Einschalten/1"};

// The port the component holds, whether its line and its lamp are on, and
// the pin rows.
QString state(TTest& d) {
    return (QStringList{QString::fromStdString(d.port().Port()),
                        d.port().Connected() ? "open" : "closed", portLampOn(d) ? "lit" : "dark"} +
            pinRows(d))
        .join(' ');
}
QString opened(const QString& port) {
    return (QStringList{port, "open", "lit"} + kRowsOpen).join(' ');
}
QString closed(const QString& port) {
    return (QStringList{port, "closed", "dark"} + kRowsClosed).join(' ');
}

// Runs the menu command on the given port and hands the dialog to drive once
// it is shown and has tried to open its port.
bool runOutputTestWith(const QString& portName, const std::function<void(TTest&)>& drive) {
    return driveModal<TTest>([&] { runOutputTest(nullptr, portName); },
                             [&](TTest& d) {
                                 QCoreApplication::sendPostedEvents(&d, QEvent::MetaCall);
                                 drive(d);
                             });
}

bool noEscapeBefore(const std::vector<std::string>& calls,
                    std::vector<std::string>::const_iterator end) {
    return std::none_of(calls.begin(), end,
                        [](const std::string& c) { return c.starts_with("escape"); });
}

}  // namespace

class TestPinTest : public QObject {
    Q_OBJECT
private slots:
    void formHasItsControlsAndCaptions() {
        Ports ports;
        TTest d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Ausgangs Test"));
        QVERIFY(portis(d)->isEditable());
        QCOMPARE(child<TComLed>(d, "PortOpen")->Kind(), TLedKind::lkYellowLight);
        auto* memo = child<QTextEdit>(d, "Memo1");
        QVERIFY(memo->isReadOnly());
        QVERIFY(memo->toPlainText().startsWith(QStringLiteral("Die Auswahl des ComPorts")));
        const char* const captions[] = {"Pin 3 (TXD)", "Pin 4 (DTR)", "Pin 7 (RTS)"};
        for (int pin = 0; pin < 3; ++pin) {
            QCOMPARE(led(d, pin)->Kind(), TLedKind::lkGreenLight);
            QCOMPARE(child<QLabel>(d, QStringLiteral("Label%1").arg(pin + 2))->text(),
                     QString::fromUtf8(captions[pin]));
        }
        QCOMPARE(state(d), closed("COM1"));
    }

    // The test runs at 9600 baud, 8N1, without handshake.
    void configuredPortIsOpenedEvenWhenNotListed() {
        Ports ports;
        ScriptedBoxes boxes;
        QVERIFY(runOutputTestWith("COM7", [&](TTest& d) {
            QCOMPARE(itemsOf(portis(d)), QStringList({"COM1", "COM10", "COM3"}));
            QCOMPARE(portis(d)->currentIndex(), -1);
            QCOMPARE(portis(d)->currentText(), QString());
            QCOMPARE(state(d), opened("COM7"));
            zurueck(d);
        }));
        VERIFY_BOXES(boxes);
        QCOMPARE(ports.calls("open"), std::vector<std::string>({"open COM7"}));
        QCOMPARE(ports.driver().lastState().baudRate, 9600u);
        QCOMPARE(ports.driver().lastState().byteSize, 8);
        QCOMPARE(ports.driver().lastState().flags, dravel::devices::kDcbBinary);
        QCOMPARE(ports.driver().openLines(), 0);
    }

    // The component keeps the name as given; selecting the entry is no
    // change of port, so the port is opened once.
    void listedPortIsPreselectedWithoutRegardToCase() {
        Ports ports;
        QVERIFY(runOutputTestWith("com3", [&](TTest& d) {
            QCOMPARE(portis(d)->currentText(), QStringLiteral("COM3"));
            QCOMPARE(d.port().Port(), std::string("com3"));
            zurueck(d);
        }));
        QCOMPARE(ports.calls("open"), std::vector<std::string>({"open com3"}));
    }

    void portHeldElsewhereIsNamedAndThePinsStayDisabled() {
        Ports ports;
        ports.driver().holdByOtherProgram("COM3");
        ScriptedBoxes boxes;
        boxes.expect(BoxKind::Plain,
                     QStringLiteral("ComPort \"COM3\" konnte nicht geöffnet werden"));
        QVERIFY(runOutputTestWith("COM3", [&](TTest& d) {
            VERIFY_BOXES(boxes);
            QVERIFY(d.isVisible());
            QCOMPARE(state(d), closed("COM3"));
            zurueck(d);
        }));
        QCOMPARE(boxes.shown().size(), 1u);
    }

    // TXD is the break state (escape 8/9), DTR escape 5/6, RTS escape 3/4.
    void eachPinSwitchesItsLineWithLampAndCaption() {
        Ports ports;
        ScriptedBoxes boxes;
        QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
            ports.driver().clearCalls();
            pinButton(d, 1)->click();
            QCOMPARE(pinRows(d),
                     QStringList({"off/Einschalten/1", "on/Ausschalten/1", "off/Einschalten/1"}));
            pinButton(d, 1)->click();
            QCOMPARE(pinRows(d), kRowsOpen);
            pinButton(d, 0)->click();
            pinButton(d, 2)->click();
            QCOMPARE(pinRows(d),
                     QStringList({"on/Ausschalten/1", "off/Einschalten/1", "on/Ausschalten/1"}));
            pinButton(d, 0)->click();
            pinButton(d, 2)->click();
            QCOMPARE(pinRows(d), kRowsOpen);
            QCOMPARE(ports.calls(), std::vector<std::string>({"escape 5", "escape 6", "escape 8",
                                                              "escape 3", "escape 9", "escape 4"}));
            zurueck(d);
        }));
        VERIFY_BOXES(boxes);
    }

    void failedSwitchIsReportedAndTheRowKeepsItsNewState() {
        Ports ports;
        ScriptedBoxes boxes;
        QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
            ports.driver().failCall("escape", 22);
            boxes.expect(BoxKind::Error,
                         QStringLiteral("EscapeCommFunction function failed (win error code: 22)"));
            pinButton(d, 2)->click();
            VERIFY_BOXES(boxes);
            QCOMPARE(pinRows(d),
                     QStringList({"off/Einschalten/1", "off/Einschalten/1", "on/Ausschalten/1"}));
            QVERIFY(d.port().Connected());
            zurueck(d);
        }));
    }

    // The old port's lines are not switched off before it is closed.
    void anotherPortResetsThePinRowsBeforeItOpens() {
        Ports ports;
        QStringList rowsWhenOpening;
        QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
            QCOMPARE(portis(d)->currentText(), QStringLiteral("COM1"));
            pinButton(d, 0)->click();
            pinButton(d, 1)->click();
            ports.driver().clearCalls();
            ports.driver().onOpen = [&](const std::string&) { rowsWhenOpening = pinRows(d); };
            QTest::keyClick(portis(d), Qt::Key_Down);  // the user picks COM10
            ports.driver().onOpen = nullptr;
            QCOMPARE(rowsWhenOpening, kRowsClosed);
            QCOMPARE(state(d), opened("COM10"));
            zurueck(d);
        }));
        const auto calls = ports.calls();
        const auto closed = std::find(calls.begin(), calls.end(), "close");
        QVERIFY(closed != calls.end());
        QVERIFY(noEscapeBefore(calls, closed));
        QCOMPARE(*std::find_if(closed, calls.end(),
                               [](const std::string& c) { return c.starts_with("open"); }),
                 std::string("open COM10"));
    }

    void anotherPortThatCannotBeOpenedIsReported() {
        Ports ports;
        ports.driver().holdByOtherProgram("COM3");
        ScriptedBoxes boxes;
        QVERIFY(runOutputTestWith("COM10", [&](TTest& d) {
            pinButton(d, 1)->click();
            boxes.expect(BoxKind::Error,
                         QStringLiteral("ComPort lässt sich nicht öffnen (win error code: 5)"));
            QTest::keyClick(portis(d), Qt::Key_Down);  // COM3
            VERIFY_BOXES(boxes);
            QCOMPARE(portis(d)->currentText(), QStringLiteral("COM3"));
            QCOMPARE(state(d), closed("COM3"));
            zurueck(d);
        }));
        QCOMPARE(ports.driver().openLines(), 0);
    }

    // Leaving a typed name that a listed one equals tries it no second time.
    void typingTriesEveryPartialNameOnce() {
        Ports ports;
        ScriptedBoxes boxes;
        QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
            QVERIFY(activate(d));
            portis(d)->setFocus();
            ports.driver().failCall("open", 2);
            const QString refused =
                QStringLiteral("ComPort lässt sich nicht öffnen (win error code: 2)");
            for (int attempt = 0; attempt < 5; ++attempt) boxes.expect(BoxKind::Error, refused);
            portis(d)->lineEdit()->selectAll();
            QTest::keyClicks(portis(d)->lineEdit(), "COM10");
            QTest::keyClick(portis(d)->lineEdit(), Qt::Key_Tab);
            VERIFY_BOXES(boxes);
            QCOMPARE(state(d), closed("COM10"));
            zurueck(d);
        }));
        QCOMPARE(ports.calls("open"),
                 std::vector<std::string>(
                     {"open COM1", "open C", "open CO", "open COM", "open COM1", "open COM10"}));
    }

    void keyboardVisitsPinsThenPortThenZurueck() {
        Ports ports;
        QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
            QVERIFY(activate(d));
            pinButton(d, 0)->setFocus();
            QStringList visited;
            for (int i = 0; i < 5; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QWidget* focus = QApplication::focusWidget();
                visited << (portis(d)->isAncestorOf(focus) ? portis(d) : focus)->objectName();
            }
            QCOMPARE(visited, QStringList({"Pin1", "Pin2", "portis", "Aktuell", "Button1"}));
            zurueck(d);
        }));
    }

    void leavingClosesThePortWithoutSwitchingThePinsOff_data() {
        QTest::addColumn<bool>("byCloseBox");
        QTest::newRow("Zurück") << false;
        QTest::newRow("close box") << true;
    }

    // Neither way of leaving asks anything.
    void leavingClosesThePortWithoutSwitchingThePinsOff() {
        QFETCH(bool, byCloseBox);
        Ports ports;
        ScriptedBoxes boxes;
        QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
            pinButton(d, 1)->click();
            pinButton(d, 2)->click();
            ports.driver().clearCalls();
            if (byCloseBox)
                d.close();
            else
                zurueck(d);
            QVERIFY(!d.isVisible());
            if (!byCloseBox) QCOMPARE(d.result(), int(QDialog::Accepted));
        }));
        VERIFY_BOXES(boxes);
        const auto calls = ports.calls();
        QVERIFY(std::find(calls.begin(), calls.end(), "close") != calls.end());
        QVERIFY(noEscapeBefore(calls, calls.end()));
        QCOMPARE(ports.driver().openLines(), 0);
    }

    // The port is neither closed nor reopened; a failing list keeps the old.
    void refreshingKeepsTextAndPort() {
        Ports ports;
        ScriptedBoxes boxes;
        QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
            ports.driver().setPorts({"ttyUSB0", "COM4"});
            ports.driver().clearCalls();
            press(d, "Aktuell");
            QCOMPARE(itemsOf(portis(d)), QStringList({"COM4", "ttyUSB0"}));
            QCOMPARE(portis(d)->currentText(), QStringLiteral("COM1"));
            QVERIFY(ports.calls().empty());
            QVERIFY(d.port().Connected());

            ports.driver().setPorts({}, 2);
            boxes.expect(BoxKind::Error, QStringLiteral("Registry error (win error code: 2)"));
            press(d, "Aktuell");
            VERIFY_BOXES(boxes);
            QCOMPARE(itemsOf(portis(d)), QStringList({"COM4", "ttyUSB0"}));
            QCOMPARE(portis(d)->currentText(), QStringLiteral("COM1"));
            zurueck(d);
        }));
    }

    void unreadablePortListAtStartShowsNoDialog() {
        Ports ports;
        ports.driver().setPorts({}, 2);
        ScriptedBoxes boxes;
        boxes.expect(BoxKind::Error, QStringLiteral("Registry error (win error code: 2)"));
        QWidget mainWindow;
        bool dialogShown = false;
        QTimer::singleShot(0, qApp, [&] {
            dialogShown = qobject_cast<TTest*>(QApplication::activeModalWidget()) != nullptr;
        });
        dravel::ui::guarded(&mainWindow, [&] { runOutputTest(&mainWindow, "COM1"); });
        QCoreApplication::processEvents();
        VERIFY_BOXES(boxes);
        QVERIFY(!dialogShown);
        QVERIFY(mainWindow.findChildren<TTest*>().isEmpty());
        QVERIFY(ports.calls("open").empty());
    }
};

QTEST_MAIN(TestPinTest)
#include "tst_pintest.moc"
