// What goes into the files is Windows-1252: a description takes only what that holds, and a
// chosen sound file whose path it cannot hold is refused, with the characters named.
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "dialogs/Audio_form.h"
#include "dialogs/Bedingung.h"
#include "dialogs/ComPort.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "ui/SoundPreview.h"

using namespace dravel::dialogs;
using namespace dravel::testing;

class TestFileText : public QObject {
    Q_OBJECT
private slots:
    // Typed key by key (QTest types Latin-1 only), or inserted whole as paste and drop do.
    void descriptionsTakeOnlyWhatTheFileHolds() {
        TempProgramDir dir;
        TPort port;
        combo(port, "Port_pin")->setCurrentIndex(0);
        emit combo(port, "Port_pin")->activated(0);
        check(port, "Pin_aktiv")->setChecked(true);
        TBedingungen list;
        for (QLineEdit* field :
             {child<QLineEdit>(port, "Bemerkung"), child<QLineEdit>(list, "Beschreibung")}) {
            for (const QChar c : QStringLiteral("Łódź – 5 €")) {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(field, &key);
            }
            QCOMPARE(field->text(), QStringLiteral("ód – 5 €"));
            field->insert(QStringLiteral(" Wache Łódź 日"));
            field->insert(QStringLiteral(" „Œ“ ½"));
            QCOMPARE(field->text(), QStringLiteral("ód – 5 € „Œ“ ½"));
        }
    }

    void aPathTheFileCannotHoldIsRefusedWhenChosen() {
        TempProgramDir dir;
        QStringList answers;
        const ScopedHook<dravel::ui::SoundFileChooser> chooser(
            dravel::ui::replaceSoundFileChooser,
            [&](QWidget*, const QString&, const QString&) { return answers.takeFirst(); });
        TAudio audio;
        check(audio, "PlaySound")->setChecked(true);
        TBedingungen list;
        for (QDialog* d : std::initializer_list<QDialog*>{&audio, &list}) {
            ScriptedBoxes boxes;
            boxes.expect(dravel::ui::BoxKind::Plain,
                         "Der Pfad \"" + QDir::toNativeSeparators("/töne/Łódź/Zoë ź.wav") +
                             "\" enthält Zeichen, die Kalvor nicht lesen kann: Ł, ź.\n\rDie Datei "
                             "wird nicht übernommen. Bitte die Datei umbenennen oder in einen "
                             "anderen Ordner legen.");
            answers = QStringList{"/töne/gong.wav", "/töne/Łódź/Zoë ź.wav"};
            press(*d, "andern");
            press(*d, "andern");
            VERIFY_BOXES(boxes);
            QCOMPARE(child<QLabel>(*d, "Pfad")->text(), QDir::toNativeSeparators("/töne/gong.wav"));
        }
    }
};

QTEST_MAIN(TestFileText)
#include "tst_filetext.moc"
