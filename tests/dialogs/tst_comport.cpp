#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/Hauptfenster.h"
#include "config/conditions/ConditionList.h"
#include "config/storage/AtomicFile.h"
#include "dialogs/Bedingung.h"
#include "dialogs/ComPort.h"
#include "support/SimulatedPorts.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "ui/ErrorGuard.h"
#include "ui/PanelLabel.h"
#include "ui/RadioGroup.h"

using dravel::dialogs::TBedingungen;
using dravel::dialogs::TPort;

using namespace dravel::testing;
using dravel::ui::BoxKind;
using dravel::ui::BoxRequest;
using Ports = SimulatedPorts<>;

namespace {

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
QCheckBox* aktiv(TPort& d) {
    return check(d, "Pin_aktiv");
}
QCheckBox* changed(TPort& d) {
    return check(d, "Pin_Anders");
}
QLineEdit* remark(TPort& d) {
    return child<QLineEdit>(d, "Bemerkung");
}
dravel::ui::RadioGroup* start(TPort& d) {
    return radio(d, "Start");
}
QComboBox* porties(TPort& d) {
    return combo(d, "Porties");
}
int chosenPin(TPort& d) {
    return combo(d, "Port_pin")->currentIndex();
}

// The user picks a pin in the selector.
void choose(TPort& d, int pin) {
    auto* box = combo(d, "Port_pin");
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
const QStringList kPinEditors{"Pin_aktiv", "Bemerkung", "Start", "Warten", "Dauer", "Pin_save"};
const QStringList kListEditors{"Pin_aktiv", "Bemerkung", "Start", "Bed_liste", "Dauer", "Pin_save"};

// The main window's "ComPort" command with Port_name holding portName;
// drive gets the shown dialog and is expected to close it.
bool runComPortCommand(CommandTest& t, const QString& portName,
                       const std::function<void(TPort&)>& drive) {
    child<QLabel>(t.window, "Port_name")->setText(portName);
    const auto run = [&] {
        t.window.runSettingsCommand<TPort>(nullptr, [&](TPort& d) { d.fillPorts(portName); });
    };
    return driveModal<TPort>([&] { dravel::ui::guarded(&t.window, run); }, drive) &&
           t.boxes.failures().empty();
}

}  // namespace

class TestComPort : public QObject {
    Q_OBJECT
private slots:
    // The wait field lies over the blank run of item 0, above the group.
    void formHasItsControlsCaptionsAndHints() {
        TPort d;
        QCOMPARE(d.windowTitle(), QStringLiteral("ComPort"));
        QCOMPARE(start(d)->items(), (QStringList{"Begin nach" + QString(25, ' ') + "Sec Wartezeit",
                                                 "Nur bei bestimmten Schleife, RICS oder FMS"}));
        QCOMPARE(start(d)->itemIndex(), 0);
        QCOMPARE(itemsOf(combo(d, "Port_pin")),
                 (QStringList{"Pin 3 (TXD)", "Pin 4 (DTR)", "Pin 7 (RTS)"}));
        QCOMPARE(chosenPin(d), -1);
        QVERIFY(porties(d)->isEditable());
        QCOMPARE(porties(d)->currentText(), QString());
        QCOMPARE(child<QPushButton>(d, "Pin_save")->text(), QStringLiteral("Pin Speichern"));
        QCOMPARE(enabledEditors(d), QStringList());
        QVERIFY(child(d, "Button2")->isEnabled());
        QVERIFY(!changed(d)->isVisibleTo(&d));
        QVERIFY(!changed(d)->isChecked());
        QCOMPARE(child(d, "Warten")->parentWidget(), start(d)->parentWidget());
        const QWidgetList siblings =
            start(d)->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(siblings.indexOf(child(d, "Warten")) > siblings.indexOf(start(d)));
    }

    // Pins go back as read, then the port field.
    void acceptAtOnceWritesThePinsAsReadAndThePortField() {
        CommandTest t;
        t.store(
            "[Prog]\r\nTray=1\r\n[Pin1]\r\nAusgang Aktiv=1\r\nBemerkung=Sirene\r\n"
            "Warten=10\r\nDauer=60\r\n[Pin2]\r\nWarten=5000\r\nStart=7\r\n");
        Ports ports({"COM2", "COM10", "COM1"});
        QVERIFY(runComPortCommand(t, "COM2", [&](TPort& d) {
            QCOMPARE(itemsOf(porties(d)), QStringList({"COM1", "COM10", "COM2"}));
            QCOMPARE(porties(d)->currentText(), QStringLiteral("COM2"));
            QCOMPARE(chosenPin(d), -1);
            QCOMPARE(enabledEditors(d), QStringList());
            press(d, "ok");
        }));
        VERIFY_BOXES(t.boxes);
        QCOMPARE(t.settings(),
                 "[Prog]\r\nTray=1\r\n" + pinSection(1, "1", "Sirene", "10", "60", "0") +
                     "[Pin2]\r\nWarten=5000\r\nStart=7\r\nAusgang Aktiv=0\r\nBemerkung=\r\n"
                     "Dauer=0\r\n" +
                     pinSection(0, "0", "", "0", "0", "0") + "[ComPort]\r\nPort=COM2\r\n");
    }

    // A stored port that is not plugged in stays the setting until another is
    // picked or typed, and the window says that it is missing.
    void portFieldKeepsWhatItShows_data() {
        QTest::addColumn<QString>("portName");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("missingNoted");
        QTest::addColumn<QString>("written");
        QTest::newRow("not listed: kept")
            << "COM9" << QString() << "COM9 (nicht angeschlossen)" << true << "COM9";
        QTest::newRow("not listed, another picked")
            << "COM9"
            << "COM3"
            << "COM9 (nicht angeschlossen)" << false << "COM3";
        QTest::newRow("typed by hand") << "COM1"
                                       << "COM5"
                                       << "COM1" << false << "COM5";
        QTest::newRow("listed") << "COM1" << QString() << "COM1" << false << "COM1";
        QTest::newRow("none stored") << "" << QString() << "" << false << "";
    }

    void portFieldKeepsWhatItShows() {
        QFETCH(QString, portName);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, missingNoted);
        QFETCH(QString, written);
        CommandTest t;
        Ports ports({"COM1", "COM3"});
        QVERIFY(runComPortCommand(t, portName, [&](TPort& d) {
            QCOMPARE(porties(d)->currentText(), shown);
            const int picked = porties(d)->findText(typed);
            if (picked >= 0)
                porties(d)->setCurrentIndex(picked);
            else if (!typed.isNull())
                porties(d)->setEditText(typed);
            auto* note = child<QLabel>(d, "PortFehlt");
            QCOMPARE(note->isVisible(), missingNoted);
            if (missingNoted)
                QCOMPARE(note->text(), QStringLiteral("Der gespeicherte Port ") + portName +
                                           QStringLiteral(" ist nicht angeschlossen."));
            press(d, "ok");
        }));
        QVERIFY(t.settings().ends_with("[ComPort]\r\nPort=" + written.toStdString() + "\r\n"));
    }

    void descriptionIsCutTo255Characters() {
        CommandTest t;
        t.store("[Pin0]\r\nBemerkung=" + std::string(300, '\xE4') + "\r\n");
        Ports ports({"COM1"});
        QVERIFY(runComPortCommand(t, "COM1", [&](TPort& d) {
            choose(d, 0);
            QCOMPARE(remark(d)->text(), QString(255, QChar(0xE4)));
            choose(d, 1);
            aktiv(d)->click();
            remark(d)->setText(QString(300, QChar(0xF6)));
            QCOMPARE(remark(d)->text().size(), 300);
            press(d, "Pin_save");
            QCOMPARE(remark(d)->text(), QString(255, QChar(0xF6)));
            press(d, "ok");
        }));
        const std::string file = t.settings();
        QVERIFY(file.starts_with("[Pin0]\r\nBemerkung=" + std::string(255, '\xE4') + "\r\n"));
        QVERIFY(contains(file, pinSection(1, "1", std::string(255, '\xF6'), "0", "0", "0")));
    }

    void choosingAnotherPinAsksAboutTheEdits_data() {
        QTest::addColumn<bool>("keep");
        QTest::newRow("Ja") << true;
        QTest::newRow("Nein") << false;
    }

    // Choosing again without edits asks nothing; "Übernehmen" stores the pin
    // shown without "Pin Speichern".
    void choosingAnotherPinAsksAboutTheEdits() {
        QFETCH(bool, keep);
        CommandTest t;
        t.store("[Pin2]\r\nBemerkung=Licht\r\nAusgang Aktiv=1\r\n");
        Ports ports({"COM1"});
        QVERIFY(runComPortCommand(t, "COM1", [&](TPort& d) {
            choose(d, 1);
            aktiv(d)->click();
            QVERIFY(changed(d)->isChecked());
            t.boxes.expect(BoxKind::Confirmation, changeQuestion("Pin 4 (DTR)"), keep);
            choose(d, 2);
            VERIFY_BOXES(t.boxes);
            QCOMPARE(remark(d)->text(), QStringLiteral("Licht"));
            QVERIFY(aktiv(d)->isChecked());
            QVERIFY(!changed(d)->isChecked());
            choose(d, 1);
            QCOMPARE(aktiv(d)->isChecked(), keep);
            spin(d, "Dauer")->setValue(30);
            press(d, "ok");
        }));
        VERIFY_BOXES(t.boxes);
        QVERIFY(contains(t.settings(), pinSection(1, keep ? "1" : "0", "", "0", "30", "0")));
    }

    void soundPinIsNotedOnChoosingAndStoring_data() {
        QTest::addColumn<bool>("play");
        QTest::newRow("Play 1") << true;
        QTest::newRow("Play 0") << false;
    }

    // The note comes before the pin is loaded and reads Prog.ini anew each
    // time: on choosing, choosing, "Pin Speichern" and "Übernehmen".
    void soundPinIsNotedOnChoosingAndStoring() {
        QFETCH(bool, play);
        const std::string sound =
            "[Sound]\r\nAnsteuern=1\r\nPlay=" + std::string(play ? "1" : "0") +
            "\r\nAnsteuern Pin=0\r\n";
        CommandTest t;
        t.store(sound + "[Pin0]\r\nBemerkung=Horn\r\n");
        Ports ports({"COM1"});
        TPort* shown = nullptr;
        QStringList boxes;  // each text, a note as the description shown at that moment
        const RecordingBoxes recording([&](const BoxRequest& box) {
            const bool note =
                box.kind == BoxKind::Information && box.text == soundNote("Pin 3 (TXD)");
            const bool changedElsewhere = box.text.startsWith("Diese Einstellungen wurden in ");
            boxes << (note               ? "note over " + remark(*shown)->text()
                      : changedElsewhere ? QStringLiteral("changed elsewhere")
                                         : box.text);
            return true;
        });
        const bool closed = runComPortCommand(t, "COM1", [&](TPort& d) {
            shown = &d;
            choose(d, 0);
            QCOMPARE(remark(d)->text(), QStringLiteral("Horn"));
            choose(d, 1);
            aktiv(d)->click();
            remark(d)->setText("Blitz");
            choose(d, 0);  // "Ja" stores pin 4, then pin 3 is loaded once
            aktiv(d)->click();
            press(d, "Pin_save");
            t.store("[Sound]\r\nPlay=0\r\n");
            choose(d, 1);
            choose(d, 0);
            t.store(sound);
            press(d, "ok");
        });
        QVERIFY(closed);
        const QString question = changeQuestion("Pin 4 (DTR)");
        // The file lost "Horn" of [Pin0] while the window was open: asked, "Ja".
        QCOMPARE(boxes, play
                            ? QStringList({"note over ", question, "note over Blitz",
                                           "note over Horn", "note over Horn", "changed elsewhere"})
                            : QStringList({question, "changed elsewhere"}));
        QVERIFY(contains(t.settings(), pinSection(0, "1", "Horn", "0", "0", "0")));
    }

    // Picking the pin already shown is no change of the selection: no
    // question, and the edits stay in the editor.
    void pickingTheShownPinAgainKeepsTheEdits() {
        TempProgramDir dir;
        ScriptedBoxes boxes;
        TPort d;
        d.setValues({});
        choose(d, 1);
        aktiv(d)->click();
        remark(d)->setText(QStringLiteral("Sirene"));
        choose(d, 1);
        VERIFY_BOXES(boxes);
        QCOMPARE(remark(d)->text(), QStringLiteral("Sirene"));
        QVERIFY(aktiv(d)->isChecked());
        QVERIFY(changed(d)->isChecked());
    }

    // A stored start mode of -1 selects no item; the controls follow the same
    // rules as for any other load, whatever the pin shown before.
    void noStartModeIsLoadedWithTheSameEnabling_data() {
        QTest::addColumn<int>("startBefore");
        QTest::addColumn<bool>("active");
        QTest::addColumn<QStringList>("enabled");
        const QStringList activeEditors{"Pin_aktiv", "Bemerkung", "Start", "Warten", "Dauer"};
        QTest::newRow("first pin, active") << -2 << true << activeEditors;
        QTest::newRow("after a list pin, active") << 1 << true << activeEditors;
        QTest::newRow("after a wait pin, active") << 0 << true << activeEditors;
        QTest::newRow("after a list pin, not active") << 1 << false << QStringList{"Pin_aktiv"};
        QTest::newRow("first pin, not active") << -2 << false << QStringList{"Pin_aktiv"};
    }

    void noStartModeIsLoadedWithTheSameEnabling() {
        QFETCH(int, startBefore);
        QFETCH(bool, active);
        QFETCH(QStringList, enabled);
        TempProgramDir dir;
        TPort d;
        TPort::Values values;
        values.pins[0] = {"", 0, 0, true, startBefore};
        values.pins[2] = {"", 0, 0, active, -1};
        d.setValues(values);
        if (startBefore > -2) choose(d, 0);
        choose(d, 2);
        QCOMPARE(start(d)->itemIndex(), -1);
        QStringList shown = enabledEditors(d);
        shown.removeAll("Pin_save");  // as the copying's change handlers left it
        QCOMPARE(shown, enabled);
    }

    // A stored pin started by the list but not active shows item 1 with
    // only the activation to edit.
    void startModeAndActivationRuleTheControls() {
        TempProgramDir dir;
        TPort d;
        TPort::Values values;
        values.pins[2].startMode = 1;
        d.setValues(values);
        choose(d, 0);
        QCOMPARE(enabledEditors(d), QStringList({"Pin_aktiv"}));
        aktiv(d)->click();
        QCOMPARE(enabledEditors(d), kPinEditors);
        start(d)->button(1)->click();
        QCOMPARE(enabledEditors(d), kListEditors);
        aktiv(d)->click();
        QCOMPARE(enabledEditors(d), QStringList({"Pin_aktiv", "Pin_save"}));
        aktiv(d)->click();
        QCOMPARE(enabledEditors(d), kListEditors);
        press(d, "Pin_save");
        QVERIFY(!child(d, "Pin_save")->isEnabled());
        QVERIFY(!changed(d)->isChecked());
        QCOMPARE(d.values().pins[0].startMode, 1);
        QVERIFY(d.values().pins[0].active);

        TPort fresh;
        fresh.setValues(values);
        choose(fresh, 2);
        QCOMPARE(start(fresh)->itemIndex(), 1);
        QVERIFY(!aktiv(fresh)->isChecked());
        QCOMPARE(enabledEditors(fresh), QStringList({"Pin_aktiv", "Pin_save"}));
        QVERIFY(!changed(fresh)->isChecked());
    }

    // Pin 0 is only looked at: it goes back as read. Pin 1 is stored as shown.
    void storedValuesOutsideTheControlsAreShownAndStoredAsShown() {
        CommandTest t;
        t.store(
            "[Pin0]\r\nWarten=5000\r\nDauer=-5\r\nStart=5\r\n[Pin1]\r\nStart=-2\r\n"
            "Warten=77\r\n");
        Ports ports({"COM1"});
        QVERIFY(runComPortCommand(t, "COM1", [&](TPort& d) {
            choose(d, 0);
            QCOMPARE(spin(d, "Warten")->value(), 1800);
            QCOMPARE(spin(d, "Dauer")->value(), 0);
            QCOMPARE(start(d)->itemIndex(), 1);
            choose(d, 1);
            QCOMPARE(start(d)->itemIndex(), -1);
            QCOMPARE(spin(d, "Warten")->value(), 77);
            press(d, "ok");
        }));
        QCOMPARE(t.settings(),
                 "[Pin0]\r\nWarten=5000\r\nDauer=-5\r\nStart=5\r\nAusgang Aktiv=0\r\n"
                 "Bemerkung=\r\n[Pin1]\r\nStart=-1\r\nWarten=77\r\nAusgang Aktiv=0\r\n"
                 "Bemerkung=\r\nDauer=0\r\n" +
                     pinSection(2, "0", "", "0", "0", "0") + "[ComPort]\r\nPort=COM1\r\n");
    }

    void spinTextThatIsNoNumberStoresZero() {
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

    // The close box counts as "Abbrechen".
    void cancelAsksAndJaWritesNothingEvenAfterPinSpeichern() {
        CommandTest t;
        const std::string before = "[Pin1]\r\nAusgang Aktiv=0\r\n";
        t.store(before);
        Ports ports({"COM1"});
        QVERIFY(runComPortCommand(t, "COM1", [&](TPort& d) {
            choose(d, 1);
            aktiv(d)->click();
            press(d, "Pin_save");
            QVERIFY_CHECKS(cancelKeepingThenDropping(t.boxes, d, "BitBtn1", [&] {
                QCOMPARE(chosenPin(d), 1);
                QVERIFY(aktiv(d)->isChecked());
                QVERIFY(d.values().pins[1].active);
            }));
        }));
        VERIFY_BOXES(t.boxes);
        QCOMPARE(t.settings(), before);
        QVERIFY(child<dravel::ui::PanelLabel>(t.window, "Port_info")->panelText() != "Port_info");
    }

    void portListFailingAtOpeningShowsNoDialog() {
        CommandTest t;
        Ports ports({}, 2);
        t.boxes.expect(BoxKind::Error, QStringLiteral("Registry error (win error code: 2)"));
        QVERIFY(!runComPortCommand(t, "COM1", [](TPort&) {}));
        VERIFY_BOXES(t.boxes);
        QVERIFY(!t.dir.exists("Prog.ini"));
        QCOMPARE(child<dravel::ui::PanelLabel>(t.window, "Port_info")->panelText(), "Port_info");
    }

    void refreshingKeepsTheTextAndReportsItsError() {
        CommandTest t;
        Ports ports({"COM1", "COM3"});
        QVERIFY(runComPortCommand(t, "COM3", [&](TPort& d) {
            ports.driver().setPorts({"COM4", "COM2"});
            press(d, "Button2");
            const QStringList missing{"COM2", "COM4", "COM3 (nicht angeschlossen)"};
            QCOMPARE(itemsOf(porties(d)), missing);
            QCOMPARE(porties(d)->currentText(), missing.back());
            ports.driver().setPorts({}, 5);
            t.boxes.expect(BoxKind::Error, QStringLiteral("Registry error (win error code: 5)"));
            press(d, "Button2");
            QVERIFY(d.isVisible());
            QCOMPARE(itemsOf(porties(d)), missing);
            QCOMPARE(porties(d)->currentText(), missing.back());
            press(d, "ok");
        }));
        VERIFY_BOXES(t.boxes);
        QVERIFY(t.settings().ends_with("[ComPort]\r\nPort=COM3\r\n"));
    }

    void conditionListOpensOnTopAndChangesNothing() {
        TempProgramDir dir;
        ScriptedBoxes boxes;
        TPort d;
        showActiveOnChange(d, 2);
        bool openedOnTop = false;
        QTimer::singleShot(0, &d, [&] {
            auto* list = qobject_cast<TBedingungen*>(QApplication::activeModalWidget());
            openedOnTop = list && list->parentWidget() == &d;
            if (list) list->QDialog::done(QDialog::Rejected);
        });
        press(d, "Bed_liste");
        QVERIFY(openedOnTop);
        VERIFY_BOXES(boxes);
        QCOMPARE(chosenPin(d), 2);
        QVERIFY(aktiv(d)->isChecked());
        QCOMPARE(start(d)->itemIndex(), 1);
        QVERIFY(changed(d)->isChecked());
        QVERIFY(!dir.exists("Alarmierung.dat"));
        d.QDialog::done(QDialog::Rejected);
    }

    // The editor opened from here refuses to write over a list it could not read whole.
    void conditionListNotReadWholeIsNotWrittenOverFromHereEither() {
        TempProgramDir dir;
        dravel::config::writeConditionList(dir.path(), {{"0", "0", "alt", "11111", ""}}, "Test");
        const auto file = dravel::config::pathFromUtf8(dir.file("Alarmierung.dat"));
        std::filesystem::resize_file(file, dravel::config::kMaxFileSize + 1);
        ScriptedBoxes boxes;
        boxes.expect(BoxKind::Error, QStringLiteral("Zu wenig Arbeitsspeicher."))
            .expectContaining(BoxKind::Error, QStringLiteral("nicht alles gelesen"));
        TPort d;
        showActiveOnChange(d, 0);
        int result = -1;
        QVERIFY(driveModal<TBedingungen>([&] { press(d, "Bed_liste"); },
                                         [&](TBedingungen& list) {
                                             press(list, "ok");
                                             result = list.result();
                                         }));
        QCOMPARE(std::filesystem::file_size(file), dravel::config::kMaxFileSize + 1);
        QCOMPARE(result, int(QDialog::Rejected));
        VERIFY_BOXES(boxes);
        d.QDialog::done(QDialog::Rejected);
    }

private:
    // Shows the dialog with a pin active and started on change, so "Bed_liste" is enabled.
    static void showActiveOnChange(TPort& d, int pin) {
        d.setValues({});
        d.show();
        choose(d, pin);
        aktiv(d)->click();
        start(d)->button(1)->click();
    }
};

QTEST_MAIN(TestComPort)
#include "tst_comport.moc"
