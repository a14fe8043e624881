#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "dialogs/ProgEinstellung.h"
#include "support/WindowDriver.h"
#include "ui/PanelLabel.h"

using dravel::app::TMain;
using dravel::dialogs::TProg;

using namespace dravel::testing;
using dravel::ui::BoxKind;

namespace {

const QString kAutoEndQuestion = QStringLiteral(
    "Wenn das Alarmfenster nicht geschlossen ist, werden weitere Alarme ignoriert.\n\r"
    "Weiterhin werden Ausgänge ständig angesteuert, wenn eine Option \"Bis Programmende\" "
    "Aktiviert ist.\n\r"
    "Das Auto-Beenden sollte nur zu Prüf/Testzwecken deaktiviert werden.\n\r"
    "Soll es deaktiviert werden?");
const QString kMultiStartWarning = QStringLiteral(
    "Diese Option sollte nur genommen werden, wenn man mehrere ComPorts benötigt.\n\r"
    "Für Jeden ComPort müssen diese Programme (Kalvor.Exe und Dravel.Exe) in einen Extra "
    "Ordner Kopiert werden und für jeden ComPort neu eingestellt werden\n\r"
    "Die Fehlerüberwachung ist dann deaktiviert");
const QString kExternNotice = QStringLiteral(
    "Um ein Reset-Signal verarbeiten zu können, muß mindestens ein Pin angesteuert sein "
    "(Signalquelle für Taster)");
const char* const kBoxes[] = {"ToTray", "AutoEnd", "mehrfach", "Reset"};

QList<bool> ticked(TProg& d) {
    QList<bool> states;
    for (const char* name : kBoxes) states << check(d, name)->isChecked();
    return states;
}

}  // namespace

class TestProgEinstellung : public QObject {
    Q_OBJECT
private slots:
    void withoutSettingsOnlyAutoEndIsTickedAndAcceptWritesDefaults() {
        CommandTest t;
        QVERIFY(t.run<TProg>([&](TProg& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Einstellungen"));
            QStringList captions;
            for (const char* name : kBoxes) captions << check(d, name)->text();
            QCOMPARE(captions, (QStringList{"In Tray minimieren", "Automatisch beenden",
                                            "Mehrfachstart zulassen",
                                            "Stoppen über Taster an Pin 9 (Ring)"}));
            QCOMPARE(ticked(d), (QList<bool>{false, true, false, false}));
            press(d, "ok");
        }));
        VERIFY_BOXES(t.boxes);
        QCOMPARE(t.settings(), std::string("[Prog]\r\nTray=0\r\nEnde=1\r\nMehrfach=0\r\n"
                                           "[ComPort]\r\nExtern=0\r\n"));
    }

    void storedOptionsWarnThenNotifyBeforeTheDialogShows() {
        CommandTest t;
        t.store("[Prog]\r\nMehrfach=1\r\nEnde=1\r\n[ComPort]\r\nExtern=1\r\n");
        t.boxes.expect(BoxKind::Warning, kMultiStartWarning)
            .expect(BoxKind::Information, kExternNotice);
        std::size_t boxesBeforeShowing = 0;
        QVERIFY(t.run<TProg>([&](TProg& d) {
            boxesBeforeShowing = t.boxes.shown().size();
            QCOMPARE(ticked(d), (QList<bool>{false, true, true, true}));
            press(d, "ok");
        }));
        VERIFY_BOXES(t.boxes);
        QCOMPARE(boxesBeforeShowing, 2u);
        QCOMPARE(t.settings(), std::string("[Prog]\r\nMehrfach=1\r\nEnde=1\r\nTray=0\r\n"
                                           "[ComPort]\r\nExtern=1\r\n"));
    }

    // Unticking asks each time, the handler being attached again after every
    // question; ticking asks nothing.
    void switchingAutoEndOffNeedsJa() {
        CommandTest t;
        QVERIFY(t.run<TProg>([&](TProg& d) {
            QCheckBox* autoEnd = check(d, "AutoEnd");
            t.boxes.expect(BoxKind::Confirmation, kAutoEndQuestion, false);
            autoEnd->click();
            QVERIFY(autoEnd->isChecked());
            t.boxes.expect(BoxKind::Confirmation, kAutoEndQuestion, true);
            autoEnd->click();
            QVERIFY(!autoEnd->isChecked());
            autoEnd->click();
            QVERIFY(autoEnd->isChecked());
            QCOMPARE(t.boxes.shown().size(), 2u);
            t.boxes.expect(BoxKind::Confirmation, kAutoEndQuestion, true);
            autoEnd->click();
            QVERIFY(!autoEnd->isChecked());
            press(d, "ok");
        }));
        VERIFY_BOXES(t.boxes);
        QCOMPARE(t.settings(), std::string("[Prog]\r\nTray=0\r\nEnde=0\r\nMehrfach=0\r\n"
                                           "[ComPort]\r\nExtern=0\r\n"));
    }

    void multiStartAndStopButtonSpeakOnlyWhenTicked() {
        TProg d;
        ScriptedBoxes boxes;
        boxes.expect(BoxKind::Warning, kMultiStartWarning)
            .expect(BoxKind::Information, kExternNotice);
        for (const char* name : {"mehrfach", "mehrfach", "Reset", "Reset", "ToTray"})
            check(d, name)->click();
        VERIFY_BOXES(boxes);
        const TProg::Values v = d.values();
        QVERIFY(v.tray && !v.multiStart && !v.externStop);
        QVERIFY(!v.autoEnd);  // every box starts unticked; only loading ticks it
    }

    void cancelAsksAndJaWritesNothingButRebuildsTheSummary() {
        CommandTest t;
        const std::string before = "[Prog]\r\nTray=0\r\n";
        t.store(before);
        auto* programPanel = child<dravel::ui::PanelLabel>(t.window, "ProgInfo");
        QCOMPARE(programPanel->panelText(), QStringLiteral("ProgInfo"));
        QVERIFY(t.run<TProg>([&](TProg& d) {
            check(d, "ToTray")->click();
            cancelKeepingThenDropping(t.boxes, d, "BitBtn1",
                                      [&] { QVERIFY(check(d, "ToTray")->isChecked()); });
        }));
        VERIFY_BOXES(t.boxes);
        QCOMPARE(t.settings(), before);
        QVERIFY(programPanel->panelText() != QStringLiteral("ProgInfo"));
    }

    // Loading's boxes come before the dialog shows: centred on the main window, or on the
    // screen while none is shown, never at the unshown dialog's corner.
    void loadingBoxesAreCentredOnTheMainWindowOrTheScreen() {
        TempProgramDir dir;
        const RealBoxes real;
        TMain window;
        const QPoint screenCentre = window.screen()->availableGeometry().center();
        QCOMPARE(centreOfLoadingBox(window), screenCentre);

        window.show();
        window.move(screenCentre - QPoint(150, 40));
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(centreOfLoadingBox(window), window.frameGeometry().center());
    }

private:
    static QPoint centreOfLoadingBox(TMain& window) {
        TProg d(&window);
        QPoint centre;
        BoxSeen seen;
        answerNextBox(seen, [&](QMessageBox* box) {
            centre = box->frameGeometry().center();
            box->buttons().first()->click();
        });
        TProg::Values values = d.values();
        values.multiStart = true;
        d.setValues(values);
        return seen.title == QStringLiteral("Warnung") ? centre : QPoint(-1, -1);
    }
};

QTEST_MAIN(TestProgEinstellung)
#include "tst_progeinstellung.moc"
