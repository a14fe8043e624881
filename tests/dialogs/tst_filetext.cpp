// What goes into the files is Windows-1252: a description field takes only
// what that holds, and a chosen sound file whose path it cannot hold is
// refused with the characters named, in every window that takes one.

#include <QDir>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <memory>

#include "dialogs/Audio_form.h"
#include "dialogs/Bedingung.h"
#include "dialogs/ComPort.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "ui/SoundPreview.h"

using namespace dravel::dialogs;
using namespace dravel::testing;
using dravel::ui::BoxKind;

namespace {

std::unique_ptr<QDialog> comPortWithPinChosen() {
    auto d = std::make_unique<TPort>();
    auto* pin = combo(*d, "Port_pin");
    pin->setCurrentIndex(0);
    emit pin->activated(0);
    check(*d, "Pin_aktiv")->setChecked(true);
    return d;
}

struct Window {
    const char* name;
    std::function<std::unique_ptr<QDialog>()> make;
    const char* field;  // the description, or the label that shows the chosen path
};

const Window kDescriptions[] = {
    {"Bemerkung", comPortWithPinChosen, "Bemerkung"},
    {"Beschreibung", [] { return std::make_unique<TBedingungen>(); }, "Beschreibung"},
};
const Window kPaths[] = {
    {"Audio",
     [] {
         auto d = std::make_unique<TAudio>();
         check(*d, "PlaySound")->setChecked(true);
         return std::unique_ptr<QDialog>(std::move(d));
     },
     "Pfad"},
    {"Bedingungen", [] { return std::make_unique<TBedingungen>(); }, "Pfad"},
};

enum Way { Typed, Inserted, InputMethod };  // Inserted: what paste and drop do

void enter(QLineEdit* field, Way way, const QString& text) {
    if (way == Typed)  // QTest types only Latin-1 keys
        for (const QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &key);
        }
    if (way == Inserted) field->insert(text);
    if (way == InputMethod) {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(field, &commit);
    }
}

}  // namespace

class TestFileText : public QObject {
    Q_OBJECT
private slots:
    void descriptionsTakeOnlyWhatTheFileHolds_data() {
        QTest::addColumn<int>("way");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("kept");
        QTest::newRow("typed") << int(Typed) << "Łódź – 5 €"
                               << "ód – 5 €";
        QTest::newRow("pasted or dropped") << int(Inserted) << "Wache Łódź"
                                           << "";
        QTest::newRow("pasted, all held") << int(Inserted) << "Süd „Œ“ ½"
                                          << "Süd „Œ“ ½";
        QTest::newRow("input method") << int(InputMethod) << "日本"
                                      << "";
    }
    void descriptionsTakeOnlyWhatTheFileHolds() {
        QFETCH(int, way);
        QFETCH(QString, entered);
        QFETCH(QString, kept);
        TempProgramDir dir;
        for (const Window& window : kDescriptions) {
            const std::unique_ptr<QDialog> d = window.make();
            d->show();
            QVERIFY(activate(*d));
            auto* field = child<QLineEdit>(*d, window.field);
            field->setFocus();
            enter(field, Way(way), entered);
            QVERIFY2(field->text() == kept,
                     qPrintable(QString(window.name) + ": " + field->text()));
        }
    }

    void aPathTheFileCannotHoldIsRefusedWhenChosen() {
        TempProgramDir dir;
        QStringList answers;
        const dravel::testing::ScopedHook<dravel::ui::SoundFileChooser> chooser(
            dravel::ui::replaceSoundFileChooser,
            [&](QWidget*, const QString&, const QString&) { return answers.takeFirst(); });
        for (const Window& window : kPaths) {
            ScriptedBoxes boxes;
            boxes.expect(BoxKind::Plain,
                         QStringLiteral("Der Pfad \"") +
                             QDir::toNativeSeparators("/töne/Łódź/Zoë ź.wav") +
                             QStringLiteral("\" enthält Zeichen, die Kalvor nicht lesen kann: Ł, "
                                            "ź.\n\rDie Datei wird nicht übernommen. Bitte die "
                                            "Datei umbenennen oder in einen anderen Ordner "
                                            "legen."));
            const std::unique_ptr<QDialog> d = window.make();
            answers = QStringList{"/töne/gong.wav", "/töne/Łódź/Zoë ź.wav"};
            press(*d, "andern");
            press(*d, "andern");
            VERIFY_BOXES(boxes);
            QCOMPARE(child<QLabel>(*d, window.field)->text(),
                     QDir::toNativeSeparators("/töne/gong.wav"));
        }
    }
};

QTEST_MAIN(TestFileText)
#include "tst_filetext.moc"
