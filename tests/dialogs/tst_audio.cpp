#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "dialogs/Audio_form.h"
#include "support/WindowDriver.h"
#include "ui/PanelLabel.h"
#include "ui/SoundPreview.h"

using dravel::dialogs::TAudio;

using namespace dravel::testing;
using dravel::ui::BoxKind;

namespace {

QLabel* fileLabel(TAudio& d) {
    return child<QLabel>(d, "Datei");
}
QComboBox* pinBox(TAudio& d) {
    return combo(d, "Port_pin");
}

// The controls that follow "Sound Abspielen", and whether each is enabled.
QList<bool> soundControlsEnabled(TAudio& d) {
    QList<bool> enabled;
    for (const char* name :
         {"Abspielen", "andern", "Verzoegern", "verzoeger_zeit", "Pin_ansteuern", "Port_pin"})
        enabled << child(d, name)->isEnabled();
    return enabled;
}
const QList<bool> kAllOn(6, true);
const QList<bool> kAllOff(6, false);

TAudio::Values soundOn(std::string path = {}) {
    TAudio::Values v;
    v.play = true;
    v.path = std::move(path);
    return v;
}

// Answers the file-open dialog in place of the user and records its calls.
class ScriptedFileChooser {
public:
    struct Call {
        QString filter;
        QString start;
    };
    explicit ScriptedFileChooser(QStringList answers) : answers_(std::move(answers)) {}
    std::vector<Call> calls;

private:
    QStringList answers_;
    dravel::testing::ScopedHook<dravel::ui::SoundFileChooser> chooser_{
        dravel::ui::replaceSoundFileChooser, [this](QWidget*, const QString& f, const QString& s) {
            calls.push_back({f, s});
            return answers_.isEmpty() ? QString() : answers_.takeFirst();
        }};
};

}  // namespace

class TestAudio : public QObject {
    Q_OBJECT
private slots:
    // The overlaid spin field and selector lie over the blank runs of their
    // captions, above them, so that clicks reach them.
    void formHasItsCaptionsWithTheirBlankRuns() {
        TAudio d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Audio"));
        QCOMPARE(check(d, "PlaySound")->text(), QStringLiteral("Sound Abspielen"));
        QCOMPARE(check(d, "Verzoegern")->text(),
                 "Start um" + QString(17, ' ') + QStringLiteral("Sec verzögern"));
        QCOMPARE(check(d, "Pin_ansteuern")->text(),
                 QString(33, ' ') + QStringLiteral("für die Abspielzeit des Sounds ansteuern"));
        QCOMPARE(itemsOf(pinBox(d)), (QStringList{"Pin 3 (TXD)", "Pin 4 (DTR)", "Pin 7 (RTS)"}));
        QVERIFY(!child(d, "Pfad")->isVisibleTo(&d));
        for (const auto& [control, caption] :
             {std::pair{"verzoeger_zeit", "Verzoegern"}, std::pair{"Port_pin", "Pin_ansteuern"}}) {
            QWidget* parent = check(d, caption)->parentWidget();
            QCOMPARE(child(d, control)->parentWidget(), parent);
            const QWidgetList siblings =
                parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
            QVERIFY(siblings.indexOf(child(d, control)) > siblings.indexOf(check(d, caption)));
        }
    }

    void acceptWritesEveryKey_data() {
        QTest::addColumn<std::string>("stored");
        QTest::addColumn<std::string>("written");
        QTest::newRow("no Prog.ini") << std::string()
                                     << std::string(
                                            "[Sound]\r\nPfad=\r\nPlay=0\r\nWait=0\r\n"
                                            "Wait Time=1\r\nAnsteuern=0\r\n"
                                            "Ansteuern Pin=-1\r\n");
        QTest::newRow("Ansteuern Pin 5") << std::string("[Sound]\r\nAnsteuern Pin=5\r\n")
                                         << std::string(
                                                "[Sound]\r\nAnsteuern Pin=-1\r\nPfad=\r\n"
                                                "Play=0\r\nWait=0\r\nWait Time=1\r\n"
                                                "Ansteuern=0\r\n");
    }

    // Everything is off and no pin is shown; the wait time is pulled up to 1.
    void acceptWritesEveryKey() {
        QFETCH(std::string, stored);
        QFETCH(std::string, written);
        CommandTest t;
        if (!stored.empty()) t.store(stored);
        QVERIFY(t.run<TAudio>([&](TAudio& d) {
            for (const char* name : {"PlaySound", "Verzoegern", "Pin_ansteuern"})
                QVERIFY2(!check(d, name)->isChecked(), name);
            QCOMPARE(spin(d, "verzoeger_zeit")->value(), 1);
            QCOMPARE(pinBox(d)->currentIndex(), -1);
            QCOMPARE(pinBox(d)->currentText(), QString());
            QCOMPARE(fileLabel(d)->text(), QString());
            QCOMPARE(soundControlsEnabled(d), kAllOff);
            QVERIFY(fileLabel(d)->isEnabled());
            press(d, "Zeit_uebernehmen");
        }));
        VERIFY_BOXES(t.boxes);
        QCOMPARE(t.settings(), written);
    }

    // What is shown is written back; existing keys keep their places.
    void storedValuesAreLoadedAndWrittenBackInPlace() {
        CommandTest t;
        t.store(
            "[Sound]\r\nPlay=1\r\nAnsteuern Pin=1\r\nAnsteuern=1\r\nWait Time=45\r\n"
            "Wait=1\r\nPfad=C:\\Programme\\Kalvor\\Gong Alarm.wav\r\n");
        QVERIFY(t.run<TAudio>([&](TAudio& d) {
            QCOMPARE(pinBox(d)->currentText(), QStringLiteral("Pin 4 (DTR)"));
            QCOMPARE(fileLabel(d)->text(), QStringLiteral("Gong Alarm.wav"));
            QCOMPARE(fileLabel(d)->toolTip(),
                     QStringLiteral("C:\\Programme\\Kalvor\\Gong Alarm.wav"));
            QCOMPARE(soundControlsEnabled(d), kAllOn);
            pinBox(d)->setCurrentIndex(2);
            press(d, "Zeit_uebernehmen");
        }));
        QCOMPARE(t.settings(),
                 std::string(
                     "[Sound]\r\nPlay=1\r\nAnsteuern Pin=2\r\nAnsteuern=1\r\n"
                     "Wait Time=45\r\nWait=1\r\nPfad=C:\\Programme\\Kalvor\\Gong Alarm.wav\r\n"));
    }

    // Right after loading only "Sound Abspielen" decides; from then on the
    // inner boxes rule their own control.
    void soundSwitchDecidesAfterLoadingThenTheInnerBoxesRule() {
        TAudio d;
        d.setValues(soundOn());
        QCOMPARE(soundControlsEnabled(d), kAllOn);
        check(d, "PlaySound")->click();
        QCOMPARE(soundControlsEnabled(d), kAllOff);
        check(d, "PlaySound")->click();
        QCOMPARE(soundControlsEnabled(d), kAllOn);
        check(d, "Verzoegern")->click();
        check(d, "Verzoegern")->click();
        QVERIFY(!child(d, "verzoeger_zeit")->isEnabled());
        QVERIFY(child(d, "Port_pin")->isEnabled());
        check(d, "Pin_ansteuern")->click();
        check(d, "Pin_ansteuern")->click();
        QVERIFY(!child(d, "Port_pin")->isEnabled());

        // Loading ticked inner boxes with the sound off: the sound rule runs last.
        TAudio loaded;
        TAudio::Values innerOnly;
        innerOnly.wait = true;
        innerOnly.switchPin = true;
        loaded.setValues(innerOnly);
        QCOMPARE(soundControlsEnabled(loaded), kAllOff);
    }

    void waitTimeIsPulledIntoItsRange_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("below") << -7 << 1;
        QTest::newRow("zero") << 0 << 1;
        QTest::newRow("upper bound") << 1800 << 1800;
        QTest::newRow("above") << 1801 << 1800;
    }

    void waitTimeIsPulledIntoItsRange() {
        QFETCH(int, stored);
        QFETCH(int, shown);
        TAudio d;
        TAudio::Values v;
        v.waitTime = stored;
        d.setValues(v);
        QCOMPARE(spin(d, "verzoeger_zeit")->value(), shown);
        QCOMPARE(d.values().waitTime, shown);
    }

    // The chooser starts from the current file: the stored one, then the one
    // chosen within this opening; cancelling keeps path and label.
    void fileDialogOffersWavAndStartsFromTheCurrentFile() {
        CommandTest t;
        t.store("[Sound]\r\nPlay=1\r\nPfad=/alt/vorher.wav\r\n");
        ScriptedFileChooser chooser({"/sounds/deep/one.wav", QString(), "/sounds/three.wav"});
        QVERIFY(t.run<TAudio>([&](TAudio& d) {
            QCOMPARE(fileLabel(d)->text(), QStringLiteral("vorher.wav"));
            press(d, "andern");
            QCOMPARE(fileLabel(d)->text(), QStringLiteral("one.wav"));
            QCOMPARE(fileLabel(d)->toolTip(), QDir::toNativeSeparators("/sounds/deep/one.wav"));
            press(d, "andern");
            QCOMPARE(fileLabel(d)->text(), QStringLiteral("one.wav"));
            press(d, "Zeit_uebernehmen");
        }));
        QCOMPARE(chooser.calls.size(), 2u);
        QCOMPARE(chooser.calls[0].filter, QStringLiteral("WAV Dateien (*.wav)"));
        QCOMPARE(chooser.calls[0].start, QStringLiteral("/alt/vorher.wav"));
        QCOMPARE(chooser.calls[1].start, QDir::toNativeSeparators("/sounds/deep/one.wav"));
        const std::string stored = QDir::toNativeSeparators("/sounds/deep/one.wav").toStdString();
        QVERIFY(t.settings().find("Pfad=" + stored + "\r\n") != std::string::npos);

        QVERIFY(t.run<TAudio>([&](TAudio& d) {
            press(d, "andern");
            press(d, "Zeit_uebernehmen");
        }));
        QCOMPARE(chooser.calls.size(), 3u);
        QCOMPARE(chooser.calls[2].start, QDir::toNativeSeparators("/sounds/deep/one.wav"));
    }

    // Previews overlap: nothing is stopped.
    void previewPlaysThePathOrSaysItWasNotFound() {
        SoundLibraryGuard sound;
        sound.fake().playableFiles = {"/sounds/gong.wav"};
        ScriptedBoxes boxes;
        boxes.expect(BoxKind::Plain, QStringLiteral("Datei \"/sounds/fehlt.wav\" nicht gefunden"))
            .expect(BoxKind::Plain, QStringLiteral("Datei \"\" nicht gefunden"));
        TAudio d;
        d.setValues(soundOn("/sounds/gong.wav"));
        press(d, "Abspielen");
        press(d, "Abspielen");
        QCOMPARE(sound.fake().played.size(), 2u);
        d.setValues(soundOn("/sounds/fehlt.wav"));
        press(d, "Abspielen");
        d.setValues(soundOn());
        press(d, "Abspielen");
        VERIFY_BOXES(boxes);
    }

    // The close box counts as "Abbrechen".
    void cancelAsksAndJaWritesNothingButRebuildsTheSummary() {
        CommandTest t;
        const std::string before = "[Sound]\r\nPlay=0\r\n";
        t.store(before);
        auto* soundPanel = child<dravel::ui::PanelLabel>(t.window, "SoundPin");
        QCOMPARE(soundPanel->panelText(), QStringLiteral("SoundPin"));
        QVERIFY(t.run<TAudio>([&](TAudio& d) {
            check(d, "PlaySound")->click();
            spin(d, "verzoeger_zeit")->setValue(99);
            QVERIFY_CHECKS(cancelKeepingThenDropping(t.boxes, d, "BitBtn1", [&] {
                QVERIFY(check(d, "PlaySound")->isChecked());
                QCOMPARE(spin(d, "verzoeger_zeit")->value(), 99);
            }));
        }));
        VERIFY_BOXES(t.boxes);
        QCOMPARE(t.settings(), before);
        QVERIFY(soundPanel->panelText() != QStringLiteral("SoundPin"));
    }
};

QTEST_MAIN(TestAudio)
#include "tst_audio.moc"
