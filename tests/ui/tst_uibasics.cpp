#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "ui/ErrorGuard.h"
#include "ui/MessageBoxes.h"
#include "ui/ProgramFont.h"
#include "ui/QtGerman.h"
#include "ui/RadioGroup.h"

using namespace dravel::testing;
using dravel::ui::BoxKind;
using dravel::ui::MessageBoxes;

namespace {}  // namespace

class TestUiBasics : public QObject {
    Q_OBJECT
private slots:
    void confirmationAnswersJaAndEscapeMeansNein();
    void plainBoxCarriesTheProgramTitleAndOneOk();
    void eachKindOfBoxCarriesItsTitle();
    void fullStopIsAddedOnlyAfterCharactersSortingAfterIt();
    void guardShowsTheErrorAndGoesOn();
    void radioGroupRunsItsHandlerOnSelectionButNotOnClearing();
    void programFontIsTheMetricCompatibleBitmapFont();
    void qtOwnButtonsAndDialogsSpeakGerman();
};

void TestUiBasics::confirmationAnswersJaAndEscapeMeansNein() {
    const RealBoxes real;
    BoxSeen seen;
    answerNextBox(seen, [](QMessageBox* box) { buttonNamed(box, "Ja")->click(); });
    QVERIFY(MessageBoxes::confirm(nullptr, QStringLiteral("Abbrechen ohne Speichern?")));
    QCOMPARE(seen.title, QStringLiteral("Bestätigung"));
    QCOMPARE(seen.buttons, (QStringList{"Ja", "Nein"}));

    BoxSeen escaped;
    answerNextBox(escaped, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    QVERIFY(!MessageBoxes::confirm(nullptr, QStringLiteral("Zeile Wirklich löschen?")));
    QCOMPARE(escaped.buttons.size(), 2);

    // Escape answers "Nein"; the close button is an answer of its own.
    using dravel::ui::Answer;
    BoxSeen ignored;
    answerNextBox(ignored, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    QVERIFY(MessageBoxes::ask(nullptr, QStringLiteral("Abbrechen ohne Speichern?")) ==
            Answer::Nein);
    answerNextBox(ignored, [](QMessageBox* box) { box->close(); });
    QVERIFY(MessageBoxes::ask(nullptr, QStringLiteral("Abbrechen ohne Speichern?")) ==
            Answer::Closed);
}

void TestUiBasics::plainBoxCarriesTheProgramTitleAndOneOk() {
    const RealBoxes real;
    BoxSeen seen;
    answerNextBox(seen, [](QMessageBox* box) { buttonNamed(box, "OK")->click(); });
    MessageBoxes::plain(nullptr, QStringLiteral("eins\n\rzwei"));
    QCOMPARE(seen.title, QStringLiteral("Dravel"));
    QCOMPARE(seen.buttons, QStringList{"OK"});
}

void TestUiBasics::eachKindOfBoxCarriesItsTitle() {
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Plain, "a").expect(BoxKind::Confirmation, "b", false);
    boxes.expect(BoxKind::Information, "c").expect(BoxKind::Warning, "d");
    boxes.expect(BoxKind::Error, "e").expect(BoxKind::Error, "f").expect(BoxKind::System, "g");
    MessageBoxes::plain(nullptr, "a");
    QVERIFY(!MessageBoxes::confirm(nullptr, "b"));
    MessageBoxes::information(nullptr, "c");
    MessageBoxes::warning(nullptr, "d");
    MessageBoxes::error(nullptr, "e");
    MessageBoxes::error(nullptr, "f", QStringLiteral("Fehler"));
    MessageBoxes::system("g");
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QStringList titles;
    for (const auto& box : boxes.shown()) titles << box.title;
    QCOMPARE(titles, (QStringList{"Dravel", "Bestätigung", "Informationen", "Warnung", "Dravel",
                                  "Fehler", "Fehler"}));
}

void TestUiBasics::fullStopIsAddedOnlyAfterCharactersSortingAfterIt() {
    using dravel::ui::withFullStop;
    QCOMPARE(withFullStop("Registry error (win error code: 2)"),
             QStringLiteral("Registry error (win error code: 2)"));
    QCOMPARE(withFullStop("ist keine gültige Uhrzeit"),
             QStringLiteral("ist keine gültige Uhrzeit."));
    QCOMPARE(withFullStop("Fertig."), QStringLiteral("Fertig."));
    QCOMPARE(withFullStop("Achtung!"), QStringLiteral("Achtung!"));
    QCOMPARE(withFullStop("Wert 7"), QStringLiteral("Wert 7."));
    QCOMPARE(withFullStop("Größe ü"), QStringLiteral("Größe ü."));
    QCOMPARE(withFullStop(""), QString());
}

void TestUiBasics::guardShowsTheErrorAndGoesOn() {
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Error, QStringLiteral("'25:00' ist keine gültige Uhrzeit."));
    dravel::ui::guarded(nullptr,
                        [] { throw std::runtime_error("'25:00' ist keine gültige Uhrzeit"); });
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(boxes.shown().front().title, QStringLiteral("Dravel"));
}

void TestUiBasics::radioGroupRunsItsHandlerOnSelectionButNotOnClearing() {
    dravel::ui::RadioGroup group;
    group.resize(200, 120);
    group.setItems({"Keine Deaktivierung", "Jeden", "Täglich"});
    QSignalSpy spy(&group, &dravel::ui::RadioGroup::itemSelected);
    QCOMPARE(group.itemIndex(), -1);

    group.setItemIndex(2);
    group.setItemIndex(2);  // the same item again runs nothing
    group.button(0)->click();
    group.setItemIndex(-1);
    QCOMPARE(group.itemIndex(), -1);
    group.setItemIndex(7);  // outside the list: nothing selected, nothing run
    QCOMPARE(group.itemIndex(), -1);

    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toInt(), 2);
    QCOMPARE(spy.at(1).at(0).toInt(), 0);
    QVERIFY(group.button(1)->y() > group.button(0)->y());
}

// The stand-in has the widths of the Windows font, so a caption with a
// blank run ends where the control laid over it expects.
void TestUiBasics::programFontIsTheMetricCompatibleBitmapFont() {
    dravel::ui::useProgramFont();
    const QFont font = QApplication::font();
    QCOMPARE(QFontInfo(font).family(), QStringLiteral("MS Sans Serif"));
    const QFontMetrics metrics(font);
    QCOMPARE(
        metrics.horizontalAdvance(QStringLiteral("Nur bei bestimmten Schleife, RICS oder FMS")),
        211);
    QCOMPARE(metrics.height(), 13);
}

// Runs last: the German catalog stays installed for the rest of the program.
void TestUiBasics::qtOwnButtonsAndDialogsSpeakGerman() {
    QDialogButtonBox english(QDialogButtonBox::Cancel);
    QCOMPARE(english.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
    QVERIFY2(dravel::ui::loadQtGerman(),
             qPrintable(QStringLiteral("no qtbase_de.qm in ") +
                        dravel::ui::qtGermanFolders().join(QStringLiteral(", "))));
    QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(buttons.button(QDialogButtonBox::Open)->text(), QStringLiteral("Öffnen"));
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    QCOMPARE(files.labelText(QFileDialog::LookIn), QStringLiteral("Suchen in:"));
}

QTEST_MAIN(TestUiBasics)
#include "tst_uibasics.moc"
