// The number fields of the settings dialogs, typed into as a user would:
// what stays in the field once it loses the focus, and what is stored.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyleFactory>
#include <QTest>
#include <functional>
#include <memory>

#include "dialogs/Audio_form.h"
#include "dialogs/ComPort.h"
#include "dialogs/Soundkarte.h"
#include "support/SimulatedCards.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "ui/ProgramFont.h"
#include "ui/RadioGroup.h"

using namespace dravel::dialogs;

using namespace dravel::testing;

namespace {

// One number field: its dialog, made ready for typing, and what the dialog
// hands out for the field afterwards.
struct FieldUnderTest {
    const char* field;
    std::function<std::unique_ptr<QDialog>()> make;
    std::function<int(QDialog&)> stored;
};

// The COM port dialog edits a pin only once one is chosen and active; its
// fields reach the working copy through "Pin Speichern".
std::unique_ptr<QDialog> comPortWithPinChosen() {
    auto d = std::make_unique<TPort>();
    auto* pin = combo(*d, "Port_pin");
    pin->setCurrentIndex(0);
    emit pin->activated(0);
    check(*d, "Pin_aktiv")->setChecked(true);
    return d;
}

int storedPin0(QDialog& d, bool wait) {
    press(d, "Pin_save");
    const auto pin = static_cast<TPort&>(d).values().pins[0];  // values() is a copy
    return wait ? pin.wait : pin.duration;
}

const std::vector<FieldUnderTest>& fields() {
    static const std::vector<FieldUnderTest> all{
        {"verzoeger_zeit",
         [] {
             auto d = std::make_unique<TAudio>();
             check(*d, "PlaySound")->setChecked(true);
             return std::unique_ptr<QDialog>(std::move(d));
         },
         [](QDialog& d) { return static_cast<TAudio&>(d).values().waitTime; }},
        {"StartSekunden",
         [] {
             auto d = std::make_unique<TSound>();
             check(*d, "OnOff")->setChecked(true);
             radio(*d, "start")->setItemIndex(1);
             return std::unique_ptr<QDialog>(std::move(d));
         },
         [](QDialog& d) { return static_cast<TSound&>(d).values().startTime; }},
        {"Warten", comPortWithPinChosen, [](QDialog& d) { return storedPin0(d, true); }},
        {"Dauer", comPortWithPinChosen, [](QDialog& d) { return storedPin0(d, false); }},
    };
    return all;
}

int fieldIndex(const char* name) {
    for (std::size_t i = 0; i < fields().size(); ++i)
        if (QByteArray(fields()[i].field) == name) return static_cast<int>(i);
    qFatal("no field %s", name);
}

// The width of a field's text area: its line edit less the two pixels Qt
// keeps free on either side (and one for the cursor, counted with the text).
int textAreaWidth(const QLineEdit* edit) {
    return edit->width() - 2 * 2;
}

// What the field shows with the cursor at the start or at the end of its
// text; the two differ only when the text had to be scrolled.
QImage shownWithCursorAt(QLineEdit* edit, int position) {
    edit->setCursorPosition(position);
    return edit->grab().toImage();
}

}  // namespace

class TestNumberFields : public QObject {
    Q_OBJECT
private slots:
    void typedTextIsTakenAndPulledIntoRangeOnLeaving_data();
    void typedTextIsTakenAndPulledIntoRangeOnLeaving();
    void longestNumberShowsWholeInEveryStyle_data();
    void longestNumberShowsWholeInEveryStyle();

private:
    TempProgramDir dir_;
    // No sound card of this machine: the radio dialog lists a simulated one.
    SimulatedCards cards_;
};

void TestNumberFields::typedTextIsTakenAndPulledIntoRangeOnLeaving_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shownAfterLeaving");
    QTest::addColumn<int>("stored");
    const auto row = [](const char* field, const char* typed, const char* shown, int stored) {
        QTest::addRow("%s %s", field, typed)
            << fieldIndex(field) << QString(typed) << QString(shown) << stored;
    };
    // The sound delay runs from 1 to 1800: no number stores the lowest value.
    row("verzoeger_zeit", "2000", "1800", 1800);
    row("verzoeger_zeit", "900", "900", 900);
    row("verzoeger_zeit", "+7", "7", 7);
    row("verzoeger_zeit", "-5", "1", 1);
    row("verzoeger_zeit", "1.5", "1", 1);
    row("verzoeger_zeit", "12x", "12", 12);  // letters never reach the field
    row("verzoeger_zeit", "", "1", 1);
    // The radio start delay runs from 0 to 3600.
    row("StartSekunden", "4000", "3600", 3600);
    row("StartSekunden", "-20", "0", 0);
    row("StartSekunden", "+-5", "0", 0);
    row("StartSekunden", "99999999999", "3600", 3600);
    // The pin times run from 0 to 1800.
    row("Warten", "2000", "1800", 1800);
    row("Warten", "7.5", "0", 0);
    row("Dauer", "+30", "30", 30);
    row("Dauer", "5000", "1800", 1800);
}

void TestNumberFields::typedTextIsTakenAndPulledIntoRangeOnLeaving() {
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, shownAfterLeaving);
    QFETCH(int, stored);
    const FieldUnderTest& under = fields()[static_cast<std::size_t>(field)];
    const std::unique_ptr<QDialog> d = under.make();
    d->show();
    QVERIFY(activate(*d));
    auto* box = child<QSpinBox>(*d, under.field);
    QVERIFY(box->isEnabled());
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), QString(typed).remove(QLatin1Char('x')));

    box->clearFocus();  // leaving the field
    QCOMPARE(box->text(), shownAfterLeaving);
    QCOMPARE(under.stored(*d), stored);
}

void TestNumberFields::longestNumberShowsWholeInEveryStyle_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<int>("field");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("longest");
    for (const QString& style : QStyleFactory::keys()) {
        const auto row = [&](const char* field, QSize size, int longest) {
            QTest::addRow("%s %s", qPrintable(style), field)
                << style << fieldIndex(field) << size << longest;
        };
        row("verzoeger_zeit", {41, 22}, 1800);
        row("StartSekunden", {57, 22}, 3600);
        row("Warten", {65, 22}, 1800);
        row("Dauer", {65, 22}, 1800);
    }
}

// The fields keep the sizes of the forms; in the program's font, the
// longest number must fit the text area, so none is shown cut while typed
// or scrolled when the cursor moves through it.
void TestNumberFields::longestNumberShowsWholeInEveryStyle() {
    QFETCH(QString, style);
    QFETCH(int, field);
    QFETCH(QSize, size);
    QFETCH(int, longest);
    const QString previousStyle = QApplication::style()->name();
    QApplication::setStyle(style);
    dravel::ui::useProgramFont();
    const FieldUnderTest& under = fields()[static_cast<std::size_t>(field)];
    const std::unique_ptr<QDialog> d = under.make();
    d->show();
    QVERIFY(QTest::qWaitForWindowExposed(d.get()));
    auto* box = child<QSpinBox>(*d, under.field);
    box->setValue(longest);
    auto* edit = box->findChild<QLineEdit*>();
    const int textWidth = edit->fontMetrics().horizontalAdvance(edit->text()) + 1;
    const bool fits = textWidth <= textAreaWidth(edit);
    const bool scrolls = shownWithCursorAt(edit, 0) != shownWithCursorAt(edit, 4);
    QApplication::setStyle(previousStyle);
    QCOMPARE(box->size(), size);
    QCOMPARE(edit->text(), QString::number(longest));
    QVERIFY2(fits, qPrintable(QStringLiteral("%1 needs %2 pixels, the text area has %3")
                                  .arg(edit->text())
                                  .arg(textWidth)
                                  .arg(textAreaWidth(edit))));
    QVERIFY(!scrolls);
}

QTEST_MAIN(TestNumberFields)
#include "tst_numberfields.moc"
