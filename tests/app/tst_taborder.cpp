// The keyboard visits every window's controls in reading order (frames top to bottom, left to
// right, the buttons last), lands on a radio group's selected item, and no control keeps Tab to
// itself. Each window is walked with real Tab presses, every control enabled, until the focus
// comes back to where it started.

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <fstream>
#include <functional>
#include <memory>

#include "app/Hauptfenster.h"
#include "config/conditions/ConditionList.h"
#include "config/extras/ConditionCsv.h"
#include "config/extras/WiringCheck.h"
#include "devices/system/ProgramDirectory.h"
#include "dialogs/Audio_form.h"
#include "dialogs/Bedingung.h"
#include "dialogs/ComPort.h"
#include "dialogs/Funktionsprobe.h"
#include "dialogs/ProgEinstellung.h"
#include "dialogs/Soundkarte.h"
#include "extras/Bedingungspruefung.h"
#include "extras/CsvImport.h"
#include "extras/ProbenTermine.h"
#include "extras/Verdrahtung.h"
#include "support/SimulatedCards.h"
#include "support/SimulatedPorts.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "tools/FunktTest.h"
#include "tools/Infofenster.h"
#include "tools/PinTest.h"

using namespace dravel;
using testing::child;

namespace {

using Make = std::function<std::unique_ptr<QWidget>()>;

QStringList numbered(const QString& prefix, int from, int to) {
    QStringList names;
    for (int i = from; i <= to; ++i) names << prefix + QString::number(i);
    return names;
}

// The control the user sees take the focus: a field's own editor counts as the field.
QString focusedControl() {
    QWidget* focus = QApplication::focusWidget();
    if (!focus) return QStringLiteral("(none)");
    QWidget* parent = focus->parentWidget();
    if (qobject_cast<QComboBox*>(parent) || qobject_cast<QAbstractSpinBox*>(parent))
        return parent->objectName();
    return focus->objectName();
}

std::unique_ptr<QWidget> wiringCheck() {
    auto window = std::make_unique<extras::TVerdrahtung>(nullptr);
    config::WiringPlan plan;
    for (int pin = 0; pin < config::kPinCount; ++pin)
        plan.steps.push_back({"Pin", "", "aktiv", pin, true});
    plan.steps.push_back(
        {std::string(config::kStopButtonCaption), "", "", config::kStopButtonStep});
    window->setPlan(plan, "");
    window->fillPorts();
    window->preselectPort(QStringLiteral("COM1"));
    return window;
}

std::unique_ptr<QWidget> outputTest() {
    auto window = std::make_unique<tools::TTest>();
    window->fillPorts();
    window->preselectPort(QStringLiteral("COM1"));
    return window;
}

std::unique_ptr<QWidget> csvImport() {
    auto window = std::make_unique<TCsvImport>();
    window->setImport(QStringLiteral("a.csv"),
                      config::importConditionCsv("Pin;Art;Code;Beschreibung;Audiodatei\r\n"
                                                 "0;0;31245;Wehr;\r\n1;9;1;x;\r\n2;9;1;y;\r\n"),
                      0);
    return window;
}

std::unique_ptr<QWidget> conditionCheck() {
    auto window = std::make_unique<TPruefung>();
    window->setFindings({{1, "12345", "eins", "doppelt"}, {2, "12345", "zwei", "doppelt"}});
    return window;
}

std::unique_ptr<QWidget> schedule() {
    auto window = std::make_unique<TProbenTermine>();
    config::DeactivationPlan plan;
    plan.windows = {{config::sys_seconds{}, config::sys_seconds{}, "Montag", ""},
                    {config::sys_seconds{}, config::sys_seconds{}, "Dienstag", ""}};
    window->setPlan("jeden Montag", plan);
    return window;
}

// Sound playback on, so that its play button shows.
std::unique_ptr<QWidget> mainWindow() {
    std::ofstream(devices::programDirectory() + "Prog.ini", std::ios::binary)
        << "[Sound]\r\nPlay=1\r\n";
    auto window = std::make_unique<app::TMain>();
    window->Zusammenfassung();
    return window;
}

// A list of two entries, so that Tab could move from cell to cell.
std::unique_ptr<QWidget> conditionEditor() {
    config::writeConditionList(devices::programDirectory(),
                               {{"0", "0", "eins", "11111", ""}, {"1", "0", "zwei", "22222", ""}});
    auto window = std::make_unique<dialogs::TBedingungen>();
    child<ui::RadioGroup>(*window, "Art")->setItemIndex(2);
    return window;
}

// A valid time, which the time field needs before it lets the focus go.
std::unique_ptr<QWidget> scheduleSettings() {
    auto window = std::make_unique<dialogs::TFunktions>();
    child<ui::RadioGroup>(*window, "Tage")->setItemIndex(2);
    child<QLineEdit>(*window, "Uhrzeit")->setText(QStringLiteral("12:00"));
    return window;
}

// Shows the radio group and selects its item, as the settings put it there.
template <typename Window>
Make withItem(const char* group, int item) {
    return [group, item] {
        auto window = std::make_unique<Window>();
        child<ui::RadioGroup>(*window, group)->setItemIndex(item);
        return window;
    };
}

}  // namespace

class TestTabOrder : public QObject {
    Q_OBJECT
private slots:
    void tabVisitsEachWindowInReadingOrder_data();
    void tabVisitsEachWindowInReadingOrder();

private:
    testing::TempProgramDir dir_;
    testing::SimulatedPorts<> ports_{{"COM1", "COM2"}};
    testing::SimulatedCards cards_;
};

void TestTabOrder::tabVisitsEachWindowInReadingOrder_data() {
    QTest::addColumn<Make>("make");
    QTest::addColumn<QStringList>("expected");
    const QStringList fms = numbered(QStringLiteral("FMS"), 1, 10);
    QTest::newRow("Hauptfenster") << Make(mainWindow) << QStringList{"Abspielen"};
    QTest::newRow("ComPort") << withItem<dialogs::TPort>("Start", 1)
                             << QStringList{"Porties",   "Button2",  "Port_pin", "Pin_aktiv",
                                            "Bemerkung", "Start1",   "Warten",   "Bed_liste",
                                            "Dauer",     "Pin_save", "ok",       "BitBtn1"};
    QTest::newRow("Bedingungen") << Make(conditionEditor)
                                 << QStringList{"Art2",    "Abspielen", "andern",
                                                "Button1", "Pin",       "Beschreibung"} +
                                        fms +
                                        QStringList{"Eintragen", "Ubersicht", "ok", "BitBtn3"};
    QTest::newRow("Audio") << Make([] { return std::make_unique<dialogs::TAudio>(); })
                           << QStringList{"PlaySound",  "Abspielen",        "andern",
                                          "Verzoegern", "verzoeger_zeit",   "Pin_ansteuern",
                                          "Port_pin",   "Zeit_uebernehmen", "BitBtn1"};
    QTest::newRow("Funk Wiedergabe")
        << withItem<dialogs::TSound>("ende", 1)
        << QStringList{"OnOff",          "Soundkarte", "Eingang",     "start0", "StartSekunden",
                       "StartPin",       "ende1",      "EndSekunden", "EndPin", "StartLevel",
                       "EndLautstarke0", "EndLevel",   "ok",          "BitBtn1"};
    QTest::newRow("Funktionsprobe")
        << Make(scheduleSettings) << QStringList{"Tage2",      "Wochentag1", "ZahlWochentag2",
                                                 "Wochentag2", "Tag_Monat",  "Uhrzeit",
                                                 "dauer",      "ok",         "BitBtn1"};
    QTest::newRow("Programm") << Make([] {
        return std::make_unique<dialogs::TProg>();
    }) << QStringList{"ToTray", "AutoEnd", "Reset", "mehrfach", "ok", "BitBtn1"};
    QTest::newRow("Ausgangs Test")
        << Make(outputTest) << QStringList{"Pin0", "Pin1", "Pin2", "portis", "Aktuell", "Button1"};
    QTest::newRow("Alarm Simulation")
        << withItem<tools::TFunktionsTest>("Art", 2)
        << QStringList{"Art2"} + fms + QStringList{"BitBtn1", "BitBtn2"};
    QTest::newRow("Version") << Make([] { return std::make_unique<tools::Tinfo>(); })
                             << QStringList{"TreeView1", "Button1"};
    QTest::newRow("Bedingungsliste prüfen")
        << Make(conditionCheck) << QStringList{"Befunde", "Schliessen"};
    QTest::newRow("Importieren") << Make(csvImport)
                                 << QStringList{"Abgewiesen", "Ersetzen", "Anhaengen", "Abbrechen"};
    QTest::newRow("Funktionsproben") << Make(schedule) << QStringList{"Zeitraeume", "Schliessen"};
    QStringList wiring{"portis", "Aktuell"};
    for (int pin = 0; pin < config::kPinCount; ++pin)
        wiring << QStringLiteral("Schalten%1").arg(pin) << QStringLiteral("InOrdnung%1").arg(pin)
               << QStringLiteral("Fehler%1").arg(pin);
    wiring << "Signalquelle"
           << "SignalSchalten"
           << "TasterPruefen"
           << "GeprueftVon"
           << "Bemerkung"
           << "Speichern"
           << "Drucken"
           << "Schliessen";
    QTest::newRow("Verdrahtung") << Make(wiringCheck) << wiring;
}

void TestTabOrder::tabVisitsEachWindowInReadingOrder() {
    QFETCH(Make, make);
    QFETCH(QStringList, expected);
    const std::unique_ptr<QWidget> window = make();
    window->show();
    QVERIFY(testing::activate(*window));
    QCoreApplication::sendPostedEvents();  // a port opens once its window is up
    for (QWidget* control : window->findChildren<QWidget*>()) control->setEnabled(true);
    child(*window, expected.front())->setFocus(Qt::OtherFocusReason);
    QStringList visited{focusedControl()};
    for (int press = 0; press <= expected.size(); ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (focusedControl() == expected.front()) break;
        visited << focusedControl();
    }
    QVERIFY2(visited == expected, qPrintable(visited.join(' ')));
    // Shift+Tab walks the same way back.
    QStringList back;
    for (qsizetype press = 0; press < expected.size(); ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        back.prepend(focusedControl());
    }
    QVERIFY2(back == expected, qPrintable(back.join(' ')));
}

QTEST_MAIN(TestTabOrder)
#include "tst_taborder.moc"
