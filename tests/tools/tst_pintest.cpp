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

#include "devices/serial/ComLed.h"
#include "devices/serial/ComPort.h"
#include "devices/serial/SimulatedSerialDriver.h"
#include "support/TestSupport.h"
#include "tools/PinTest.h"
#include "ui/ErrorGuard.h"

using dravel::devices::SerialDriver;
using dravel::devices::SerialLine;
using dravel::devices::SystemError;
using dravel::devices::TComLed;
using dravel::devices::TLedKind;
using dravel::devices::TLedState;
using dravel::devices::testing::SimulatedSerialDriver;
using dravel::testing::ScriptedBoxes;
using dravel::ui::BoxKind;

namespace {

const QString kOn = QStringLiteral("Einschalten");
const QString kOff = QStringLiteral("Ausschalten");

// The simulated serial ports, with a look at the dialog at the moment a
// port is opened.
class ObservingDriver : public SimulatedSerialDriver {
public:
    std::function<void(const std::string&)> onOpen;

    std::unique_ptr<SerialLine> open(const std::string& name, SystemError& error) override {
        if (onOpen) onOpen(name);
        return SimulatedSerialDriver::open(name, error);
    }
};

class SimulatedPorts {
public:
    SimulatedPorts() : previous_(dravel::devices::replaceSerialDriver(driver)) {
        driver->setPorts({"COM3", "COM1", "COM10"});
    }
    ~SimulatedPorts() { dravel::devices::replaceSerialDriver(previous_); }

    std::shared_ptr<ObservingDriver> driver = std::make_shared<ObservingDriver>();

    std::vector<std::string> callsStartingWith(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& call : driver->calls())
            if (call.rfind(prefix, 0) == 0) found.push_back(call);
        return found;
    }

private:
    std::shared_ptr<SerialDriver> previous_;
};

template <typename W = QWidget>
W* child(TTest& d, const char* name) {
    W* widget = d.findChild<W*>(QString::fromUtf8(name));
    if (!widget) qFatal("no control %s", name);
    return widget;
}
QComboBox* portis(TTest& d) {
    return child<QComboBox>(d, "portis");
}
TComLed* led(TTest& d, int pin) {
    return child<TComLed>(d, qPrintable(QStringLiteral("LED%1").arg(pin)));
}
QPushButton* pinButton(TTest& d, int pin) {
    return child<QPushButton>(d, qPrintable(QStringLiteral("Pin%1").arg(pin)));
}
bool portLampOn(TTest& d) {
    return child<TComLed>(d, "PortOpen")->State() == TLedState::lsOn;
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

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

// Runs the menu command on the given port and hands the dialog to drive once
// it is shown and has tried to open its port. A dialog still open afterwards
// is closed, and the result is false.
bool runOutputTestWith(const QString& portName, const std::function<void(TTest&)>& drive) {
    bool driven = false;
    bool leftOpen = false;
    QTimer::singleShot(0, qApp, [&] {
        if (auto* dialog = qobject_cast<TTest*>(QApplication::activeModalWidget())) {
            driven = true;
            QCoreApplication::sendPostedEvents(dialog, QEvent::MetaCall);
            drive(*dialog);
        }
        if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            open && open->isVisible()) {
            leftOpen = true;
            open->done(QDialog::Rejected);
        }
    });
    runOutputTest(nullptr, portName);
    return driven && !leftOpen;
}

}  // namespace

class TestPinTest : public QObject {
    Q_OBJECT
private slots:
    void formHasItsControlsAndCaptions();
    void configuredPortIsOpenedEvenWhenNotListed();
    void listedPortIsPreselectedWithoutRegardToCase();
    void portHeldElsewhereIsNamedAndThePinsStayDisabled();
    void eachPinSwitchesItsLineWithLampAndCaption();
    void failedSwitchIsReportedAndTheRowKeepsItsNewState();
    void anotherPortResetsThePinRowsBeforeItOpens();
    void anotherPortThatCannotBeOpenedIsReported();
    void typingTriesEveryPartialName();
    void keyboardVisitsPinsThenPortThenZurueck();
    void leavingClosesThePortWithoutSwitchingThePinsOff();
    void closeBoxAsksNothing();
    void refreshingKeepsTextAndPort();
    void unreadablePortListAtStartShowsNoDialog();
};

void TestPinTest::formHasItsControlsAndCaptions() {
    SimulatedPorts ports;
    TTest d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Ausgangs Test"));
    QCOMPARE(d.size(), QSize(421 - 8, 259 - 31));
    QCOMPARE(child<QGroupBox>(d, "GroupBox1")->title(), QStringLiteral("ComPort Auswahl"));
    QCOMPARE(child<QGroupBox>(d, "GroupBox2")->title(), QStringLiteral("Ausgänge"));
    QVERIFY(portis(d)->isEditable());
    QCOMPARE(child<QPushButton>(d, "Aktuell")->text(), QStringLiteral("Liste Aktualisieren"));
    QCOMPARE(child<QLabel>(d, "Label1")->text(), QStringLiteral("Port Aktiv"));
    QCOMPARE(child<TComLed>(d, "PortOpen")->Kind(), TLedKind::lkYellowLight);
    QVERIFY(!portLampOn(d));

    auto* memo = child<QTextEdit>(d, "Memo1");
    QCOMPARE(memo->toPlainText(),
             QStringLiteral("Die Auswahl des ComPorts \nwirkt sich nur auf den Test aus \n"
                            "und hat keine Auswirkung auf \ndie Einstellungen "));
    QVERIFY(memo->isReadOnly());
    QCOMPARE(memo->focusPolicy(), Qt::NoFocus);

    const char* const captions[] = {"Pin 3 (TXD)", "Pin 4 (DTR)", "Pin 7 (RTS)"};
    for (int pin = 0; pin < 3; ++pin) {
        QCOMPARE(led(d, pin)->Kind(), TLedKind::lkGreenLight);
        QCOMPARE(child<QLabel>(d, qPrintable(QStringLiteral("Label%1").arg(pin + 2)))->text(),
                 QString::fromUtf8(captions[pin]));
    }
    QCOMPARE(pinRows(d), kRowsClosed);
    QCOMPARE(child<QPushButton>(d, "Button1")->text(), QStringLiteral("Zurück"));
    QVERIFY(!d.port().Connected());
}

void TestPinTest::configuredPortIsOpenedEvenWhenNotListed() {
    SimulatedPorts ports;
    ScriptedBoxes boxes;
    QVERIFY(runOutputTestWith("COM7", [&](TTest& d) {
        QCOMPARE(itemsOf(portis(d)), QStringList({"COM1", "COM10", "COM3"}));
        QCOMPARE(portis(d)->currentIndex(), -1);
        QCOMPARE(portis(d)->currentText(), QString());
        QCOMPARE(d.port().Port(), std::string("COM7"));
        QVERIFY(d.port().Connected());
        QVERIFY(portLampOn(d));
        QCOMPARE(pinRows(d), kRowsOpen);
        child<QPushButton>(d, "Button1")->click();
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(ports.callsStartingWith("open"), std::vector<std::string>({"open COM7"}));
    // The line settings of the test: 9600 baud, 8N1, no handshake.
    QCOMPARE(ports.driver->lastState().baudRate, 9600u);
    QCOMPARE(ports.driver->lastState().byteSize, 8);
    QCOMPARE(ports.driver->lastState().flags, dravel::devices::kDcbBinary);
    QCOMPARE(ports.driver->openLines(), 0);
}

void TestPinTest::listedPortIsPreselectedWithoutRegardToCase() {
    SimulatedPorts ports;
    QVERIFY(runOutputTestWith("com3", [&](TTest& d) {
        QCOMPARE(portis(d)->currentText(), QStringLiteral("COM3"));
        QCOMPARE(d.port().Port(), std::string("com3"));  // the component keeps the name
        child<QPushButton>(d, "Button1")->click();
    }));
    // Selecting the entry is no change of port: one opening only.
    QCOMPARE(ports.callsStartingWith("open"), std::vector<std::string>({"open com3"}));
}

void TestPinTest::portHeldElsewhereIsNamedAndThePinsStayDisabled() {
    SimulatedPorts ports;
    ports.driver->holdByOtherProgram("COM3");
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Plain, QStringLiteral("ComPort \"COM3\" konnte nicht geöffnet werden"));
    QVERIFY(runOutputTestWith("COM3", [&](TTest& d) {
        QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
        QVERIFY(d.isVisible());
        QVERIFY(!d.port().Connected());
        QVERIFY(!portLampOn(d));
        QCOMPARE(pinRows(d), kRowsClosed);
        child<QPushButton>(d, "Button1")->click();
    }));
    QCOMPARE(boxes.shown().size(), 1u);
    QCOMPARE(boxes.shown().front().title, QStringLiteral("Dravel"));
}

void TestPinTest::eachPinSwitchesItsLineWithLampAndCaption() {
    SimulatedPorts ports;
    ScriptedBoxes boxes;
    QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
        ports.driver->clearCalls();
        pinButton(d, 1)->click();
        QCOMPARE(pinRows(d),
                 QStringList({"off/Einschalten/1", "on/Ausschalten/1", "off/Einschalten/1"}));
        QCOMPARE(ports.driver->calls(), std::vector<std::string>({"escape 5"}));  // DTR raised
        pinButton(d, 1)->click();
        QCOMPARE(pinRows(d), kRowsOpen);
        pinButton(d, 0)->click();
        pinButton(d, 2)->click();
        QCOMPARE(pinRows(d),
                 QStringList({"on/Ausschalten/1", "off/Einschalten/1", "on/Ausschalten/1"}));
        pinButton(d, 0)->click();
        pinButton(d, 2)->click();
        QCOMPARE(pinRows(d), kRowsOpen);
        QCOMPARE(ports.driver->calls(),
                 std::vector<std::string>(
                     {"escape 5", "escape 6", "escape 8", "escape 3", "escape 9", "escape 4"}));
        child<QPushButton>(d, "Button1")->click();
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestPinTest::failedSwitchIsReportedAndTheRowKeepsItsNewState() {
    SimulatedPorts ports;
    ScriptedBoxes boxes;
    QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
        ports.driver->failCall("escape", 22);
        boxes.expect(BoxKind::Error,
                     QStringLiteral("EscapeCommFunction function failed (win error code: 22)"));
        pinButton(d, 2)->click();
        QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
        QCOMPARE(pinRows(d),
                 QStringList({"off/Einschalten/1", "off/Einschalten/1", "on/Ausschalten/1"}));
        QVERIFY(d.port().Connected());
        child<QPushButton>(d, "Button1")->click();
    }));
}

void TestPinTest::anotherPortResetsThePinRowsBeforeItOpens() {
    SimulatedPorts ports;
    QStringList rowsWhenOpening;
    QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
        QCOMPARE(portis(d)->currentText(), QStringLiteral("COM1"));
        pinButton(d, 0)->click();
        pinButton(d, 1)->click();
        ports.driver->clearCalls();
        ports.driver->onOpen = [&](const std::string&) { rowsWhenOpening = pinRows(d); };
        QTest::keyClick(portis(d), Qt::Key_Down);  // the user picks COM10
        ports.driver->onOpen = nullptr;
        QCOMPARE(rowsWhenOpening, kRowsClosed);
        QCOMPARE(d.port().Port(), std::string("COM10"));
        QVERIFY(d.port().Connected());
        QVERIFY(portLampOn(d));
        QCOMPARE(pinRows(d), kRowsOpen);
        child<QPushButton>(d, "Button1")->click();
    }));
    // The old port's lines were not switched off before it was closed.
    const auto calls = ports.driver->calls();
    const auto closed = std::find(calls.begin(), calls.end(), "close");
    QVERIFY(closed != calls.end());
    QVERIFY(std::none_of(calls.begin(), closed,
                         [](const std::string& c) { return c.rfind("escape", 0) == 0; }));
    QCOMPARE(*std::find_if(closed, calls.end(),
                           [](const std::string& c) { return c.rfind("open", 0) == 0; }),
             std::string("open COM10"));
}

void TestPinTest::anotherPortThatCannotBeOpenedIsReported() {
    SimulatedPorts ports;
    ports.driver->holdByOtherProgram("COM3");
    ScriptedBoxes boxes;
    QVERIFY(runOutputTestWith("COM10", [&](TTest& d) {
        pinButton(d, 1)->click();
        boxes.expect(BoxKind::Error,
                     QStringLiteral("ComPort lässt sich nicht öffnen (win error code: 5)"));
        QTest::keyClick(portis(d), Qt::Key_Down);  // COM3
        QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
        QCOMPARE(portis(d)->currentText(), QStringLiteral("COM3"));
        QVERIFY(!d.port().Connected());
        QVERIFY(!portLampOn(d));
        QCOMPARE(pinRows(d), kRowsClosed);
        child<QPushButton>(d, "Button1")->click();
    }));
    QCOMPARE(ports.driver->openLines(), 0);
}

void TestPinTest::typingTriesEveryPartialName() {
    SimulatedPorts ports;
    ScriptedBoxes boxes;
    QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
        ports.driver->failCall("open", 2);
        boxes
            .expect(BoxKind::Error,
                    QStringLiteral("ComPort lässt sich nicht öffnen (win error code: 2)"))
            .expect(BoxKind::Error,
                    QStringLiteral("ComPort lässt sich nicht öffnen (win error code: 2)"));
        portis(d)->lineEdit()->selectAll();
        QTest::keyClicks(portis(d)->lineEdit(), "CO");
        QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
        QCOMPARE(d.port().Port(), std::string("CO"));
        QCOMPARE(portis(d)->currentText(), QStringLiteral("CO"));
        QCOMPARE(pinRows(d), kRowsClosed);
        child<QPushButton>(d, "Button1")->click();
    }));
    QCOMPARE(ports.callsStartingWith("open"),
             std::vector<std::string>({"open COM1", "open C", "open CO"}));
}

void TestPinTest::keyboardVisitsPinsThenPortThenZurueck() {
    SimulatedPorts ports;
    QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        pinButton(d, 0)->setFocus();
        QStringList visited;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            visited << (portis(d)->isAncestorOf(focus) ? portis(d) : focus)->objectName();
        }
        QCOMPARE(visited, QStringList({"Pin1", "Pin2", "portis", "Aktuell", "Button1"}));
        child<QPushButton>(d, "Button1")->click();
    }));
}

void TestPinTest::leavingClosesThePortWithoutSwitchingThePinsOff() {
    SimulatedPorts ports;
    QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
        pinButton(d, 1)->click();
        pinButton(d, 2)->click();
        ports.driver->clearCalls();
        child<QPushButton>(d, "Button1")->click();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }));
    const auto calls = ports.driver->calls();
    QVERIFY(std::find(calls.begin(), calls.end(), "close") != calls.end());
    QVERIFY(std::none_of(calls.begin(), calls.end(),
                         [](const std::string& c) { return c.rfind("escape", 0) == 0; }));
    QCOMPARE(ports.driver->openLines(), 0);
}

void TestPinTest::closeBoxAsksNothing() {
    SimulatedPorts ports;
    ScriptedBoxes boxes;
    QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
        d.close();
        QVERIFY(!d.isVisible());
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(ports.driver->openLines(), 0);
}

void TestPinTest::refreshingKeepsTextAndPort() {
    SimulatedPorts ports;
    ScriptedBoxes boxes;
    QVERIFY(runOutputTestWith("COM1", [&](TTest& d) {
        ports.driver->setPorts({"ttyUSB0", "COM4"});
        ports.driver->clearCalls();
        child<QPushButton>(d, "Aktuell")->click();
        QCOMPARE(itemsOf(portis(d)), QStringList({"COM4", "ttyUSB0"}));
        QCOMPARE(portis(d)->currentText(), QStringLiteral("COM1"));
        QVERIFY(ports.driver->calls().empty());  // neither closed nor reopened
        QVERIFY(d.port().Connected());

        ports.driver->setPorts({}, 2);
        boxes.expect(BoxKind::Error, QStringLiteral("Registry error (win error code: 2)"));
        child<QPushButton>(d, "Aktuell")->click();
        QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
        QCOMPARE(itemsOf(portis(d)), QStringList({"COM4", "ttyUSB0"}));
        QCOMPARE(portis(d)->currentText(), QStringLiteral("COM1"));
        child<QPushButton>(d, "Button1")->click();
    }));
}

void TestPinTest::unreadablePortListAtStartShowsNoDialog() {
    SimulatedPorts ports;
    ports.driver->setPorts({}, 2);
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Error, QStringLiteral("Registry error (win error code: 2)"));
    QWidget mainWindow;
    bool dialogShown = false;
    QTimer::singleShot(0, qApp, [&] {
        dialogShown = qobject_cast<TTest*>(QApplication::activeModalWidget()) != nullptr;
    });
    dravel::ui::guarded(&mainWindow, [&] { runOutputTest(&mainWindow, "COM1"); });
    QCoreApplication::processEvents();
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QVERIFY(!dialogShown);
    QVERIFY(mainWindow.findChildren<TTest*>().isEmpty());
    QVERIFY(ports.callsStartingWith("open").empty());
}

QTEST_MAIN(TestPinTest)
#include "tst_pintest.moc"
