#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "app/Hauptfenster.h"
#include "devices/serial/ComPort.h"
#include "devices/serial/SimulatedSerialDriver.h"
#include "dialogs/Bedingung.h"
#include "dialogs/ComPort.h"
#include "support/TestSupport.h"
#include "ui/ErrorGuard.h"
#include "ui/PanelLabel.h"
#include "ui/RadioGroup.h"

using dravel::devices::testing::SimulatedSerialDriver;
using dravel::testing::ScriptedBoxes;
using dravel::testing::TempProgramDir;
using dravel::ui::BoxKind;
using dravel::ui::BoxRequest;

namespace {

const QString kCancelQuestion = QStringLiteral("Abbrechen ohne Speichern?");

QString changeQuestion(const char* pin) {
    return QStringLiteral("Die Einstellungen von ") + pin +
           QStringLiteral(
               " wurden geändert, aber nicht übernommen.\n\r"
               "Soll diese Änderung übernommen werden?");
}

QString soundNote(const char* pin) {
    return QStringLiteral("Der ") + pin +
           QStringLiteral(
               " wird bereits für die Spielzeit des Sounds angesteuert.\n\r"
               "Die die hier eingestellten Zeiten laufen Paralell zur Sound-Ansteuerungszeit.");
}

std::string pinSection(int n, const std::string& active, const std::string& remark,
                       const std::string& wait, const std::string& duration,
                       const std::string& start) {
    return "[Pin" + std::to_string(n) + "]\r\nAusgang Aktiv=" + active + "\r\nBemerkung=" + remark +
           "\r\nWarten=" + wait + "\r\nDauer=" + duration + "\r\nStart=" + start + "\r\n";
}
const std::string kUntouchedPin0 = pinSection(0, "0", "", "0", "0", "0");

// The ports the system lists, for the lifetime of the object.
class SimulatedPorts {
public:
    explicit SimulatedPorts(std::vector<std::string> ports, int error = 0)
        : sim_(std::make_shared<SimulatedSerialDriver>()) {
        sim_->setPorts(std::move(ports), error);
        previous_ = dravel::devices::replaceSerialDriver(sim_);
    }
    ~SimulatedPorts() { dravel::devices::replaceSerialDriver(previous_); }
    SimulatedSerialDriver& sim() { return *sim_; }

private:
    std::shared_ptr<SimulatedSerialDriver> sim_;
    std::shared_ptr<dravel::devices::SerialDriver> previous_;
};

template <typename W = QWidget>
W* child(QWidget& d, const char* name) {
    W* w = d.findChild<W*>(name);
    if (!w) qFatal("no control %s", name);
    return w;
}
void press(QWidget& d, const char* name) {
    child<QAbstractButton>(d, name)->click();
}
QCheckBox* aktiv(TPort& d) {
    return child<QCheckBox>(d, "Pin_aktiv");
}
QSpinBox* spin(TPort& d, const char* name) {
    return child<QSpinBox>(d, name);
}
dravel::ui::RadioGroup* start(TPort& d) {
    return child<dravel::ui::RadioGroup>(d, "Start");
}
QComboBox* porties(TPort& d) {
    return child<QComboBox>(d, "Porties");
}

// The user picks a pin in the selector.
void choose(TPort& d, int pin) {
    auto* box = child<QComboBox>(d, "Port_pin");
    box->setCurrentIndex(pin);
    emit box->activated(pin);
}

QStringList enabledEditors(TPort& d) {
    QStringList on;
    for (const char* name :
         {"Pin_aktiv", "Bemerkung", "Start", "Warten", "Bed_liste", "Dauer", "Pin_save"})
        if (child(d, name)->isEnabled()) on << name;
    return on;
}

// The main window's "ComPort" command with Port_name holding portName;
// drive gets the shown dialog and is expected to close it.
template <typename Drive>
bool runComPortCommand(TMain& w, const QString& portName, Drive drive) {
    auto* portLabel = child<QLabel>(w, "Port_name");
    portLabel->setText(portName);
    bool driven = false;
    bool leftOpen = false;
    QTimer::singleShot(0, &w, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<TPort*>(modal)) {
            driven = true;
            drive(*dialog);
        }
        if (auto* open = qobject_cast<QDialog*>(modal); open && open->isVisible()) {
            leftOpen = true;
            open->QDialog::done(QDialog::Rejected);
        }
    });
    dravel::ui::guarded(&w, [&] {
        w.runSettingsCommand<TPort>([&](TPort& d) { d.fillPorts(portLabel->text()); });
    });
    return driven && !leftOpen;
}

}  // namespace

class TestComPort : public QObject {
    Q_OBJECT
private slots:
    void formHasItsControlsCaptionsAndHints();
    void acceptAtOnceWritesThePinsAsReadAndThePortField();
    void portFieldKeepsWhatItShows_data();
    void portFieldKeepsWhatItShows();
    void descriptionIsCutTo255Characters();
    void choosingAnotherPinAsksAboutTheEdits_data();
    void choosingAnotherPinAsksAboutTheEdits();
    void soundPinIsNotedOnChoosingAndStoring_data();
    void soundPinIsNotedOnChoosingAndStoring();
    void startModeAndActivationRuleTheControls();
    void storedValuesOutsideTheControlsAreShownAndStoredAsShown();
    void spinTextThatIsNoNumberStoresZero();
    void cancelAsksAndJaWritesNothingEvenAfterPinSpeichern();
    void portListFailingAtOpeningShowsNoDialog();
    void refreshingKeepsTheTextAndReportsItsError();
    void conditionListOpensOnTopAndChangesNothing();
};

void TestComPort::formHasItsControlsCaptionsAndHints() {
    TPort d;
    QCOMPARE(d.windowTitle(), QStringLiteral("ComPort"));
    QCOMPARE(d.size(), QSize(513 - 8, 460 - 31));
    QCOMPARE(start(d)->items(),
             QStringList(
                 {QStringLiteral("Begin nach") + QString(25, ' ') + QStringLiteral("Sec Wartezeit"),
                  QStringLiteral("Nur bei bestimmten Schleife, RICS oder FMS")}));
    QCOMPARE(start(d)->itemIndex(), 0);
    auto* pins = child<QComboBox>(d, "Port_pin");
    QCOMPARE(pins->count(), 3);
    QCOMPARE(pins->itemText(0), QStringLiteral("Pin 3 (TXD)"));
    QCOMPARE(pins->itemText(1), QStringLiteral("Pin 4 (DTR)"));
    QCOMPARE(pins->itemText(2), QStringLiteral("Pin 7 (RTS)"));
    QCOMPARE(pins->currentIndex(), -1);
    QVERIFY(porties(d)->isEditable());
    QCOMPARE(porties(d)->currentText(), QString());

    const std::tuple<const char*, const char*, const char*> controls[] = {
        {"Button2", "Liste Aktualisieren", "Läd die ComPort Liste neu"},
        {"Pin_aktiv", "Funktionen Aktivieren", "Soll eine Aktion ausgeführt werden?"},
        {"Bed_liste", "Bedingungsliste bearbeiten", ""},
        {"Pin_save", "Pin Speichern", ""},
        {"ok", "Übernehmen", ""},
        {"BitBtn1", "Abbrechen", ""}};
    for (const auto& [name, caption, hint] : controls) {
        QCOMPARE(child<QAbstractButton>(d, name)->text(), QString::fromUtf8(caption));
        QCOMPARE(child(d, name)->toolTip(), QString::fromUtf8(hint));
    }
    QCOMPARE(child(d, "Port_pin")->toolTip(), QStringLiteral("Auswahl des Pins für den ComPort"));
    QCOMPARE(child(d, "Bemerkung")->toolTip(),
             QStringLiteral("Beschreibung des Ausgangs (Nicht zwingend Notwendig)"));
    QCOMPARE(child(d, "Warten")->toolTip(),
             QStringLiteral("Wartezeit ab Programmstart, bis Pin angesteuert wird "
                            "(max 1.800 sec/30 min)"));
    QCOMPARE(child(d, "Dauer")->toolTip(),
             QStringLiteral("Dauer der Ansteuerung ab Ansteuerungsbegin (max 1.800 sec/30 min)"));
    for (const char* name : {"Warten", "Dauer"}) {
        QCOMPARE(spin(d, name)->minimum(), 0);
        QCOMPARE(spin(d, name)->maximum(), 1800);
        QCOMPARE(spin(d, name)->value(), 0);
    }
    QVERIFY(child<QLineEdit>(d, "Bemerkung")->maxLength() > 300);
    QCOMPARE(enabledEditors(d), QStringList());
    QVERIFY(child(d, "Button2")->isEnabled());
    auto* mark = child<QCheckBox>(d, "Pin_Anders");
    QVERIFY(!mark->isVisibleTo(&d));
    QVERIFY(!mark->isChecked());
    QCOMPARE(mark->focusPolicy(), Qt::NoFocus);
    // The wait field lies over the blank run of item 0, above the group.
    QCOMPARE(child(d, "Warten")->parentWidget(), start(d)->parentWidget());
    QCOMPARE(child(d, "Warten")->geometry(), QRect(93, 36, 65, 22));
    const QWidgetList siblings =
        start(d)->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(siblings.indexOf(child(d, "Warten")) > siblings.indexOf(start(d)));
}

void TestComPort::acceptAtOnceWritesThePinsAsReadAndThePortField() {
    TempProgramDir dir;
    dir.write("Prog.ini",
              "[Prog]\r\nTray=1\r\n[Pin1]\r\nAusgang Aktiv=1\r\nBemerkung=Sirene\r\nWarten=10\r\n"
              "Dauer=60\r\n[Pin2]\r\nWarten=5000\r\nStart=7\r\n");
    SimulatedPorts ports({"COM2", "COM10", "COM1"});
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(runComPortCommand(w, "COM2", [&](TPort& d) {
        QStringList items;
        for (int i = 0; i < porties(d)->count(); ++i) items << porties(d)->itemText(i);
        QCOMPARE(items, QStringList({"COM1", "COM10", "COM2"}));
        QCOMPARE(porties(d)->currentText(), QStringLiteral("COM2"));
        QCOMPARE(child<QComboBox>(d, "Port_pin")->currentIndex(), -1);
        QCOMPARE(enabledEditors(d), QStringList());
        press(d, "ok");
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(
        dir.read("Prog.ini"),
        "[Prog]\r\nTray=1\r\n" + pinSection(1, "1", "Sirene", "10", "60", "0") +
            "[Pin2]\r\nWarten=5000\r\nStart=7\r\nAusgang Aktiv=0\r\nBemerkung=\r\nDauer=0\r\n" +
            kUntouchedPin0 + "[ComPort]\r\nPort=COM2\r\n");
}

void TestComPort::portFieldKeepsWhatItShows_data() {
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("not listed: empty") << "COM9" << QString() << "";
    QTest::newRow("typed by hand") << "COM1"
                                   << "COM5"
                                   << "COM5";
    QTest::newRow("listed") << "COM1" << QString() << "COM1";
}

void TestComPort::portFieldKeepsWhatItShows() {
    QFETCH(QString, portName);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    TempProgramDir dir;
    SimulatedPorts ports({"COM1", "COM3"});
    TMain w;
    QVERIFY(runComPortCommand(w, portName, [&](TPort& d) {
        QCOMPARE(porties(d)->currentText(), typed.isNull() ? written : portName);
        if (!typed.isNull()) porties(d)->setEditText(typed);
        press(d, "ok");
    }));
    QVERIFY(dir.read("Prog.ini").ends_with("[ComPort]\r\nPort=" + written.toStdString() + "\r\n"));
}

void TestComPort::descriptionIsCutTo255Characters() {
    TempProgramDir dir;
    dir.write("Prog.ini", "[Pin0]\r\nBemerkung=" + std::string(300, '\xE4') + "\r\n");
    SimulatedPorts ports({"COM1"});
    TMain w;
    QVERIFY(runComPortCommand(w, "COM1", [&](TPort& d) {
        choose(d, 0);
        QCOMPARE(child<QLineEdit>(d, "Bemerkung")->text(), QString(255, QChar(0xE4)));
        choose(d, 1);
        aktiv(d)->click();
        child<QLineEdit>(d, "Bemerkung")->setText(QString(300, QChar(0xF6)));
        QCOMPARE(child<QLineEdit>(d, "Bemerkung")->text().size(), 300);
        press(d, "Pin_save");
        QCOMPARE(child<QLineEdit>(d, "Bemerkung")->text(), QString(255, QChar(0xF6)));
        press(d, "ok");
    }));
    const std::string file = dir.read("Prog.ini");
    QVERIFY(file.starts_with("[Pin0]\r\nBemerkung=" + std::string(255, '\xE4') + "\r\n"));
    QVERIFY(file.find(pinSection(1, "1", std::string(255, '\xF6'), "0", "0", "0")) !=
            std::string::npos);
}

void TestComPort::choosingAnotherPinAsksAboutTheEdits_data() {
    QTest::addColumn<bool>("keep");
    QTest::newRow("Ja") << true;
    QTest::newRow("Nein") << false;
}

void TestComPort::choosingAnotherPinAsksAboutTheEdits() {
    QFETCH(bool, keep);
    TempProgramDir dir;
    dir.write("Prog.ini", "[Pin2]\r\nBemerkung=Licht\r\nAusgang Aktiv=1\r\n");
    SimulatedPorts ports({"COM1"});
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(runComPortCommand(w, "COM1", [&](TPort& d) {
        choose(d, 1);
        aktiv(d)->click();
        QVERIFY(child<QCheckBox>(d, "Pin_Anders")->isChecked());
        boxes.expect(BoxKind::Confirmation, changeQuestion("Pin 4 (DTR)"), keep);
        choose(d, 2);
        QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
        QCOMPARE(child<QLineEdit>(d, "Bemerkung")->text(), QStringLiteral("Licht"));
        QVERIFY(aktiv(d)->isChecked());
        QVERIFY(!child<QCheckBox>(d, "Pin_Anders")->isChecked());
        choose(d, 1);  // nothing edited: no question
        QCOMPARE(aktiv(d)->isChecked(), keep);
        // "Übernehmen" stores the pin shown without "Pin Speichern".
        spin(d, "Dauer")->setValue(30);
        press(d, "ok");
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QVERIFY(dir.read("Prog.ini").find(pinSection(1, keep ? "1" : "0", "", "0", "30", "0")) !=
            std::string::npos);
}

void TestComPort::soundPinIsNotedOnChoosingAndStoring_data() {
    QTest::addColumn<bool>("play");
    QTest::newRow("Play 1") << true;
    QTest::newRow("Play 0") << false;
}

void TestComPort::soundPinIsNotedOnChoosingAndStoring() {
    QFETCH(bool, play);
    const std::string sound = "[Sound]\r\nAnsteuern=1\r\nPlay=" + std::string(play ? "1" : "0") +
                              "\r\nAnsteuern Pin=0\r\n";
    TempProgramDir dir;
    dir.write("Prog.ini", sound + "[Pin0]\r\nBemerkung=Horn\r\n");
    SimulatedPorts ports({"COM1"});
    TPort* shown = nullptr;
    QStringList boxes;  // "kind: text", with the description shown at that moment
    const auto previous = dravel::ui::MessageBoxes::setResponder([&](const BoxRequest& box) {
        const bool note = box.kind == BoxKind::Information &&
                          box.title == QStringLiteral("Informationen") &&
                          box.text == soundNote("Pin 3 (TXD)");
        boxes << (note ? "note over " + child<QLineEdit>(*shown, "Bemerkung")->text() : box.text);
        return true;
    });
    TMain w;
    const bool closed = runComPortCommand(w, "COM1", [&](TPort& d) {
        shown = &d;
        choose(d, 0);
        QCOMPARE(child<QLineEdit>(d, "Bemerkung")->text(), QStringLiteral("Horn"));
        choose(d, 1);
        aktiv(d)->click();
        child<QLineEdit>(d, "Bemerkung")->setText("Blitz");
        choose(d, 0);  // "Ja" stores pin 4, then pin 3 is loaded once
        aktiv(d)->click();
        press(d, "Pin_save");
        // The note reads Prog.ini anew each time.
        dir.write("Prog.ini", "[Sound]\r\nPlay=0\r\n");
        choose(d, 1);
        choose(d, 0);
        dir.write("Prog.ini", sound);
        press(d, "ok");
    });
    dravel::ui::MessageBoxes::setResponder(previous);
    QVERIFY(closed);
    const QString question = changeQuestion("Pin 4 (DTR)");
    if (play)  // noted before loading: choosing, choosing, "Pin Speichern", "Übernehmen"
        QCOMPARE(boxes, QStringList({"note over ", question, "note over Blitz", "note over Horn",
                                     "note over Horn"}));
    else
        QCOMPARE(boxes, QStringList({question}));
    QVERIFY(dir.read("Prog.ini").find(pinSection(0, "1", "Horn", "0", "0", "0")) !=
            std::string::npos);
}

void TestComPort::startModeAndActivationRuleTheControls() {
    TempProgramDir dir;
    TPort d;
    TPort::Values values;
    values.pins[2].startMode = 1;
    d.setValues(values);
    choose(d, 0);
    QCOMPARE(enabledEditors(d), QStringList({"Pin_aktiv"}));
    aktiv(d)->click();
    QCOMPARE(enabledEditors(d),
             QStringList({"Pin_aktiv", "Bemerkung", "Start", "Warten", "Dauer", "Pin_save"}));
    start(d)->button(1)->click();
    QCOMPARE(enabledEditors(d),
             QStringList({"Pin_aktiv", "Bemerkung", "Start", "Bed_liste", "Dauer", "Pin_save"}));
    aktiv(d)->click();
    QCOMPARE(enabledEditors(d), QStringList({"Pin_aktiv", "Pin_save"}));
    aktiv(d)->click();
    QCOMPARE(enabledEditors(d),
             QStringList({"Pin_aktiv", "Bemerkung", "Start", "Bed_liste", "Dauer", "Pin_save"}));
    press(d, "Pin_save");
    QVERIFY(!child(d, "Pin_save")->isEnabled());
    QVERIFY(!child<QCheckBox>(d, "Pin_Anders")->isChecked());
    QCOMPARE(d.values().pins[0].startMode, 1);
    QVERIFY(d.values().pins[0].active);

    // A stored pin started by the list but not active.
    TPort fresh;
    fresh.setValues(values);
    choose(fresh, 2);
    QCOMPARE(start(fresh)->itemIndex(), 1);
    QVERIFY(!aktiv(fresh)->isChecked());
    QCOMPARE(enabledEditors(fresh), QStringList({"Pin_aktiv", "Pin_save"}));  // item 0 -> 1
    QVERIFY(!child<QCheckBox>(fresh, "Pin_Anders")->isChecked());
}

void TestComPort::storedValuesOutsideTheControlsAreShownAndStoredAsShown() {
    TempProgramDir dir;
    dir.write(
        "Prog.ini",
        "[Pin0]\r\nWarten=5000\r\nDauer=-5\r\nStart=5\r\n[Pin1]\r\nStart=-2\r\nWarten=77\r\n");
    SimulatedPorts ports({"COM1"});
    TMain w;
    QVERIFY(runComPortCommand(w, "COM1", [&](TPort& d) {
        choose(d, 0);
        QCOMPARE(spin(d, "Warten")->value(), 1800);
        QCOMPARE(spin(d, "Dauer")->value(), 0);
        QCOMPARE(start(d)->itemIndex(), 1);
        choose(d, 1);
        QCOMPARE(start(d)->itemIndex(), -1);
        QCOMPARE(spin(d, "Warten")->value(), 77);
        press(d, "ok");
    }));
    // Pin 0 was only looked at: it goes back as read. Pin 1 is stored as shown.
    QCOMPARE(dir.read("Prog.ini"),
             "[Pin0]\r\nWarten=5000\r\nDauer=-5\r\nStart=5\r\nAusgang Aktiv=0\r\nBemerkung=\r\n"
             "[Pin1]\r\nStart=-1\r\nWarten=77\r\nAusgang Aktiv=0\r\nBemerkung=\r\nDauer=0\r\n" +
                 pinSection(2, "0", "", "0", "0", "0") + "[ComPort]\r\nPort=COM1\r\n");
}

void TestComPort::spinTextThatIsNoNumberStoresZero() {
    TempProgramDir dir;
    TPort d;
    d.setValues({});
    choose(d, 0);
    aktiv(d)->click();
    spin(d, "Warten")->setValue(15);
    press(d, "Pin_save");
    QCOMPARE(d.values().pins[0].wait, 15);
    auto* typing = spin(d, "Warten")->findChild<QLineEdit*>();
    typing->selectAll();
    QTest::keyClick(typing, Qt::Key_Delete);
    QCOMPARE(typing->text(), QString());
    QVERIFY(child(d, "Pin_save")->isEnabled());
    press(d, "Pin_save");
    QCOMPARE(d.values().pins[0].wait, 0);
    QCOMPARE(spin(d, "Warten")->text(), QStringLiteral("0"));
}

void TestComPort::cancelAsksAndJaWritesNothingEvenAfterPinSpeichern() {
    TempProgramDir dir;
    const std::string before = "[Pin1]\r\nAusgang Aktiv=0\r\n";
    dir.write("Prog.ini", before);
    SimulatedPorts ports({"COM1"});
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(runComPortCommand(w, "COM1", [&](TPort& d) {
        choose(d, 1);
        aktiv(d)->click();
        press(d, "Pin_save");
        boxes.expect(BoxKind::Confirmation, kCancelQuestion, false);
        press(d, "BitBtn1");
        QVERIFY(d.isVisible());
        QCOMPARE(child<QComboBox>(d, "Port_pin")->currentIndex(), 1);
        QVERIFY(aktiv(d)->isChecked());
        QVERIFY(d.values().pins[1].active);
        boxes.expect(BoxKind::Confirmation, kCancelQuestion, true);
        d.close();  // the close box counts as "Abbrechen"
        QVERIFY(!d.isVisible());
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(dir.read("Prog.ini"), before);
    QVERIFY(child<dravel::ui::PanelLabel>(w, "Port_info")->panelText() != "Port_info");
}

void TestComPort::portListFailingAtOpeningShowsNoDialog() {
    TempProgramDir dir;
    SimulatedPorts ports({}, 2);
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Error, QStringLiteral("Registry error (win error code: 2)"));
    TMain w;
    QVERIFY(!runComPortCommand(w, "COM1", [](TPort&) {}));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QVERIFY(!dir.exists("Prog.ini"));
    QCOMPARE(child<dravel::ui::PanelLabel>(w, "Port_info")->panelText(), "Port_info");
}

void TestComPort::refreshingKeepsTheTextAndReportsItsError() {
    TempProgramDir dir;
    SimulatedPorts ports({"COM1", "COM3"});
    ScriptedBoxes boxes;
    TMain w;
    const auto items = [](TPort& d) {
        QStringList texts;
        for (int i = 0; i < porties(d)->count(); ++i) texts << porties(d)->itemText(i);
        return texts;
    };
    QVERIFY(runComPortCommand(w, "COM3", [&](TPort& d) {
        ports.sim().setPorts({"COM4", "COM2"});
        press(d, "Button2");
        QCOMPARE(items(d), QStringList({"COM2", "COM4"}));
        QCOMPARE(porties(d)->currentText(), QStringLiteral("COM3"));
        ports.sim().setPorts({}, 5);
        boxes.expect(BoxKind::Error, QStringLiteral("Registry error (win error code: 5)"));
        press(d, "Button2");
        QVERIFY(d.isVisible());
        QCOMPARE(items(d), QStringList({"COM2", "COM4"}));
        QCOMPARE(porties(d)->currentText(), QStringLiteral("COM3"));
        press(d, "ok");
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QVERIFY(dir.read("Prog.ini").ends_with("[ComPort]\r\nPort=COM3\r\n"));
}

void TestComPort::conditionListOpensOnTopAndChangesNothing() {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    TPort d;
    d.setValues({});
    d.show();
    choose(d, 2);
    aktiv(d)->click();
    start(d)->button(1)->click();
    bool openedOnTop = false;
    QTimer::singleShot(0, &d, [&] {
        auto* list = qobject_cast<TBedingungen*>(QApplication::activeModalWidget());
        openedOnTop = list && list->parentWidget() == &d;
        if (list) list->QDialog::done(QDialog::Rejected);
    });
    press(d, "Bed_liste");
    QVERIFY(openedOnTop);
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(child<QComboBox>(d, "Port_pin")->currentIndex(), 2);
    QVERIFY(aktiv(d)->isChecked());
    QCOMPARE(start(d)->itemIndex(), 1);
    QVERIFY(child<QCheckBox>(d, "Pin_Anders")->isChecked());
    QVERIFY(!dir.exists("Alarmierung.dat"));
    d.QDialog::done(QDialog::Rejected);
}

QTEST_MAIN(TestComPort)
#include "tst_comport.moc"
