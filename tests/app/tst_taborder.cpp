// The keyboard visits every window's controls in reading order (frames top to bottom, left to
// right, the buttons last), lands on a radio group's selected item, and no control keeps Tab to
// itself. Each window is walked with real Tab presses, every control enabled, until the focus
// comes back to where it started.

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <memory>

#include "app/Hauptfenster.h"
#include "config/conditions/ConditionList.h"
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

// A window as its command makes it; group, when given, selects item.
template <typename Window>
Make made(const char* group = nullptr, int item = -1) {
    return [=]() -> std::unique_ptr<QWidget> {
        auto window = std::make_unique<Window>(nullptr);
        if (group) child<ui::RadioGroup>(*window, group)->setItemIndex(item);
        return window;
    };
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

}  // namespace

class TestTabOrder : public QObject {
    Q_OBJECT
private slots:
    // Sound playback on (its play button shows), the push-button in use, two list entries (Tab
    // could move from cell to cell).
    void initTestCase() {
        dir_.write("Prog.ini", "[Sound]\r\nPlay=1\r\n[ComPort]\r\nExtern=1\r\n");
        config::writeConditionList(
            dir_.path(), {{"0", "0", "eins", "11111", ""}, {"1", "0", "zwei", "22222", ""}},
            "Test");
    }
    void tabVisitsEachWindowInReadingOrder_data();
    void tabVisitsEachWindowInReadingOrder();

private:
    testing::TempProgramDir dir_;
    testing::SimulatedPorts<> ports_{{"COM1", "COM2"}};
    testing::SimulatedCards cards_;
};

void TestTabOrder::tabVisitsEachWindowInReadingOrder_data() {
    QTest::addColumn<Make>("make");
    QTest::addColumn<QString>("expected");
    const QString fms = "FMS1 FMS2 FMS3 FMS4 FMS5 FMS6 FMS7 FMS8 FMS9 FMS10";
    QTest::newRow("Hauptfenster") << Make([]() -> std::unique_ptr<QWidget> {
        auto window = std::make_unique<app::TMain>();
        window->Zusammenfassung();
        return window;
    }) << "Abspielen";
    QTest::newRow("ComPort") << made<dialogs::TPort>("Start", 1)
                             << "Porties Button2 Port_pin Pin_aktiv Bemerkung Start1 Warten "
                                "Bed_liste Dauer Pin_save ok BitBtn1";
    QTest::newRow("Bedingungen") << made<dialogs::TBedingungen>("Art", 2)
                                 << "Art2 Abspielen andern Button1 Pin Beschreibung " + fms +
                                        " Eintragen Ubersicht ok BitBtn3";
    QTest::newRow("Audio") << made<dialogs::TAudio>()
                           << "PlaySound Abspielen andern Verzoegern verzoeger_zeit "
                              "Pin_ansteuern Port_pin Zeit_uebernehmen BitBtn1";
    QTest::newRow("Funk Wiedergabe") << made<dialogs::TSound>("ende", 1)
                                     << "OnOff Soundkarte Eingang start0 StartSekunden StartPin "
                                        "ende1 EndSekunden EndPin StartLevel EndLautstarke0 "
                                        "EndLevel ok BitBtn1";
    QTest::newRow("Funktionsprobe") << Make([] {
        auto window = made<dialogs::TFunktions>("Tage", 2)();
        child<QLineEdit>(*window, "Uhrzeit")->setText("12:00");  // else it keeps the focus
        return window;
    }) << "Tage2 Wochentag1 ZahlWochentag2 Wochentag2 Tag_Monat Uhrzeit dauer ok BitBtn1";
    QTest::newRow("Programm") << made<dialogs::TProg>()
                              << "ToTray AutoEnd Reset mehrfach ok BitBtn1";
    QTest::newRow("Ausgangs Test")
        << made<tools::TTest>() << "Pin0 Pin1 Pin2 portis Aktuell Button1";
    QTest::newRow("Alarm Simulation")
        << made<tools::TFunktionsTest>("Art", 2) << "Art2 " + fms + " BitBtn1 BitBtn2";
    QTest::newRow("Version") << made<tools::Tinfo>() << "TreeView1 Button1";
    QTest::newRow("Prüfung") << made<TPruefung>() << "Befunde Schliessen";
    QTest::newRow("Import") << made<TCsvImport>() << "Abgewiesen Ersetzen Anhaengen Abbrechen";
    QTest::newRow("Funktionsproben") << made<TProbenTermine>() << "Zeitraeume Schliessen";
    QTest::newRow("Verdrahtung")
        << Make([]() -> std::unique_ptr<QWidget> {
               auto window = std::make_unique<extras::TVerdrahtung>(nullptr);
               window->setPlan(config::WiringPlan::read(config::IniFile(
                                   config::settingsFilePath(devices::programDirectory()))),
                               "");
               window->preselectPort("COM1");
               return window;
           })
        << "portis Aktuell Schalten0 InOrdnung0 Fehler0 Schalten1 InOrdnung1 Fehler1 Schalten2 "
           "InOrdnung2 Fehler2 Signalquelle SignalSchalten TasterPruefen GeprueftVon Bemerkung "
           "Speichern Drucken Schliessen";
}

// Every control enabled, so none drops out of the walk.
void TestTabOrder::tabVisitsEachWindowInReadingOrder() {
    QFETCH(Make, make);
    QFETCH(QString, expected);
    const std::unique_ptr<QWidget> window = make();
    window->show();
    QVERIFY(testing::activate(*window));
    QCoreApplication::sendPostedEvents();  // a port opens once its window is up
    for (QWidget* control : window->findChildren<QWidget*>()) control->setEnabled(true);
    const QStringList order = expected.split(' ');
    child(*window, order.front())->setFocus();
    QStringList visited{focusedControl()};
    while (visited.size() <= order.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (focusedControl() == order.front()) break;
        visited << focusedControl();
    }
    QCOMPARE(visited.join(' '), expected);
}

QTEST_MAIN(TestTabOrder)
#include "tst_taborder.moc"
