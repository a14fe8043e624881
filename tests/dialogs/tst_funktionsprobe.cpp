#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "DialogDriver.h"
#include "app/Hauptfenster.h"
#include "dialogs/Funktionsprobe.h"
#include "support/TestSupport.h"
#include "ui/MessageBoxes.h"
#include "ui/PanelLabel.h"
#include "ui/RadioGroup.h"

using dravel::testing::activate;
using dravel::testing::runSettingsCommand;
using dravel::testing::ScriptedBoxes;
using dravel::testing::TempProgramDir;
using dravel::ui::BoxKind;
using dravel::ui::MessageBoxes;

namespace {

const QString kCancelQuestion = QStringLiteral("Abbrechen ohne Speichern?");
const QString kIncomplete = QStringLiteral(
    "Ungültiger Eingabewert. Mit der Taste ESC machen Sie die Änderungen rückgängig.");
const QStringList kWeekdays = {"Montag",  "Dienstag", "Mittwoch", "Donnerstag",
                               "Freitag", "Samstag",  "Sonntag"};
const QStringList kScheduleControls = {"Wochentag1", "ZahlWochentag2", "Wochentag2",
                                       "Tag_Monat",  "Uhrzeit",        "dauer"};

QString notATime(const QString& text) {
    return '"' + text + QStringLiteral("\" ist keine gültige Uhrzeit");
}

template <typename W = QWidget>
W* child(TFunktions& d, const QString& name) {
    return d.findChild<W*>(name);
}
dravel::ui::RadioGroup* tage(TFunktions& d) {
    return child<dravel::ui::RadioGroup>(d, "Tage");
}
QLineEdit* timeField(TFunktions& d) {
    return child<QLineEdit>(d, "Uhrzeit");
}
QLineEdit* durationField(TFunktions& d) {
    return child<QLineEdit>(d, "dauer");
}
QComboBox* selector(TFunktions& d, const char* name) {
    return child<QComboBox>(d, name);
}

TFunktions::Values scheduleOfKind(int kind) {
    TFunktions::Values v;
    v.kind = kind;
    return v;
}

QStringList enabledControls(TFunktions& d) {
    QStringList enabled;
    for (const QString& name : kScheduleControls)
        if (child(d, name)->isEnabled()) enabled << name;
    return enabled;
}

QStringList itemsOf(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

// Shows the dialog as a daily schedule with the cursor at the start of the
// empty time field.
void showWithTimeFocused(TFunktions& d) {
    d.show();
    QVERIFY(activate(d));
    tage(d)->setItemIndex(4);
    timeField(d)->setFocus();
    QVERIFY(timeField(d)->hasFocus());
    timeField(d)->setCursorPosition(0);
}

}  // namespace

class TestFunktionsprobe : public QObject {
    Q_OBJECT
private slots:
    void formHasItsItemsSelectorsAndCaptions();
    void withoutSettingsNothingIsEnabledAndAcceptWritesTheDefaults();
    void eachItemEnablesItsControls_data();
    void eachItemEnablesItsControls();
    void valuesOfOtherItemsAreKeptAndWritten();
    void storedIndexesOutsideTheListsSelectNothingOrTheLastItem();
    void storedTimesFillTheMask();
    void timeOfDayIsCheckedWhenTheFieldIsLeft_data();
    void timeOfDayIsCheckedWhenTheFieldIsLeft();
    void editedIncompleteTimeIsRefusedByTheMask();
    void untouchedEmptyTimeCannotBeLeft();
    void timeFieldTakesOnlyDigitsAndBackspace();
    void durationTakesAtMostFourDigits();
    void acceptingWaitsForAValidTime();
    void refusedTimeHoldsTheDialogWhileTheMessageHasTheFocus();
    void textTypedIntoASelectorIsNoSelection();
    void cancelAsksAndJaWritesNothingButRebuildsTheSummary();
};

void TestFunktionsprobe::formHasItsItemsSelectorsAndCaptions() {
    TFunktions d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Deaktivierungsoptionen"));
    QCOMPARE(tage(d)->title(), QStringLiteral("Tage"));
    const QString blank(1, ' ');
    QCOMPARE(tage(d)->items(),
             (QStringList{"Keine Deaktivierung", "Jeden" + blank.repeated(19),
                          "Jeden" + blank.repeated(45) + "im Monat",
                          "Jeden" + blank.repeated(16) + "im Monat", QStringLiteral("Täglich")}));
    QCOMPARE(itemsOf(selector(d, "Wochentag1")), kWeekdays);
    QCOMPARE(itemsOf(selector(d, "Wochentag2")), kWeekdays);
    QCOMPARE(itemsOf(selector(d, "ZahlWochentag2")), (QStringList{"1.", "2.", "3.", "4."}));
    QStringList days;
    for (int day = 1; day <= 31; ++day) days << QString::number(day) + '.';
    QCOMPARE(itemsOf(selector(d, "Tag_Monat")), days);
    for (const char* name : {"Wochentag1", "ZahlWochentag2", "Wochentag2", "Tag_Monat"}) {
        QVERIFY2(selector(d, name)->isEditable(), name);
        QCOMPARE(selector(d, name)->currentIndex(), -1);
    }
    QCOMPARE(child<QLabel>(d, "Label1")->text(), "Ab" + blank.repeated(14) + "Uhr");
    QCOMPARE(child<QLabel>(d, "Label2")->text(),
             QStringLiteral("für") + blank.repeated(15) + QStringLiteral("Minuten"));
    QCOMPARE(child<QPushButton>(d, "ok")->text(), QStringLiteral("Übernehmen"));
    QCOMPARE(child<QPushButton>(d, "BitBtn1")->text(), QStringLiteral("Abbrechen"));
}

void TestFunktionsprobe::withoutSettingsNothingIsEnabledAndAcceptWritesTheDefaults() {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(runSettingsCommand<TFunktions>(w, [&](TFunktions& d) {
        QCOMPARE(tage(d)->itemIndex(), 0);
        QCOMPARE(enabledControls(d), QStringList());
        QVERIFY(tage(d)->isEnabled());
        QCOMPARE(timeField(d)->displayText(), QStringLiteral("__:__"));
        QCOMPARE(durationField(d)->text(), QString());
        child<QPushButton>(d, "ok")->click();
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(dir.read("Prog.ini"),
             std::string("[Funktionsprobe]\r\nArt=0\r\nWochentag1=-1\r\nWochentag2=-1\r\n"
                         "Wochentag im Monat=-1\r\nTag im Monat=-1\r\nUhrzeit=  :  \r\n"
                         "Dauer=\r\n"));
}

void TestFunktionsprobe::eachItemEnablesItsControls_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<QStringList>("enabled");
    QTest::newRow("none") << -1 << QStringList();
    QTest::newRow("keine") << 0 << QStringList();
    QTest::newRow("weekly") << 1 << QStringList{"Wochentag1", "Uhrzeit", "dauer"};
    QTest::newRow("monthly weekday")
        << 2 << QStringList{"ZahlWochentag2", "Wochentag2", "Uhrzeit", "dauer"};
    QTest::newRow("monthly day") << 3 << QStringList{"Tag_Monat", "Uhrzeit", "dauer"};
    QTest::newRow("daily") << 4 << QStringList{"Uhrzeit", "dauer"};
}

void TestFunktionsprobe::eachItemEnablesItsControls() {
    QFETCH(int, item);
    QFETCH(QStringList, enabled);
    TFunktions d;
    // Start from the item enabling the most, so that disabling shows too.
    tage(d)->setItemIndex(2);
    if (item >= 0) {
        tage(d)->button(item)->click();
    } else {
        tage(d)->setItemIndex(1);
        d.setValues(scheduleOfKind(-1));
        QCOMPARE(tage(d)->itemIndex(), -1);
        enabled = QStringList{"Wochentag1", "Uhrzeit", "dauer"};  // clearing runs nothing
    }
    QCOMPARE(enabledControls(d), enabled);
}

void TestFunktionsprobe::valuesOfOtherItemsAreKeptAndWritten() {
    TempProgramDir dir;
    TMain w;
    QVERIFY(runSettingsCommand<TFunktions>(w, [&](TFunktions& d) {
        tage(d)->button(2)->click();
        selector(d, "ZahlWochentag2")->setCurrentIndex(3);
        selector(d, "Wochentag2")->setCurrentIndex(4);
        durationField(d)->setText("90");
        tage(d)->button(0)->click();
        QCOMPARE(enabledControls(d), QStringList());
        QCOMPARE(selector(d, "Wochentag2")->currentText(), QStringLiteral("Freitag"));
        child<QPushButton>(d, "ok")->click();
    }));
    QCOMPARE(dir.read("Prog.ini"),
             std::string("[Funktionsprobe]\r\nArt=0\r\nWochentag1=-1\r\nWochentag2=4\r\n"
                         "Wochentag im Monat=3\r\nTag im Monat=-1\r\nUhrzeit=  :  \r\n"
                         "Dauer=90\r\n"));
}

void TestFunktionsprobe::storedIndexesOutsideTheListsSelectNothingOrTheLastItem() {
    TempProgramDir dir;
    dir.write("Prog.ini",
              "[Funktionsprobe]\r\nArt=9\r\nTag im Monat=30\r\nWochentag1=7\r\n"
              "Wochentag2=6\r\nWochentag Im Monat=0\r\nUhrzeit=06:30\r\nDauer=15\r\n");
    TMain w;
    QVERIFY(runSettingsCommand<TFunktions>(w, [&](TFunktions& d) {
        QCOMPARE(tage(d)->itemIndex(), 4);
        QVERIFY(tage(d)->button(4)->isChecked());
        QCOMPARE(tage(d)->button(4)->text(), QStringLiteral("Täglich"));
        QCOMPARE(enabledControls(d), (QStringList{"Uhrzeit", "dauer"}));
        QCOMPARE(selector(d, "Tag_Monat")->currentText(), QStringLiteral("31."));
        QCOMPARE(selector(d, "Wochentag1")->currentIndex(), -1);
        QCOMPARE(selector(d, "Wochentag2")->currentText(), QStringLiteral("Sonntag"));
        QCOMPARE(selector(d, "ZahlWochentag2")->currentText(), QStringLiteral("1."));
        QCOMPARE(timeField(d)->displayText(), QStringLiteral("06:30"));
        QCOMPARE(durationField(d)->text(), QStringLiteral("15"));
        child<QPushButton>(d, "ok")->click();
    }));
    QCOMPARE(dir.read("Prog.ini"),
             std::string("[Funktionsprobe]\r\nArt=4\r\nTag im Monat=30\r\nWochentag1=-1\r\n"
                         "Wochentag2=6\r\nWochentag im Monat=0\r\nUhrzeit=06:30\r\nDauer=15\r\n"));

    TFunktions d;
    TFunktions::Values outside = scheduleOfKind(-3);
    outside.dayOfMonth = 31;
    d.setValues(outside);
    QCOMPARE(tage(d)->itemIndex(), -1);
    QCOMPARE(selector(d, "Tag_Monat")->currentIndex(), -1);
    QCOMPARE(d.values().kind, -1);
    QCOMPARE(d.values().dayOfMonth, -1);
}

void TestFunktionsprobe::storedTimesFillTheMask() {
    TempProgramDir dir;
    // The file layer trims values: a time stored as " 8:15" comes back as "8:15".
    dir.write("Prog.ini", "[Funktionsprobe]\r\nUhrzeit= 8:15\r\n");
    TMain w;
    QVERIFY(runSettingsCommand<TFunktions>(w, [&](TFunktions& d) {
        QCOMPARE(timeField(d)->displayText(), QStringLiteral("_8:15"));
        child<QPushButton>(d, "ok")->click();
    }));
    QVERIFY(dir.read("Prog.ini").find("Uhrzeit= 8:15\r\n") != std::string::npos);
}

void TestFunktionsprobe::timeOfDayIsCheckedWhenTheFieldIsLeft_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusedAs");
    QTest::newRow("25:00") << "2500"
                           << "25:00";
    QTest::newRow("12:60") << "1260"
                           << "12:60";
    QTest::newRow("23:59") << "2359" << QString();
    QTest::newRow("00:00") << "0000" << QString();
}

void TestFunktionsprobe::timeOfDayIsCheckedWhenTheFieldIsLeft() {
    QFETCH(QString, typed);
    QFETCH(QString, refusedAs);
    ScriptedBoxes boxes;
    if (!refusedAs.isEmpty()) boxes.expect(BoxKind::Plain, notATime(refusedAs));
    TFunktions d;
    showWithTimeFocused(d);
    QTest::keyClicks(timeField(d), typed);
    QTest::keyClick(timeField(d), Qt::Key_Tab);
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(timeField(d)->hasFocus(), !refusedAs.isEmpty());
    QCOMPARE(durationField(d)->hasFocus(), refusedAs.isEmpty());
}

void TestFunktionsprobe::editedIncompleteTimeIsRefusedByTheMask() {
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Error, kIncomplete);
    TFunktions d;
    showWithTimeFocused(d);
    QTest::keyClicks(timeField(d), "123");
    durationField(d)->setFocus();
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QVERIFY(timeField(d)->hasFocus());

    // Only the first position may stay empty: " 8:15" is 08:15.
    timeField(d)->setText("__:__");
    timeField(d)->setCursorPosition(1);
    QTest::keyClicks(timeField(d), "815");
    durationField(d)->setFocus();
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QVERIFY(durationField(d)->hasFocus());
    QCOMPARE(d.values().time, std::string(" 8:15"));
}

void TestFunktionsprobe::untouchedEmptyTimeCannotBeLeft() {
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Plain, notATime("  :  "));
    TFunktions d;
    showWithTimeFocused(d);
    QTest::keyClick(timeField(d), Qt::Key_Tab);
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QVERIFY(timeField(d)->hasFocus());

    // Disabling the field by choosing "Keine Deaktivierung" is no leaving.
    tage(d)->setItemIndex(0);
    QVERIFY(!timeField(d)->isEnabled());
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestFunktionsprobe::timeFieldTakesOnlyDigitsAndBackspace() {
    ScriptedBoxes boxes;
    TFunktions d;
    showWithTimeFocused(d);
    QApplication::clipboard()->setText("12:34");
    QTest::keyClicks(timeField(d), "1a: b");
    QTest::keyClick(timeField(d), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(timeField(d), Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(timeField(d), Qt::Key_Escape);
    QTest::keyClick(timeField(d), Qt::Key_Return);
    QCOMPARE(timeField(d)->displayText(), QStringLiteral("1_:__"));
    QVERIFY(d.isVisible());  // Escape and Return did not reach the dialog
    QTest::keyClicks(timeField(d), "945");
    QCOMPARE(timeField(d)->displayText(), QStringLiteral("19:45"));
    QTest::keyClick(timeField(d), Qt::Key_Backspace);
    QCOMPARE(timeField(d)->displayText(), QStringLiteral("19:4_"));
    QTest::keyClick(timeField(d), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(timeField(d)->displayText(), QStringLiteral("19:4_"));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestFunktionsprobe::durationTakesAtMostFourDigits() {
    ScriptedBoxes boxes;
    TFunktions d;
    d.show();
    QVERIFY(activate(d));
    tage(d)->setItemIndex(1);
    durationField(d)->setFocus();
    QTest::keyClicks(durationField(d), "12345");
    QCOMPARE(durationField(d)->text(), QStringLiteral("1234"));
    QTest::keyClick(durationField(d), Qt::Key_Backspace);
    QCOMPARE(durationField(d)->text(), QStringLiteral("123"));
    QApplication::clipboard()->setText("9");
    QTest::keyClicks(durationField(d), "x -");
    QTest::keyClick(durationField(d), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(durationField(d)->text(), QStringLiteral("123"));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestFunktionsprobe::acceptingWaitsForAValidTime() {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(runSettingsCommand<TFunktions>(w, [&](TFunktions& d) {
        QVERIFY(activate(d));
        tage(d)->button(4)->click();
        timeField(d)->setFocus();
        timeField(d)->setCursorPosition(0);
        QTest::keyClicks(timeField(d), "2500");
        auto* ok = child<QPushButton>(d, "ok");
        boxes.expect(BoxKind::Plain, notATime("25:00"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(d.isVisible());
        QVERIFY(timeField(d)->hasFocus());

        timeField(d)->setCursorPosition(0);
        QTest::keyClicks(timeField(d), "2000");
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!d.isVisible());
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QVERIFY(dir.read("Prog.ini").find("Art=4\r\n") != std::string::npos);
    QVERIFY(dir.read("Prog.ini").find("Uhrzeit=20:00\r\n") != std::string::npos);
}

void TestFunktionsprobe::refusedTimeHoldsTheDialogWhileTheMessageHasTheFocus() {
    // A real message box takes the activation with it, so the focus returns
    // to the time field only after the click on "Übernehmen" has gone on.
    int shown = 0;
    const auto previous = MessageBoxes::setResponder([&](const dravel::ui::BoxRequest&) {
        ++shown;
        QApplication::setActiveWindow(nullptr);
        return false;
    });
    TFunktions d;
    showWithTimeFocused(d);
    QTest::keyClicks(timeField(d), "2500");
    QTest::mouseClick(child<QPushButton>(d, "ok"), Qt::LeftButton);
    MessageBoxes::setResponder(previous);
    QCOMPARE(shown, 1);
    QVERIFY(d.isVisible());
    QVERIFY(activate(d));
    QVERIFY(timeField(d)->hasFocus());
}

void TestFunktionsprobe::textTypedIntoASelectorIsNoSelection() {
    TFunktions d;
    TFunktions::Values weekly = scheduleOfKind(1);
    weekly.weekday1 = 2;
    d.setValues(weekly);
    QComboBox* weekday = selector(d, "Wochentag1");
    QCOMPARE(d.values().weekday1, 2);
    weekday->lineEdit()->selectAll();
    QTest::keyClicks(weekday->lineEdit(), "Mittwochs");
    QCOMPARE(d.values().weekday1, -1);
    QCOMPARE(weekday->count(), 7);
}

void TestFunktionsprobe::cancelAsksAndJaWritesNothingButRebuildsTheSummary() {
    TempProgramDir dir;
    const std::string before = "[Funktionsprobe]\r\nArt=1\r\nWochentag1=0\r\n";
    dir.write("Prog.ini", before);
    ScriptedBoxes boxes;
    TMain w;
    auto* panel = w.findChild<dravel::ui::PanelLabel*>("Funktionspr");
    QCOMPARE(panel->panelText(), QStringLiteral("Pin1"));
    QVERIFY(runSettingsCommand<TFunktions>(w, [&](TFunktions& d) {
        tage(d)->button(3)->click();
        selector(d, "Tag_Monat")->setCurrentIndex(14);
        boxes.expect(BoxKind::Confirmation, kCancelQuestion, false);
        child<QPushButton>(d, "BitBtn1")->click();
        QVERIFY(d.isVisible());
        QCOMPARE(tage(d)->itemIndex(), 3);
        QCOMPARE(selector(d, "Tag_Monat")->currentText(), QStringLiteral("15."));
        boxes.expect(BoxKind::Confirmation, kCancelQuestion, true);
        child<QPushButton>(d, "BitBtn1")->click();
        QVERIFY(!d.isVisible());
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(dir.read("Prog.ini"), before);
    QVERIFY(panel->panelText() != QStringLiteral("Pin1"));
}

QTEST_MAIN(TestFunktionsprobe)
#include "tst_funktionsprobe.moc"
