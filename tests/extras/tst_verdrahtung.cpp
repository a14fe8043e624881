// The wiring check window over a line whose far end the test holds: a pseudo-terminal with modem
// lines on Linux (pty_modem_lines.so preloaded), COM7 linked to one under Wine.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <optional>

#include "app/Hauptfenster.h"
#include "common/TestSerialLine.h"
#include "devices/serial/ComPort.h"
#include "devices/serial/SerialPorts.h"
#include "extras/ExtrasMenu.h"
#include "extras/Verdrahtung.h"
#include "support/SimulatedPorts.h"
#include "support/TestSupport.h"
#include "support/UnreadList.h"
#include "support/WindowDriver.h"
#include "ui/ComLed.h"

using dravel::devices::SerialDriver;
using dravel::devices::SerialLine;
using dravel::devices::SystemError;
using dravel::extras::ExtrasMenu;
using dravel::extras::TVerdrahtung;
using namespace dravel::testing;
using dravel::ui::BoxKind;
using dravel::ui::TComLed;
using dravel::ui::TLedState;
using testplatform::TestSerialLine;
using namespace std::chrono;

namespace {

constexpr int kDtr = 0x002, kRts = 0x004, kCts = 0x020, kRing = 0x080, kDsr = 0x100, kDcd = 0x040;
constexpr int kBreak = TestSerialLine::kBreakState;
constexpr int kOutputs = kDtr | kRts | kBreak;

// The platform's own driver listing two names that lead to no device (under Wine COM1 to COM4
// would reach the machine's ttyS devices), without the line under test, as a configured port
// may be missing from the list.
class ListedPlatformDriver : public SerialDriver {
public:
    SystemError listPorts(std::vector<std::string>& names) override {
        names = {"COM98", "COM99"};
        return 0;
    }
    std::unique_ptr<SerialLine> open(const std::string& name, SystemError& error) override {
        return platform_->open(name, error);
    }
    SystemError invalidHandleError() override { return platform_->invalidHandleError(); }

private:
    std::shared_ptr<SerialDriver> platform_ = dravel::devices::createPlatformSerialDriver();
};

// Pin 3 fires the siren, Pin 4 opens the gate, Pin 7 is unused; the push button is on.
std::string settingsFor(const std::string& port) {
    return "[ComPort]\r\nPort=" + port +
           "\r\nExtern=1\r\n[Pin0]\r\nAusgang "
           "Aktiv=1\r\nBemerkung=Sirene\r\nStart=0\r\nWarten=5\r\n"
           "[Pin1]\r\nAusgang Aktiv=1\r\nBemerkung=Tor\r\nStart=1\r\n[Pin2]\r\nAusgang Aktiv=0\r\n";
}

// A program directory with both files, and the main window whose Extras menu opens the check;
// the clock advances a minute at each look, so each recorded result has its own time.
class Bench {
public:
    explicit Bench(const std::string& port) {
        dir.write("Prog.ini", settingsFor(port));
        dir.write("Alarmierung.dat", std::string(1280, '\x01'));
        if (!window.findChild<ExtrasMenu*>()) qFatal("no Extras menu");
        services.now = [this] {
            return floor<seconds>(sys_days(2026y / December / 7) + 9h) + minutes(ticks++);
        };
        services.chooseSaveFile = [this](QWidget*, const QString&, const QString&, const QString&) {
            return saveAnswer;
        };
        putServicesIn();
        before = snapshot();
    }

    // The check uses services as they are when this is called.
    void putServicesIn() { standIns_.emplace(dravel::extras::replaceExtrasServices, services); }

    bool run(const std::function<void(TVerdrahtung&)>& drive) {
        return driveModal<TVerdrahtung>(
            [&] { child<QAction>(window, "VerdrahtungPruefen1")->trigger(); },
            [&](TVerdrahtung& d) {
                QCoreApplication::sendPostedEvents(&d, QEvent::MetaCall);  // opens the port
                drive(d);
            });
    }

    // Neither file the alarm program reads is touched.
    bool filesUntouched() const { return snapshot() == before; }

    TempProgramDir dir;
    dravel::app::TMain window;
    dravel::extras::ExtrasServices services;
    QString saveAnswer;
    int ticks = 0;

private:
    QString snapshot() const {
        QString state;
        for (const char* name : {"Prog.ini", "Alarmierung.dat"})
            state += QString::fromStdString(dir.read(name)) +
                     QFileInfo(QString::fromStdString(dir.file(name)))
                         .lastModified()
                         .toString(Qt::ISODateWithMs);
        return state;
    }
    QString before;
    std::optional<ScopedHook<dravel::extras::ExtrasServices>> standIns_;
};

QPushButton* button(TVerdrahtung& d, const QString& name) {
    return child<QPushButton>(d, name);
}
QString result(TVerdrahtung& d, int step) {
    return child<QLabel>(d, QStringLiteral("Ergebnis%1").arg(step))->text();
}
bool lit(TVerdrahtung& d, const char* lamp) {
    return child<TComLed>(d, lamp)->State() == TLedState::lsOn;
}
// The four input lamps, Ring CTS DSR DCD, as "1010".
QString inputs(TVerdrahtung& d) {
    QString text;
    for (const char* lamp : {"LedRing", "LedCts", "LedDsr", "LedDcd"})
        text += lit(d, lamp) ? '1' : '0';
    return text;
}

// A picture of the window as the platform draws it, where DRAVEL_WIRING_PICTURE names a file.
void savePicture(QWidget& window) {
    const QString path = qEnvironmentVariable("DRAVEL_WIRING_PICTURE");
    if (!path.isEmpty()) window.grab().save(path);
}

}  // namespace

class TestVerdrahtung : public QObject {
    Q_OBJECT

    TestSerialLine line;
    std::optional<ScopedHook<std::shared_ptr<SerialDriver>>> driver;
    std::optional<ScopedHook<milliseconds>> timeout;
    // Each test's message boxes and main window on the line; every expected box must have shown
    // and neither file the alarm program reads been touched by the test's end.
    std::optional<ScriptedBoxes> boxes;
    std::optional<Bench> bench;

    // As the user picks a port from the list.
    static void choosePort(TVerdrahtung& d, int index) {
        combo(d, "portis")->setCurrentIndex(index);
        emit combo(d, "portis")->activated(index);
    }
    bool farEnd(int mask, int expected) {
        return QTest::qWaitFor([&] { return (line.switchedLines() & mask) == expected; }, 5000);
    }
    // A run that failed half-way may have left outputs on at the far end.
    static void clearOutputs() {
        const int none = 0;
        std::ofstream(qEnvironmentVariable("DRAVEL_PTY_LINES_DIR").toStdString() + "/out",
                      std::ios::binary)
            .write(reinterpret_cast<const char*>(&none), sizeof none);
    }

    // Drives the far end's input lines and waits until the window's lamps show them: the port
    // reports every change, whenever it comes (no time for its event thread to settle).
    bool drive(TVerdrahtung& d, int lines) {
        QString shown;
        for (int bit : {kRing, kCts, kDsr, kDcd}) shown += lines & bit ? '1' : '0';
        return line.driveLines(lines) && QTest::qWaitFor([&] { return inputs(d) == shown; }, 5000);
    }

private slots:
    void init() {
        boxes.emplace();
        if (!line.ok()) QSKIP(line.whyNot().c_str());
        if (line.switchedLines() < 0) QSKIP("no modem-line stand-in preloaded");
        line.driveLines(0);
        clearOutputs();
        driver.emplace(dravel::devices::replaceSerialDriver,
                       std::make_shared<ListedPlatformDriver>());
        timeout.emplace(dravel::extras::replaceStopButtonTimeout, milliseconds(1500));
        bench.emplace(line.portName());
    }
    void cleanup() {
        const bool untouched = !bench || bench->filesUntouched();
        bench.reset();
        timeout.reset();
        driver.reset();
        if (line.ok()) line.driveLines(0);
        QVERIFY(untouched);
        VERIFY_BOXES(*boxes);
    }

    // The configured port is opened although the list does not hold it; the rows come from the
    // settings without results; Pin 3 is the break state, Pin 4 DTR, Pin 7 RTS at the far end.
    void rowsFromTheSettingsAndEachOutputSwitchReachesTheFarEnd() {
        QVERIFY(bench->run([&](TVerdrahtung& d) {
            QCOMPARE(d.port().Port(), line.portName());
            QCOMPARE(combo(d, "portis")->currentText(), QString());
            QVERIFY(lit(d, "PortOpen"));
            QCOMPARE(inputs(d), QStringLiteral("0000"));
            for (int step = 0; step < 4; ++step) QCOMPARE(result(d, step), QString());
            QStringList texts;
            for (const QLabel* l : d.findChildren<QLabel*>()) texts << l->text();
            for (const char* text :
                 {"Pin 3 (TXD)", "Sirene", "aktiv, 5 Sekunden nach Programmstart", "Pin 4 (DTR)",
                  "Tor", "aktiv, bei Kennungen der Bedingungsliste", "Pin 7 (RTS)", "nicht aktiv",
                  "Taster an Pin 9 (Ring)", "Pin 9 (Ring)", "Pin 8 (CTS)", "Pin 6 (DSR)",
                  "Pin 1 (DCD)"})
                QVERIFY2(texts.contains(QString::fromUtf8(text)), text);
            QVERIFY(farEnd(kOutputs, 0));
            const std::pair<int, int> pins[] = {{0, kBreak}, {1, kDtr}, {2, kRts}};
            for (const auto& [pin, bit] : pins) {
                QPushButton* b = button(d, QStringLiteral("Schalten%1").arg(pin));
                b->click();
                QVERIFY2(farEnd(kOutputs, bit), qPrintable(b->objectName()));
                QCOMPARE(b->text(), QStringLiteral("Ausschalten"));
                QVERIFY(lit(d, qPrintable(QStringLiteral("Led%1").arg(pin))));
                b->click();
                QVERIFY2(farEnd(kOutputs, 0), qPrintable(b->objectName()));
                QCOMPARE(b->text(), QStringLiteral("Einschalten"));
            }
            d.accept();
        }));
    }

    void inputLampsFollowTheFarEndAndGoOffWithThePort() {
        QVERIFY(bench->run([&](TVerdrahtung& d) {
            QVERIFY(drive(d, kCts | kDcd));
            QCOMPARE(inputs(d), QStringLiteral("0101"));
            QVERIFY(drive(d, kDsr | kRing));
            QCOMPARE(inputs(d), QStringLiteral("1010"));
            // COM98, which does not exist: the lamps go off with the old port, whatever its lines.
            boxes->expectContaining(BoxKind::Error,
                                    QStringLiteral("ComPort lässt sich nicht öffnen"));
            choosePort(d, 0);
            VERIFY_BOXES(*boxes);
            QVERIFY(!d.port().Connected());
            QCOMPARE(inputs(d), QStringLiteral("0000"));
            QVERIFY(!lit(d, "PortOpen"));
            QVERIFY(!button(d, "Schalten1")->isEnabled());
            d.accept();
        }));
    }

    // The step switches its signal source on and, once it has a result, back to how it was; no
    // ring within the (shortened) time fails it.
    void pushButtonStepSwitchesItsSourceOnForTheStepOnly() {
        QVERIFY(bench->run([&](TVerdrahtung& d) {
            combo(d, "Signalquelle")->setCurrentIndex(1);
            button(d, "TasterPruefen")->click();
            QVERIFY(farEnd(kOutputs, kDtr));
            QCOMPARE(button(d, "SignalSchalten")->text(), QStringLiteral("Ausschalten"));
            QCOMPARE(result(d, 3), QStringLiteral("Taster jetzt drücken und loslassen"));
            QVERIFY(drive(d, kRing));
            QCOMPARE(result(d, 3), QStringLiteral("Taster gedrückt, loslassen"));
            savePicture(d);
            QVERIFY(drive(d, 0));
            QVERIFY(QTest::qWaitFor([&] { return result(d, 3).startsWith("In Ordnung"); }, 5000));
            QVERIFY(farEnd(kOutputs, 0));
            QCOMPARE(button(d, "Schalten1")->text(), QStringLiteral("Einschalten"));
            QTest::qWait(1700);  // past the shortened time: the pass stands
            QVERIFY(result(d, 3).startsWith("In Ordnung"));
            const auto outcome = d.outcome();
            QCOMPARE(outcome.results[3].result, dravel::config::CheckResult::Passed);
            QCOMPARE(outcome.signalSource, 1);

            button(d, "SignalSchalten")->click();  // a source that was on stays on
            QVERIFY(farEnd(kOutputs, kDtr));
            button(d, "TasterPruefen")->click();
            QVERIFY(QTest::qWaitFor([&] { return result(d, 3).startsWith("Fehler"); }, 5000));
            QTest::qWait(100);
            QCOMPARE(line.switchedLines() & kOutputs, kDtr);
            d.accept();
        }));
        QVERIFY(farEnd(kOutputs, 0));
    }

    void closingWithOutputsOnLeavesEveryLineOff_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Schließen") << "Schliessen";
        QTest::newRow("close box") << "close";
        QTest::newRow("Escape") << "escape";
    }

    void closingWithOutputsOnLeavesEveryLineOff() {
        QFETCH(QString, how);
        const dravel::devices::TComPort* port = nullptr;
        QVERIFY(bench->run([&](TVerdrahtung& d) {
            port = &d.port();
            for (int pin = 0; pin < 3; ++pin)
                button(d, QStringLiteral("Schalten%1").arg(pin))->click();
            QVERIFY(farEnd(kOutputs, kOutputs));
            if (how == "Schliessen")
                button(d, "Schliessen")->click();
            else if (how == "close")
                d.close();
            else
                QTest::keyClick(&d, Qt::Key_Escape);
            QVERIFY(!d.isVisible());
            QVERIFY(!d.port().Connected());
        }));
        QVERIFY(farEnd(kOutputs, 0));
        // The port is free again: the output test's component can have it.
        dravel::devices::TComPort again;
        again.SetPort(line.portName());
        QVERIFY_THROWS_NO_EXCEPTION(again.OpenPort());
    }

    // The component's own message; the window stays usable: results can be recorded and
    // another port chosen.
    void aPortThatCannotBeOpenedIsReportedAndTheWindowStaysUsable() {
        SimulatedPorts<> ports({"COM1", "COM3"});
        ports.driver().holdByOtherProgram("COM3");
        bench.emplace("COM3");
        boxes->expect(BoxKind::Error,
                      QStringLiteral("ComPort lässt sich nicht öffnen (win error code: 5)"));
        QVERIFY(bench->run([&](TVerdrahtung& d) {
            VERIFY_BOXES(*boxes);
            QVERIFY(d.isVisible());
            QVERIFY(!d.port().Connected());
            QCOMPARE(combo(d, "portis")->currentText(), QStringLiteral("COM3"));
            QVERIFY(!button(d, "Schalten0")->isEnabled());
            QVERIFY(!button(d, "TasterPruefen")->isEnabled());
            button(d, "Fehler0")->click();
            QCOMPARE(result(d, 0), QStringLiteral("Fehler, 10:00:00"));
            choosePort(d, 0);
            QVERIFY(d.port().Connected());
            QCOMPARE(d.port().Port(), std::string("COM1"));
            QVERIFY(button(d, "Schalten0")->isEnabled());
            d.accept();
        }));
    }

    // A switch the driver refused leaves the row showing the line as it is, off, and starts no
    // push-button step; an adapter pulled out is shown as gone.
    void aRefusedSwitchAndAPortThatGoesAwayAreShownAsTheyAre() {
        SimulatedPorts<> ports({"COM1"});
        bench.emplace("COM1");
        QVERIFY(bench->run([&](TVerdrahtung& d) {
            ports.driver().failCall("escape", 31);
            const QString refused =
                QStringLiteral("EscapeCommFunction function failed (win error code: 31)");
            boxes->expect(BoxKind::Error, refused).expect(BoxKind::Error, refused);
            button(d, "Schalten0")->click();
            button(d, "TasterPruefen")->click();
            VERIFY_BOXES(*boxes);
            QCOMPARE(button(d, "Schalten0")->text() + result(d, 3), QStringLiteral("Einschalten"));
            QVERIFY(!lit(d, "Led0"));
            ports.driver().failCall("modemStatus", 31);
            QVERIFY(QTest::qWaitFor([&] { return !lit(d, "PortOpen"); }, 5000));
            QCOMPARE(child<QLabel>(d, "PortZustand")->text(), "COM1 ist nicht mehr vorhanden");
            QVERIFY(child<QLabel>(d, "PortZustand")->isVisible());
            QVERIFY(!button(d, "TasterPruefen")->isEnabled());
            d.accept();
        }));
    }

    // A typed name that a listed one equals is tried once when the field is left.
    void aTypedPortIsTriedOnce() {
        SimulatedPorts<> ports({"COM1", "COM2"});
        bench.emplace("COM1");
        QVERIFY(bench->run([&](TVerdrahtung& d) {
            QVERIFY(activate(d));
            combo(d, "portis")->setFocus();
            combo(d, "portis")->lineEdit()->selectAll();
            QTest::keyClicks(combo(d, "portis")->lineEdit(), "COM2");
            QTest::keyClick(combo(d, "portis")->lineEdit(), Qt::Key_Tab);
            QCOMPARE(d.port().Port(), std::string("COM2"));
            d.accept();
        }));
        const auto calls = ports.driver().calls();
        QCOMPARE(std::count(calls.begin(), calls.end(), "open COM2"), 1);
    }

    // As "Extras → Drucken…": without a printer there is nothing to choose.
    void printingWithoutAPrinterSaysSo() {
        bench->services.printerInstalled = [] { return false; };
        bench->services.setUpPrinter = [](QWidget*, QPrinter&) { return false; };
        bench->putServicesIn();
        boxes->expect(BoxKind::Information, QStringLiteral("Es ist kein Drucker eingerichtet."));
        QVERIFY(bench->run([&](TVerdrahtung& d) {
            button(d, "Drucken")->click();
            d.accept();
        }));
    }

    void protocolAsPdfAndPrintedHoldsEveryRowWithItsResult() {
        const QString pdf = QString::fromStdString(bench->dir.file("protokoll.pdf"));
        const QString printed = QString::fromStdString(bench->dir.file("gedruckt.pdf"));
        bench->saveAnswer = pdf;
        bench->services.printerInstalled = [] { return true; };
        bench->services.setUpPrinter = [&](QWidget*, QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            return true;
        };
        bench->putServicesIn();
        boxes->expect(BoxKind::Information,
                      QStringLiteral("Das Protokoll wurde in \"%1\" gespeichert").arg(pdf));
        QVERIFY(bench->run([&](TVerdrahtung& d) {
            button(d, "InOrdnung0")->click();  // 10:00
            button(d, "Fehler1")->click();     // 10:01
            button(d, "InOrdnung1")->click();  // 10:02: the last word counts
            button(d, "TasterPruefen")->click();
            QVERIFY(QTest::qWaitFor([&] { return result(d, 3).startsWith("Fehler"); }, 5000));
            QCOMPARE(result(d, 1), QStringLiteral("In Ordnung, 10:02:00"));
            child<QLineEdit>(d, "GeprueftVon")->setText(QStringLiteral("Jörg Weiß"));
            child<QLineEdit>(d, "Bemerkung")->setText(QStringLiteral("Relais K2 getauscht"));
            button(d, "Speichern")->click();
            button(d, "Drucken")->click();
            d.accept();
        }));
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("poppler-utils are needed to read the protocol back");
        const QString patterns[] = {
            "Prüfprotokoll Alarmschnittstelle",
            "Erstellt am 07\\.12\\.2026 10:0\\d",
            QRegularExpression::escape(QString::fromStdString(bench->dir.path())),
            "ComPort: " + QRegularExpression::escape(QString::fromStdString(line.portName())),
            "Pin 3 \\(TXD\\)\\s+Sirene\\s+aktiv, 5 Sekunden.*In Ordnung\\s+10:00:00",
            "Pin 4 \\(DTR\\)\\s+Tor\\s+aktiv, bei Kennungen.*In Ordnung\\s+10:02:00",
            "Pin 7 \\(RTS\\)\\s+nicht aktiv\\s*\\n",
            "Taster an Pin 9 \\(Ring\\)\\s+Signalquelle: Pin 3 \\(TXD\\)\\s+Fehler\\s+10:03:00",
            "Geprüft von: Jörg Weiß",
            "Bemerkung: Relais K2 getauscht"};
        for (const QString& file : {pdf, printed}) {
            const QString info = toolOutput(QStringLiteral("pdfinfo"), {file});
            QVERIFY2(
                info.contains(QRegularExpression("Pages:\\s+1\\n.*\\(A4\\)",
                                                 QRegularExpression::DotMatchesEverythingOption)),
                qPrintable(info));  // one A4 page
            const QString text = pdfText(file);
            for (const QString& pattern : patterns)
                QVERIFY2(text.contains(QRegularExpression(pattern)),
                         qPrintable(pattern + " in:\n" + text));
        }
    }
};

QTEST_MAIN(TestVerdrahtung)
#include "tst_verdrahtung.moc"
