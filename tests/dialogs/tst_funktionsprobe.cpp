#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/Hauptfenster.h"
#include "dialogs/Funktionsprobe.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "ui/MessageBoxes.h"
#include "ui/PanelLabel.h"
#include "ui/RadioGroup.h"

using dravel::dialogs::TFunktions;

using namespace dravel::testing;
using dravel::ui::BoxKind;
using dravel::ui::MessageBoxes;

namespace {

const QString kIncomplete = QStringLiteral(
    "Ungültiger Eingabewert. Mit der Taste ESC machen Sie die Änderungen rückgängig.");
const QStringList kWeekdays = {"Montag",  "Dienstag", "Mittwoch", "Donnerstag",
                               "Freitag", "Samstag",  "Sonntag"};
const QStringList kScheduleControls = {"Wochentag1", "ZahlWochentag2", "Wochentag2",
                                       "Tag_Monat",  "Uhrzeit",        "dauer"};

QString notATime(const QString& text) {
    return '"' + text + QStringLiteral("\" ist keine gültige Uhrzeit");
}

const auto tage = [](TFunktions& d) { return radio(d, "Tage"); };
const auto timeField = [](TFunktions& d) { return child<QLineEdit>(d, "Uhrzeit"); };
const auto durationField = [](TFunktions& d) { return child<QLineEdit>(d, "dauer"); };

// Clicks the item's radio mark; selectors lie over the rest of its caption.
void clickItem(TFunktions& d, int item) {
    QRadioButton* button = tage(d)->button(item);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

QStringList enabledControls(TFunktions& d) {
    QStringList enabled;
    for (const QString& name : kScheduleControls)
        if (child(d, name)->isEnabled()) enabled << name;
    return enabled;
}

void commitText(QLineEdit* field, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
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
    void formHasItsItemsSelectorsAndCaptions() {
        TFunktions d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Deaktivierungsoptionen"));
        const QString blank(1, ' ');
        QCOMPARE(tage(d)->items(), (QStringList{"Keine Deaktivierung", "Jeden" + blank.repeated(19),
                                                "Jeden" + blank.repeated(45) + "im Monat",
                                                "Jeden" + blank.repeated(16) + "im Monat",
                                                QStringLiteral("Täglich")}));
        QCOMPARE(itemsOf(combo(d, "Wochentag1")), kWeekdays);
        QCOMPARE(itemsOf(combo(d, "ZahlWochentag2")), (QStringList{"1.", "2.", "3.", "4."}));
        QCOMPARE(combo(d, "Tag_Monat")->count(), 31);
        for (const char* name : {"Wochentag1", "ZahlWochentag2", "Wochentag2", "Tag_Monat"})
            QCOMPARE(combo(d, name)->currentIndex(), -1);
    }

    void withoutSettingsNothingIsEnabledAndAcceptWritesTheDefaults() {
        CommandTest t;
        QVERIFY(t.run<TFunktions>([&](TFunktions& d) {
            QCOMPARE(tage(d)->itemIndex(), 0);
            QCOMPARE(enabledControls(d), QStringList());
            QVERIFY(tage(d)->isEnabled());
            QCOMPARE(timeField(d)->displayText(), QStringLiteral("__:__"));
            QCOMPARE(durationField(d)->text(), QString());
            press(d, "ok");
        }));
        VERIFY_BOXES(t.boxes);
        QCOMPARE(t.settings(),
                 std::string("[Funktionsprobe]\r\nArt=0\r\nWochentag1=-1\r\nWochentag2=-1\r\n"
                             "Wochentag im Monat=-1\r\nTag im Monat=-1\r\nUhrzeit=  :  \r\n"
                             "Dauer=\r\n"));
    }

    void eachItemEnablesItsControls_data() {
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

    void eachItemEnablesItsControls() {
        QFETCH(int, item);
        QFETCH(QStringList, enabled);
        TFunktions d;
        // Start from the item enabling the most, so that disabling shows too.
        tage(d)->setItemIndex(2);
        if (item >= 0) {
            tage(d)->button(item)->click();
        } else {
            tage(d)->setItemIndex(1);
            d.setValues({.kind = -1});
            QCOMPARE(tage(d)->itemIndex(), -1);
            enabled = QStringList{"Wochentag1", "Uhrzeit", "dauer"};  // clearing runs nothing
        }
        QCOMPARE(enabledControls(d), enabled);
    }

    void valuesOfOtherItemsAreKeptAndWritten() {
        CommandTest t;
        QVERIFY(t.run<TFunktions>([&](TFunktions& d) {
            tage(d)->button(2)->click();
            combo(d, "ZahlWochentag2")->setCurrentIndex(3);
            combo(d, "Wochentag2")->setCurrentIndex(4);
            durationField(d)->setText("90");
            tage(d)->button(0)->click();
            QCOMPARE(enabledControls(d), QStringList());
            QCOMPARE(combo(d, "Wochentag2")->currentText(), QStringLiteral("Freitag"));
            press(d, "ok");
        }));
        QCOMPARE(t.settings(),
                 std::string("[Funktionsprobe]\r\nArt=0\r\nWochentag1=-1\r\nWochentag2=4\r\n"
                             "Wochentag im Monat=3\r\nTag im Monat=-1\r\nUhrzeit=  :  \r\n"
                             "Dauer=90\r\n"));
    }

    // What is shown is written back; a kind past the list selects its last
    // item, a day past the list nothing.
    void storedIndexesOutsideTheListsSelectNothingOrTheLastItem() {
        CommandTest t;
        t.store(
            "[Funktionsprobe]\r\nArt=9\r\nTag im Monat=30\r\nWochentag1=7\r\n"
            "Wochentag2=6\r\nWochentag Im Monat=0\r\nUhrzeit=06:30\r\nDauer=15\r\n");
        QVERIFY(t.run<TFunktions>([&](TFunktions& d) {
            QVERIFY(tage(d)->button(4)->isChecked());
            QCOMPARE(tage(d)->button(4)->text(), QStringLiteral("Täglich"));
            QCOMPARE(enabledControls(d), (QStringList{"Uhrzeit", "dauer"}));
            QCOMPARE(combo(d, "Tag_Monat")->currentText(), QStringLiteral("31."));
            QCOMPARE(combo(d, "Wochentag1")->currentIndex(), -1);
            press(d, "ok");
        }));
        QCOMPARE(
            t.settings(),
            std::string("[Funktionsprobe]\r\nArt=4\r\nTag im Monat=30\r\nWochentag1=-1\r\n"
                        "Wochentag2=6\r\nWochentag im Monat=0\r\nUhrzeit=06:30\r\nDauer=15\r\n"));

        TFunktions d;
        d.setValues({.kind = -3, .dayOfMonth = 31});
        QCOMPARE(tage(d)->itemIndex(), -1);
        QCOMPARE(combo(d, "Tag_Monat")->currentIndex(), -1);
        QCOMPARE(d.values().kind, -1);
        QCOMPARE(d.values().dayOfMonth, -1);
    }

    // The file layer trims values: a time stored as " 8:15" comes back as
    // "8:15"; typed with the first position left empty it is 08:15 as well.
    void timeWithoutTheTensOfHoursFillsTheMask() {
        CommandTest t;
        t.store("[Funktionsprobe]\r\nUhrzeit= 8:15\r\n");
        QVERIFY(t.run<TFunktions>([&](TFunktions& d) {
            QCOMPARE(timeField(d)->displayText(), QStringLiteral("_8:15"));
            press(d, "ok");
        }));
        QVERIFY(contains(t.settings(), "Uhrzeit= 8:15\r\n"));

        TFunktions d;
        QVERIFY_CHECKS(showWithTimeFocused(d));
        timeField(d)->setCursorPosition(1);
        QTest::keyClicks(timeField(d), "815");
        durationField(d)->setFocus();
        VERIFY_BOXES(t.boxes);
        QVERIFY(durationField(d)->hasFocus());
        QCOMPARE(d.values().time, std::string(" 8:15"));
    }

    void timeOfDayIsCheckedWhenTheFieldIsLeft_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byMask");
        QTest::addColumn<QString>("refused");
        QTest::newRow("25:00") << "2500" << false << notATime("25:00");
        QTest::newRow("12:60") << "1260" << false << notATime("12:60");
        QTest::newRow("untouched") << "" << false << notATime("  :  ");
        QTest::newRow("incomplete") << "123" << true << kIncomplete;
        QTest::newRow("23:59") << "2359" << false << QString();
        QTest::newRow("00:00") << "0000" << false << QString();
    }

    // A refused time keeps the focus; disabling the field by choosing "Keine
    // Deaktivierung" is no leaving and asks nothing.
    void timeOfDayIsCheckedWhenTheFieldIsLeft() {
        QFETCH(QString, typed);
        QFETCH(bool, byMask);
        QFETCH(QString, refused);
        ScriptedBoxes boxes;
        if (!refused.isEmpty()) boxes.expect(byMask ? BoxKind::Error : BoxKind::Plain, refused);
        TFunktions d;
        QVERIFY_CHECKS(showWithTimeFocused(d));
        QTest::keyClicks(timeField(d), typed);
        QTest::keyClick(timeField(d), Qt::Key_Tab);
        VERIFY_BOXES(boxes);
        QCOMPARE(timeField(d)->hasFocus(), !refused.isEmpty());
        QCOMPARE(durationField(d)->hasFocus(), refused.isEmpty());
        tage(d)->setItemIndex(0);
        QVERIFY(!timeField(d)->isEnabled());
        VERIFY_BOXES(boxes);
    }

    // Neither letters, blanks, signs nor pasted text get in; in the time field
    // undo does nothing.
    void fieldsTakeOnlyDigitsAndBackspace() {
        ScriptedBoxes boxes;
        TFunktions d;
        QVERIFY_CHECKS(showWithTimeFocused(d));
        QApplication::clipboard()->setText("12:34");
        QTest::keyClicks(timeField(d), "1a: b");
        QTest::keyClick(timeField(d), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(timeField(d), Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(timeField(d)->displayText(), QStringLiteral("1_:__"));
        QVERIFY(d.isVisible());
        QTest::keyClicks(timeField(d), "945");
        QCOMPARE(timeField(d)->displayText(), QStringLiteral("19:45"));
        QTest::keyClick(timeField(d), Qt::Key_Backspace);
        QCOMPARE(timeField(d)->displayText(), QStringLiteral("19:4_"));
        QTest::keyClick(timeField(d), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(timeField(d)->displayText(), QStringLiteral("19:4_"));

        QTest::keyClicks(timeField(d), "5");
        durationField(d)->setFocus();
        QTest::keyClicks(durationField(d), "12345");
        QCOMPARE(durationField(d)->text(), QStringLiteral("1234"));
        QTest::keyClick(durationField(d), Qt::Key_Backspace);
        QCOMPARE(durationField(d)->text(), QStringLiteral("123"));
        QApplication::clipboard()->setText("9");
        QTest::keyClicks(durationField(d), "x -");
        QTest::keyClick(durationField(d), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(durationField(d)->text(), QStringLiteral("123"));
        VERIFY_BOXES(boxes);
    }

    void acceptingWaitsForAValidTime() {
        CommandTest t;
        QVERIFY(t.run<TFunktions>([&](TFunktions& d) {
            QVERIFY(activate(d));
            tage(d)->button(4)->click();
            timeField(d)->setFocus();
            timeField(d)->setCursorPosition(0);
            QTest::keyClicks(timeField(d), "2500");
            auto* ok = child<QPushButton>(d, "ok");
            t.boxes.expect(BoxKind::Plain, notATime("25:00"));
            QTest::mouseClick(ok, Qt::LeftButton);
            QVERIFY(d.isVisible());
            QVERIFY(timeField(d)->hasFocus());

            timeField(d)->setCursorPosition(0);
            QTest::keyClicks(timeField(d), "2000");
            QTest::mouseClick(ok, Qt::LeftButton);
            QVERIFY(!d.isVisible());
        }));
        VERIFY_BOXES(t.boxes);
        QVERIFY(contains(t.settings(), "Art=4\r\n"));
        QVERIFY(contains(t.settings(), "Uhrzeit=20:00\r\n"));
    }

    // Art=4, Uhrzeit=12:00: the field cleared, "1" typed, the minutes field
    // clicked (refused). Whatever the user does next, the time is checked
    // again, and a time that was refused is never written: Escape, or choosing
    // "Keine Deaktivierung" (refused once more, then the field is disabled),
    // brings back the text the field had when it got the focus.
    void aRefusedTimeIsCheckedAgainAndNeverWritten_data() {
        QTest::addColumn<QString>("then");
        QTest::addColumn<int>("refusals");
        QTest::addColumn<QString>("written");
        QTest::newRow("minutes field again") << "dauer,ok" << 3 << QString();
        QTest::newRow("Return") << "return,ok" << 3 << QString();
        QTest::newRow("Keine Deaktivierung") << "none,none,ok" << 2 << "Art=0,Uhrzeit=12:00";
        QTest::newRow("Escape") << "escape,dauer,ok" << 1 << "Art=4,Uhrzeit=12:00";
    }
    void aRefusedTimeIsCheckedAgainAndNeverWritten() {
        QFETCH(QString, then);
        QFETCH(int, refusals);
        QFETCH(QString, written);
        CommandTest t;
        t.store("[Funktionsprobe]\r\nArt=4\r\nUhrzeit=12:00\r\nDauer=30\r\n");
        for (int i = 0; i < refusals; ++i) t.boxes.expect(BoxKind::Error, kIncomplete);
        const bool ran = t.run<TFunktions>([&](TFunktions& d) {
            QVERIFY(activate(d));
            QTest::mouseClick(timeField(d), Qt::LeftButton);
            timeField(d)->selectAll();
            QTest::keyClick(timeField(d), Qt::Key_Backspace);
            timeField(d)->setCursorPosition(0);
            QTest::keyClicks(timeField(d), "1");
            QTest::mouseClick(durationField(d), Qt::LeftButton);
            QVERIFY(timeField(d)->hasFocus());
            for (const QString& step : then.split(',')) {
                if (step == "dauer") QTest::mouseClick(durationField(d), Qt::LeftButton);
                if (step == "return") QTest::keyClick(timeField(d), Qt::Key_Return);
                if (step == "escape") QTest::keyClick(timeField(d), Qt::Key_Escape);
                if (step == "none") clickItem(d, 0);
                if (step == "ok") QTest::mouseClick(child<QPushButton>(d, "ok"), Qt::LeftButton);
                QVERIFY(d.isVisible() || step == "ok");
            }
            QCOMPARE(d.isVisible(), written.isEmpty());
            if (d.isVisible()) {
                QVERIFY(timeField(d)->hasFocus());
                d.QDialog::done(QDialog::Rejected);
            }
        });
        QVERIFY2(ran, qPrintable(t.boxes.report()));
        VERIFY_BOXES(t.boxes);
        const std::string stored = t.settings();
        QVERIFY2(!contains(stored, "Uhrzeit=1 :  "), stored.c_str());
        for (const QString& line : written.split(',', Qt::SkipEmptyParts))
            QVERIFY2(contains(stored, line.toStdString() + "\r\n"), stored.c_str());
    }

    // The command writes every key of its group: a change another program made
    // to the group while the window was open is not undone unasked; a change
    // to another group is kept without a question.
    void aGroupChangedElsewhereMeanwhileIsOverwrittenOnlyWhenConfirmed_data() {
        QTest::addColumn<QString>("elsewhere");
        QTest::addColumn<int>("answer");  // -1: no question
        QTest::addColumn<QString>("kept");
        const QString group = "[Funktionsprobe]\r\nArt=%1\r\nUhrzeit=12:00\r\nDauer=30\r\n";
        QTest::newRow("other group") << group.arg(4) + "[Sound]\r\nPlay=1\r\n"
                                     << -1 << "Art=4,Play=1";
        QTest::newRow("same group, Ja") << group.arg(2) << 1 << "Art=4";
        QTest::newRow("same group, Nein") << group.arg(2) << 0 << "Art=2";
    }
    void aGroupChangedElsewhereMeanwhileIsOverwrittenOnlyWhenConfirmed() {
        QFETCH(QString, elsewhere);
        QFETCH(int, answer);
        QFETCH(QString, kept);
        CommandTest t;
        t.store("[Funktionsprobe]\r\nArt=4\r\nUhrzeit=12:00\r\nDauer=30\r\n");
        if (answer >= 0)
            t.boxes.expectContaining(BoxKind::Confirmation,
                                     QStringLiteral(" geändert, seit das Fenster geöffnet wurde"),
                                     answer == 1);
        QVERIFY(t.run<TFunktions>([&](TFunktions& d) {
            t.store(elsewhere.toStdString());
            press(d, "ok");
        }));
        VERIFY_BOXES(t.boxes);
        for (const QString& line : kept.split(','))
            QVERIFY2(contains(t.settings(), line.toStdString() + "\r\n"), t.settings().c_str());
    }

    void refusedTimeHoldsTheDialogWhileTheMessageHasTheFocus() {
        // A real message box takes the activation with it, so the focus returns
        // to the time field only after the click on "Übernehmen" has gone on.
        int shown = 0;
        const RecordingBoxes recording([&](const dravel::ui::BoxRequest&) {
            ++shown;
            QApplication::setActiveWindow(nullptr);
            return false;
        });
        TFunktions d;
        QVERIFY_CHECKS(showWithTimeFocused(d));
        QTest::keyClicks(timeField(d), "2500");
        QTest::mouseClick(child<QPushButton>(d, "ok"), Qt::LeftButton);
        QCOMPARE(shown, 1);
        QVERIFY(d.isVisible());
        QVERIFY(activate(d));
        QVERIFY(timeField(d)->hasFocus());
    }

    void textTypedIntoASelectorIsNoSelection() {
        TFunktions d;
        d.setValues({.kind = 1, .weekday1 = 2});
        QComboBox* weekday = combo(d, "Wochentag1");
        QCOMPARE(d.values().weekday1, 2);
        weekday->lineEdit()->selectAll();
        QTest::keyClicks(weekday->lineEdit(), "Mittwochs");
        QCOMPARE(d.values().weekday1, -1);
        QCOMPARE(weekday->count(), 7);
    }

    void cancelAsksAndJaWritesNothingButRebuildsTheSummary() {
        CommandTest t;
        const std::string before = "[Funktionsprobe]\r\nArt=1\r\nWochentag1=0\r\n";
        t.store(before);
        auto* panel = t.window.findChild<dravel::ui::PanelLabel*>("Funktionspr");
        QCOMPARE(panel->panelText(), QStringLiteral("Pin1"));
        QVERIFY(t.run<TFunktions>([&](TFunktions& d) {
            tage(d)->button(3)->click();
            combo(d, "Tag_Monat")->setCurrentIndex(14);
            QVERIFY_CHECKS(cancelKeepingThenDropping(t.boxes, d, "BitBtn1", [&] {
                QCOMPARE(tage(d)->itemIndex(), 3);
                QCOMPARE(combo(d, "Tag_Monat")->currentText(), QStringLiteral("15."));
            }));
        }));
        VERIFY_BOXES(t.boxes);
        QCOMPARE(t.settings(), before);
        QVERIFY(panel->panelText() != QStringLiteral("Pin1"));
    }

    // Freeing the dialog with the focus in one of its fields moves the focus while
    // the fields are destroyed; by then the dialog's handler must be unreachable.
    void focusLeavingADestroyedFieldReachesNoHandler() {
        for (const char* field : {"Uhrzeit", "dauer"}) {
            auto* d = new TFunktions;
            d->show();
            QVERIFY(activate(*d));
            tage(*d)->setItemIndex(4);
            child<QLineEdit>(*d, field)->setFocus();
            QVERIFY(child<QLineEdit>(*d, field)->hasFocus());
            int stillConnected = 0;
            QObject::connect(child(*d, field), &QObject::destroyed, [&stillConnected, d] {
                stillConnected +=
                    QObject::disconnect(qApp, &QApplication::focusChanged, d, nullptr);
            });
            delete d;
            QCOMPARE(stillConnected, 0);
        }
    }

    // Until the user has been in the empty time field, the dialog answers from Tage as ever.
    void opensOnTageAndChecksTheTimeOnlyOnceEntered() {
        CommandTest t;
        t.store("[Funktionsprobe]\r\nArt=4\r\n");
        QVERIFY(t.run<TFunktions>([&](TFunktions& d) {
            QVERIFY(activate(d));
            QCOMPARE(QApplication::focusWidget(), tage(d)->button(4));
            clickItem(d, 1);
            QCOMPARE(tage(d)->itemIndex(), 1);
            QVERIFY(d.isVisible());

            QTest::mouseClick(timeField(d), Qt::LeftButton);
            t.boxes.expect(BoxKind::Plain, notATime("  :  "));
            clickItem(d, 4);
            VERIFY_BOXES(t.boxes);
            QVERIFY(timeField(d)->hasFocus());
            timeField(d)->setCursorPosition(0);
            QTest::keyClicks(timeField(d), "0630");
            QVERIFY_CHECKS(cancelKeepingThenDropping(t.boxes, d, "BitBtn1", [] {}));
        }));
        VERIFY_BOXES(t.boxes);
    }

    // From the selected item of Tage, skipping what is disabled, round to Tage again.
    void tabOrderIsTheForms() {
        ScriptedBoxes boxes;
        TFunktions d;
        d.setValues({.kind = 2, .time = "06:30"});
        d.show();
        QVERIFY(activate(d));
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int step = 0; step < 8; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, (QStringList{"Tage2", "ZahlWochentag2", "Wochentag2", "Uhrzeit", "dauer",
                                       "ok", "BitBtn1", "Tage2", "ZahlWochentag2"}));
        VERIFY_BOXES(boxes);
    }

    // Of a text an input method commits, only what keys could have typed gets in.
    void composedTextObeysTheKeyFilters() {
        ScriptedBoxes boxes;
        TFunktions d;
        QVERIFY_CHECKS(showWithTimeFocused(d));
        commitText(timeField(d), "ab:1x2");
        QCOMPARE(timeField(d)->displayText(), QStringLiteral("12:__"));
        commitText(timeField(d), "3 ٤4");  // an Arabic-Indic four is no key's digit
        QCOMPARE(timeField(d)->displayText(), QStringLiteral("12:34"));

        durationField(d)->setFocus();
        commitText(durationField(d), "ab:cd7x99");
        commitText(durationField(d), "12");
        QCOMPARE(d.values().duration, std::string("7991"));
        VERIFY_BOXES(boxes);
    }

    // X11's middle button pastes the selection at the click. Runs under Xvfb
    // (tst_funktionsprobe_x11).
    void middleClickPasteObeysTheKeyFilters() {
        if (!QApplication::clipboard()->supportsSelection())
            QSKIP("this platform has no selection; tst_funktionsprobe_x11 pastes on X11");
        ScriptedBoxes boxes;
        TFunktions d;
        QVERIFY_CHECKS(showWithTimeFocused(d));
        const auto pasteAt = [](QLineEdit* field, const QString& text, int x) {
            QApplication::clipboard()->setText(text, QClipboard::Selection);
            QTRY_COMPARE(QApplication::clipboard()->text(QClipboard::Selection), text);
            QTest::mouseClick(field, Qt::MiddleButton, {}, QPoint(x, field->height() / 2));
        };
        QVERIFY_CHECKS(pasteAt(timeField(d), QStringLiteral("ab:1x2 3:4"), 2));
        QVERIFY_CHECKS(pasteAt(durationField(d), QStringLiteral("ab:cd7x99"), 2));
        QCOMPARE(durationField(d)->text(), QStringLiteral("799"));
        // Behind the text, where only one digit still fits.
        QVERIFY_CHECKS(
            pasteAt(durationField(d), QStringLiteral("ab:cd7x99"), durationField(d)->width() - 2));
        VERIFY_BOXES(boxes);
        QCOMPARE(d.values().duration, std::string("7997"));
        QCOMPARE(d.values().time, std::string("12:34"));
    }
};

QTEST_MAIN(TestFunktionsprobe)
#include "tst_funktionsprobe.moc"
