#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "DialogDriver.h"
#include "app/Hauptfenster.h"
#include "dialogs/ProgEinstellung.h"
#include "support/TestSupport.h"
#include "ui/PanelLabel.h"

using dravel::testing::runSettingsCommand;
using dravel::testing::ScriptedBoxes;
using dravel::testing::TempProgramDir;
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
const QString kCancelQuestion = QStringLiteral("Abbrechen ohne Speichern?");

QCheckBox* box(TProg& d, const char* name) {
    return d.findChild<QCheckBox*>(name);
}
void press(TProg& d, const char* name) {
    d.findChild<QPushButton*>(name)->click();
}

}  // namespace

class TestProgEinstellung : public QObject {
    Q_OBJECT
private slots:
    void withoutSettingsOnlyAutoEndIsTickedAndAcceptWritesDefaults();
    void storedOptionsWarnThenNotifyBeforeTheDialogShows();
    void switchingAutoEndOffNeedsJa();
    void multiStartAndStopButtonSpeakOnlyWhenTicked();
    void tabOrderFollowsTheForm();
    void cancelAsksAndJaWritesNothingButRebuildsTheSummary();
};

void TestProgEinstellung::withoutSettingsOnlyAutoEndIsTickedAndAcceptWritesDefaults() {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(runSettingsCommand<TProg>(w, [&](TProg& d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("Einstellungen"));
        const std::tuple<const char*, const char*, const char*, bool> expected[] = {
            {"ToTray", "In Tray minimieren",
             "Programm wird nach dem Start automatisch in die Sys-Tray minimiert", false},
            {"AutoEnd", "Automatisch beenden",
             "Nach Ablauf aller Timer beendet sich das Programm von selbst.", true},
            {"mehrfach", "Mehrfachstart zulassen",
             "Das Programm kann gleichzeitig mehrmals gestartet werden (PopUp Beachten)", false},
            {"Reset", "Stoppen über Taster an Pin 9 (Ring)",
             "Das Programm wird über einen Externen Taster angehalten und beendet", false}};
        for (const auto& [name, caption, tip, ticked] : expected) {
            QCheckBox* b = box(d, name);
            QVERIFY2(b, name);
            QCOMPARE(b->text(), QString::fromUtf8(caption));
            QCOMPARE(b->toolTip(), QString::fromUtf8(tip));
            QCOMPARE(b->isChecked(), ticked);
        }
        press(d, "ok");
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(dir.read("Prog.ini"),
             std::string("[Prog]\r\nTray=0\r\nEnde=1\r\nMehrfach=0\r\n[ComPort]\r\nExtern=0\r\n"));
}

void TestProgEinstellung::storedOptionsWarnThenNotifyBeforeTheDialogShows() {
    TempProgramDir dir;
    dir.write("Prog.ini", "[Prog]\r\nMehrfach=1\r\nEnde=1\r\n[ComPort]\r\nExtern=1\r\n");
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Warning, kMultiStartWarning).expect(BoxKind::Information, kExternNotice);
    TMain w;
    std::size_t boxesBeforeShowing = 0;
    QVERIFY(runSettingsCommand<TProg>(w, [&](TProg& d) {
        boxesBeforeShowing = boxes.shown().size();
        QVERIFY(box(d, "mehrfach")->isChecked());
        QVERIFY(box(d, "Reset")->isChecked());
        QVERIFY(box(d, "AutoEnd")->isChecked());
        QVERIFY(!box(d, "ToTray")->isChecked());
        press(d, "ok");
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(boxesBeforeShowing, 2u);
    QCOMPARE(boxes.shown()[0].title, QStringLiteral("Warnung"));
    QCOMPARE(boxes.shown()[1].title, QStringLiteral("Informationen"));
    QCOMPARE(dir.read("Prog.ini"), std::string("[Prog]\r\nMehrfach=1\r\nEnde=1\r\nTray=0\r\n"
                                               "[ComPort]\r\nExtern=1\r\n"));
}

void TestProgEinstellung::switchingAutoEndOffNeedsJa() {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(runSettingsCommand<TProg>(w, [&](TProg& d) {
        QCheckBox* autoEnd = box(d, "AutoEnd");
        boxes.expect(BoxKind::Confirmation, kAutoEndQuestion, false);
        autoEnd->click();
        QVERIFY(autoEnd->isChecked());
        QCOMPARE(boxes.shown().size(), 1u);

        boxes.expect(BoxKind::Confirmation, kAutoEndQuestion, true);
        autoEnd->click();
        QVERIFY(!autoEnd->isChecked());
        QCOMPARE(boxes.shown().size(), 2u);

        autoEnd->click();  // ticking again asks nothing
        QVERIFY(autoEnd->isChecked());
        QCOMPARE(boxes.shown().size(), 2u);

        boxes.expect(BoxKind::Confirmation, kAutoEndQuestion, true);
        autoEnd->click();  // the handler is attached again after every question
        QVERIFY(!autoEnd->isChecked());
        press(d, "ok");
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(boxes.shown().front().title, QStringLiteral("Bestätigung"));
    QCOMPARE(dir.read("Prog.ini"),
             std::string("[Prog]\r\nTray=0\r\nEnde=0\r\nMehrfach=0\r\n[ComPort]\r\nExtern=0\r\n"));
}

void TestProgEinstellung::multiStartAndStopButtonSpeakOnlyWhenTicked() {
    TProg d;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Warning, kMultiStartWarning).expect(BoxKind::Information, kExternNotice);
    box(d, "mehrfach")->click();
    box(d, "mehrfach")->click();
    box(d, "Reset")->click();
    box(d, "Reset")->click();
    box(d, "ToTray")->click();
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    const TProg::Values v = d.values();
    QVERIFY(v.tray && !v.multiStart && !v.externStop);
    QVERIFY(!v.autoEnd);  // every box starts unticked; only loading ticks it
}

void TestProgEinstellung::tabOrderFollowsTheForm() {
    TProg d;
    QStringList order;
    QWidget* w = box(d, "ToTray");
    do {
        if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != box(d, "ToTray"));
    QCOMPARE(order, (QStringList{"ToTray", "AutoEnd", "Reset", "mehrfach", "ok", "BitBtn1"}));
}

void TestProgEinstellung::cancelAsksAndJaWritesNothingButRebuildsTheSummary() {
    TempProgramDir dir;
    const std::string before = "[Prog]\r\nTray=0\r\n";
    dir.write("Prog.ini", before);
    ScriptedBoxes boxes;
    TMain w;
    auto* programPanel = w.findChild<dravel::ui::PanelLabel*>("ProgInfo");
    QCOMPARE(programPanel->panelText(), QStringLiteral("ProgInfo"));
    QVERIFY(runSettingsCommand<TProg>(w, [&](TProg& d) {
        box(d, "ToTray")->click();
        boxes.expect(BoxKind::Confirmation, kCancelQuestion, false);
        press(d, "BitBtn1");
        QVERIFY(d.isVisible());
        QVERIFY(box(d, "ToTray")->isChecked());
        boxes.expect(BoxKind::Confirmation, kCancelQuestion, true);
        press(d, "BitBtn1");
        QVERIFY(!d.isVisible());
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(dir.read("Prog.ini"), before);
    QVERIFY(programPanel->panelText() != QStringLiteral("ProgInfo"));
}

QTEST_MAIN(TestProgEinstellung)
#include "tst_progeinstellung.moc"
