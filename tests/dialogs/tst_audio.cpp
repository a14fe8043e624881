#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "DialogDriver.h"
#include "app/Hauptfenster.h"
#include "dialogs/Audio_form.h"
#include "support/TestSupport.h"
#include "ui/PanelLabel.h"

using dravel::testing::runSettingsCommand;
using dravel::testing::ScriptedBoxes;
using dravel::testing::SoundLibraryGuard;
using dravel::testing::TempProgramDir;
using dravel::ui::BoxKind;

namespace {

const QString kCancelQuestion = QStringLiteral("Abbrechen ohne Speichern?");

template <typename W = QWidget>
W* child(TAudio& d, const char* name) {
    return d.findChild<W*>(name);
}
QCheckBox* check(TAudio& d, const char* name) {
    return child<QCheckBox>(d, name);
}
void press(TAudio& d, const char* name) {
    child<QAbstractButton>(d, name)->click();
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

TAudio::Values soundOn(std::string path = {}) {
    TAudio::Values v;
    v.play = true;
    v.path = std::move(path);
    return v;
}
const QList<bool> kAllOff(6, false);

// Answers the file-open dialog in place of the user and records its calls.
class ScriptedFileChooser {
public:
    struct Call {
        QString filter;
        QString start;
    };
    explicit ScriptedFileChooser(QStringList answers) : answers_(std::move(answers)) {
        previous_ =
            TAudio::setFileChooser([this](QWidget*, const QString& filter, const QString& start) {
                calls.push_back({filter, start});
                return answers_.isEmpty() ? QString() : answers_.takeFirst();
            });
    }
    ~ScriptedFileChooser() { TAudio::setFileChooser(previous_); }
    std::vector<Call> calls;

private:
    QStringList answers_;
    TAudio::FileChooser previous_;
};

}  // namespace

class TestAudio : public QObject {
    Q_OBJECT
private slots:
    void formHasItsCaptionsWithTheirBlankRuns();
    void withoutSettingsEverythingIsOffAndAcceptWritesTheDefaults();
    void storedValuesAreLoadedAndWrittenBackInPlace();
    void soundSwitchAloneDecidesRightAfterLoading();
    void innerBoxesRuleTheirOwnControl();
    void unknownPinShowsNoneAndIsWrittenAsMinusOne();
    void waitTimeIsPulledIntoItsRange_data();
    void waitTimeIsPulledIntoItsRange();
    void fileDialogOffersWavAndRemembersItsFileWithinOneOpening();
    void previewPlaysThePathOrSaysItWasNotFound();
    void cancelAsksAndJaWritesNothingButRebuildsTheSummary();
};

void TestAudio::formHasItsCaptionsWithTheirBlankRuns() {
    TAudio d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Audio"));
    QCOMPARE(check(d, "PlaySound")->text(), QStringLiteral("Sound Abspielen"));
    QCOMPARE(check(d, "Verzoegern")->text(),
             QStringLiteral("Start um") + QString(17, ' ') + QStringLiteral("Sec verzögern"));
    QCOMPARE(check(d, "Pin_ansteuern")->text(),
             QString(33, ' ') + QStringLiteral("für die Abspielzeit des Sounds ansteuern"));
    QCOMPARE(child<QLabel>(d, "Label2")->text(),
             QStringLiteral("Hinweis: Der Port wird über das Menü \"ComPort\" gewählt"));
    QCOMPARE(child<QPushButton>(d, "andern")->text(), QStringLiteral("Ändern"));
    QCOMPARE(child<QPushButton>(d, "Zeit_uebernehmen")->text(), QStringLiteral("Übernehmen"));
    QCOMPARE(child<QPushButton>(d, "BitBtn1")->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(child(d, "verzoeger_zeit")->toolTip(),
             QStringLiteral("Wartezeit ab Programmstart, bis Pin angesteuert wird"));
    QCOMPARE(child(d, "Port_pin")->toolTip(), QStringLiteral("Auswahl des Pins für den ComPort"));
    auto* pins = child<QComboBox>(d, "Port_pin");
    QCOMPARE(pins->count(), 3);
    QCOMPARE(pins->itemText(0), QStringLiteral("Pin 3 (TXD)"));
    QCOMPARE(pins->itemText(1), QStringLiteral("Pin 4 (DTR)"));
    QCOMPARE(pins->itemText(2), QStringLiteral("Pin 7 (RTS)"));
    QVERIFY(!child(d, "Pfad")->isVisibleTo(&d));
    // Each overlaid control lies over its caption's blank run, above it.
    QCOMPARE(child(d, "verzoeger_zeit")->parentWidget(), check(d, "Verzoegern")->parentWidget());
    QCOMPARE(child(d, "Port_pin")->parentWidget(), check(d, "Pin_ansteuern")->parentWidget());
    const QWidgetList siblings =
        check(d, "Verzoegern")
            ->parentWidget()
            ->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(siblings.indexOf(child(d, "verzoeger_zeit")) >
            siblings.indexOf(check(d, "Verzoegern")));
}

void TestAudio::withoutSettingsEverythingIsOffAndAcceptWritesTheDefaults() {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(runSettingsCommand<TAudio>(w, [&](TAudio& d) {
        for (const char* name : {"PlaySound", "Verzoegern", "Pin_ansteuern"})
            QVERIFY2(!check(d, name)->isChecked(), name);
        QCOMPARE(child<QSpinBox>(d, "verzoeger_zeit")->value(), 1);
        QCOMPARE(child<QComboBox>(d, "Port_pin")->currentIndex(), -1);
        QCOMPARE(child<QLabel>(d, "Datei")->text(), QString());
        QCOMPARE(child<QLabel>(d, "Datei")->toolTip(), QString());
        QCOMPARE(soundControlsEnabled(d), kAllOff);
        QVERIFY(child(d, "Datei")->isEnabled());
        QVERIFY(child(d, "Label2")->isEnabled());
        press(d, "Zeit_uebernehmen");
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(dir.read("Prog.ini"), std::string("[Sound]\r\nPfad=\r\nPlay=0\r\nWait=0\r\n"
                                               "Wait Time=1\r\nAnsteuern=0\r\n"
                                               "Ansteuern Pin=-1\r\n"));
}

void TestAudio::storedValuesAreLoadedAndWrittenBackInPlace() {
    TempProgramDir dir;
    dir.write("Prog.ini",
              "[Sound]\r\nPlay=1\r\nAnsteuern Pin=1\r\nAnsteuern=1\r\nWait Time=45\r\n"
              "Wait=1\r\nPfad=C:\\Programme\\Kalvor\\Gong Alarm.wav\r\n");
    TMain w;
    QVERIFY(runSettingsCommand<TAudio>(w, [&](TAudio& d) {
        for (const char* name : {"PlaySound", "Verzoegern", "Pin_ansteuern"})
            QVERIFY2(check(d, name)->isChecked(), name);
        QCOMPARE(child<QSpinBox>(d, "verzoeger_zeit")->value(), 45);
        QCOMPARE(child<QComboBox>(d, "Port_pin")->currentText(), QStringLiteral("Pin 4 (DTR)"));
        QCOMPARE(child<QLabel>(d, "Datei")->text(), QStringLiteral("Gong Alarm.wav"));
        QCOMPARE(child<QLabel>(d, "Datei")->toolTip(),
                 QStringLiteral("C:\\Programme\\Kalvor\\Gong Alarm.wav"));
        QCOMPARE(soundControlsEnabled(d), kAllOn);
        child<QComboBox>(d, "Port_pin")->setCurrentIndex(2);
        press(d, "Zeit_uebernehmen");
    }));
    // Existing keys keep their places; only the values change.
    QCOMPARE(dir.read("Prog.ini"),
             std::string("[Sound]\r\nPlay=1\r\nAnsteuern Pin=2\r\nAnsteuern=1\r\nWait Time=45\r\n"
                         "Wait=1\r\nPfad=C:\\Programme\\Kalvor\\Gong Alarm.wav\r\n"));
}

void TestAudio::soundSwitchAloneDecidesRightAfterLoading() {
    TempProgramDir dir;
    dir.write("Prog.ini", "[Sound]\r\nPlay=1\r\nWait=0\r\nAnsteuern=0\r\n");
    TMain w;
    QVERIFY(runSettingsCommand<TAudio>(w, [&](TAudio& d) {
        // The inner boxes are unticked, yet their controls follow "Sound Abspielen".
        QCOMPARE(soundControlsEnabled(d), kAllOn);
        check(d, "PlaySound")->click();
        QCOMPARE(soundControlsEnabled(d), kAllOff);
        check(d, "PlaySound")->click();
        QCOMPARE(soundControlsEnabled(d), kAllOn);
        press(d, "Zeit_uebernehmen");
    }));
}

void TestAudio::innerBoxesRuleTheirOwnControl() {
    TAudio d;
    d.setValues(soundOn());
    QVERIFY(child(d, "verzoeger_zeit")->isEnabled());
    check(d, "Verzoegern")->click();
    QVERIFY(child(d, "verzoeger_zeit")->isEnabled());
    check(d, "Verzoegern")->click();
    QVERIFY(!child(d, "verzoeger_zeit")->isEnabled());
    QVERIFY(child(d, "Port_pin")->isEnabled());

    check(d, "Pin_ansteuern")->click();
    check(d, "Pin_ansteuern")->click();
    QVERIFY(!child(d, "Port_pin")->isEnabled());
    QVERIFY(!child(d, "verzoeger_zeit")->isEnabled());

    // Loading a ticked inner box with the sound off: the sound rule runs last.
    TAudio loaded;
    TAudio::Values innerOnly;
    innerOnly.wait = true;
    innerOnly.switchPin = true;
    loaded.setValues(innerOnly);
    QCOMPARE(soundControlsEnabled(loaded), kAllOff);
}

void TestAudio::unknownPinShowsNoneAndIsWrittenAsMinusOne() {
    TempProgramDir dir;
    dir.write("Prog.ini", "[Sound]\r\nAnsteuern Pin=5\r\n");
    TMain w;
    QVERIFY(runSettingsCommand<TAudio>(w, [&](TAudio& d) {
        QCOMPARE(child<QComboBox>(d, "Port_pin")->currentIndex(), -1);
        QCOMPARE(child<QComboBox>(d, "Port_pin")->currentText(), QString());
        press(d, "Zeit_uebernehmen");
    }));
    QVERIFY(dir.read("Prog.ini").find("Ansteuern Pin=-1\r\n") != std::string::npos);
}

void TestAudio::waitTimeIsPulledIntoItsRange_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("shown");
    QTest::newRow("below") << -7 << 1;
    QTest::newRow("zero") << 0 << 1;
    QTest::newRow("upper bound") << 1800 << 1800;
    QTest::newRow("above") << 1801 << 1800;
}

void TestAudio::waitTimeIsPulledIntoItsRange() {
    QFETCH(int, stored);
    QFETCH(int, shown);
    TAudio d;
    TAudio::Values v;
    v.waitTime = stored;
    d.setValues(v);
    QCOMPARE(child<QSpinBox>(d, "verzoeger_zeit")->value(), shown);
    QCOMPARE(d.values().waitTime, shown);
}

void TestAudio::fileDialogOffersWavAndRemembersItsFileWithinOneOpening() {
    TempProgramDir dir;
    dir.write("Prog.ini", "[Sound]\r\nPlay=1\r\nPfad=/alt/vorher.wav\r\n");
    ScriptedFileChooser chooser({"/sounds/deep/one.wav", QString(), "/sounds/three.wav"});
    TMain w;
    QVERIFY(runSettingsCommand<TAudio>(w, [&](TAudio& d) {
        QCOMPARE(child<QLabel>(d, "Datei")->text(), QStringLiteral("vorher.wav"));
        press(d, "andern");
        QCOMPARE(child<QLabel>(d, "Datei")->text(), QStringLiteral("one.wav"));
        QCOMPARE(child<QLabel>(d, "Datei")->toolTip(), QStringLiteral("/sounds/deep/one.wav"));
        press(d, "andern");  // cancelled: path and label stay
        QCOMPARE(child<QLabel>(d, "Datei")->text(), QStringLiteral("one.wav"));
        press(d, "Zeit_uebernehmen");
    }));
    QCOMPARE(chooser.calls.size(), 2u);
    QCOMPARE(chooser.calls[0].filter, QStringLiteral("WAV Dateien (*.wav)"));
    QCOMPARE(chooser.calls[0].start, QString());  // not preset from the stored path
    QCOMPARE(chooser.calls[1].start, QStringLiteral("/sounds/deep/one.wav"));
    QVERIFY(dir.read("Prog.ini").find("Pfad=/sounds/deep/one.wav\r\n") != std::string::npos);

    // A new opening starts afresh.
    QVERIFY(runSettingsCommand<TAudio>(w, [&](TAudio& d) {
        press(d, "andern");
        press(d, "Zeit_uebernehmen");
    }));
    QCOMPARE(chooser.calls.size(), 3u);
    QCOMPARE(chooser.calls[2].start, QString());
}

void TestAudio::previewPlaysThePathOrSaysItWasNotFound() {
    SoundLibraryGuard sound;
    sound.fake().playableFiles = {"/sounds/gong.wav"};
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Plain, QStringLiteral("Datei \"/sounds/fehlt.wav\" nicht gefunden"))
        .expect(BoxKind::Plain, QStringLiteral("Datei \"\" nicht gefunden"));
    TAudio d;
    d.setValues(soundOn("/sounds/gong.wav"));
    press(d, "Abspielen");
    press(d, "Abspielen");
    QCOMPARE(sound.fake().played.size(), 2u);  // overlapping, nothing stopped
    d.setValues(soundOn("/sounds/fehlt.wav"));
    press(d, "Abspielen");
    d.setValues(soundOn());
    press(d, "Abspielen");
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(boxes.shown().front().title, QStringLiteral("Dravel"));
}

void TestAudio::cancelAsksAndJaWritesNothingButRebuildsTheSummary() {
    TempProgramDir dir;
    const std::string before = "[Sound]\r\nPlay=0\r\n";
    dir.write("Prog.ini", before);
    ScriptedBoxes boxes;
    TMain w;
    auto* soundPanel = w.findChild<dravel::ui::PanelLabel*>("SoundPin");
    QCOMPARE(soundPanel->panelText(), QStringLiteral("SoundPin"));
    QVERIFY(runSettingsCommand<TAudio>(w, [&](TAudio& d) {
        check(d, "PlaySound")->click();
        child<QSpinBox>(d, "verzoeger_zeit")->setValue(99);
        boxes.expect(BoxKind::Confirmation, kCancelQuestion, false);
        press(d, "BitBtn1");
        QVERIFY(d.isVisible());
        QVERIFY(check(d, "PlaySound")->isChecked());
        QCOMPARE(child<QSpinBox>(d, "verzoeger_zeit")->value(), 99);
        boxes.expect(BoxKind::Confirmation, kCancelQuestion, true);
        d.close();  // the close box counts as "Abbrechen"
        QVERIFY(!d.isVisible());
    }));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(dir.read("Prog.ini"), before);
    QVERIFY(soundPanel->panelText() != QStringLiteral("SoundPin"));
}

QTEST_MAIN(TestAudio)
#include "tst_audio.moc"
