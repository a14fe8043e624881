#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/Hauptfenster.h"
#include "config/IniFile.h"
#include "devices/serial/SerialDriver.h"
#include "devices/serial/SimulatedSerialDriver.h"
#include "support/TestSupport.h"
#include "ui/ErrorGuard.h"
#include "ui/PanelLabel.h"
#include "ui/SettingsDialog.h"

using dravel::testing::ScriptedBoxes;
using dravel::testing::ShellGuard;
using dravel::testing::SoundLibraryGuard;
using dravel::testing::TempProgramDir;
using dravel::ui::BoxKind;

namespace {

// A settings dialog with one key, to drive the settings command sequence.
struct OneKeyValues {
    int number = 0;
    static OneKeyValues read(const dravel::config::IniFile& ini) {
        return {ini.readInteger("Test", "Number", 7)};
    }
    void write(dravel::config::IniFile& ini) const {
        ini.writeInteger("Test", "Number", number);
        ini.writeInteger("Test", "Twice", number * 2);
    }
};

class OneKeyDialog : public dravel::ui::SettingsDialog {
public:
    using Values = OneKeyValues;
    static inline bool acceptOnShow = true;
    static inline int loaded = -1;
    explicit OneKeyDialog(QWidget* parent) : SettingsDialog(parent) {}
    void setValues(const Values& v) { loaded = v.number; }
    Values values() const { return {loaded + 1}; }
    int exec() override { return acceptOnShow ? Accepted : Rejected; }
};

QAction* action(TMain& w, const char* name) { return w.findChild<QAction*>(name); }

}  // namespace

class TestHauptfenster : public QObject {
    Q_OBJECT
private slots:
    void windowHasTheCaptionMenuAndPanels();
    void startWithoutSettingsWritesNothingAndBeendenLeavesNoFile();
    void soundPreviewBeforeAnySoundNamesThePlaceholder();
    void previewsOverlapAndUseTheHiddenPath();
    void wrongSoundLibraryVersionEndsTheProgramWithoutWindow_data();
    void wrongSoundLibraryVersionEndsTheProgramWithoutWindow();
    void failedSoundStartIsReportedAndStartGoesOn();
    void wiringDiagramsOpenFromTheProgramDirectory();
    void missingWiringDiagramIsReported();
    void settingsCommandWritesOnlyWhenAccepted();
    void failedSettingsWriteShowsTheErrorAndKeepsTheFile();
    void panelTextsKeepLfCrButShowOneBreak();
    void everyMenuCommandOpensItsWindow();
};

void TestHauptfenster::windowHasTheCaptionMenuAndPanels() {
    TempProgramDir dir;
    TMain w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Einstellungen für \"Kalvor.EXE\""));
    const QStringList menus = {"Program1", "Einst1", "FunktionsTest1", "Hilfe1", "Schaltplan1"};
    for (const QString& m : menus) QVERIFY2(w.findChild<QMenu*>(m), qPrintable(m));
    QCOMPARE(action(w, "HighVersion1")->statusTip(),
             QStringLiteral("Mit 3 Relais, LEDs,  Externer Taster"));
    QCOMPARE(action(w, "LowVersion1")->statusTip(),
             QStringLiteral("Einfacher Aufbau mit nur 1 Relais"));
    QCOMPARE(action(w, "AusgngeTesten1")->text(), QStringLiteral("Ausgänge Testen"));
    QVERIFY(action(w, "SoundAbspielen1")->isEnabled());
    const std::pair<const char*, const char*> initial[] = {
        {"SoundPin", "SoundPin"}, {"Laut", "ProgInfo"},     {"ProgInfo", "ProgInfo"},
        {"Funktionspr", "Pin1"},  {"Port_info", "Port_info"}, {"Pin0", "Pin0"},
        {"Pin1", "Pin1"},         {"Pin2", "Pin2"},         {"Datei", "Nicht geändert"}};
    for (const auto& [name, text] : initial) {
        auto* label = w.findChild<dravel::ui::PanelLabel*>(name);
        QVERIFY2(label, name);
        QCOMPARE(label->panelText(), QString::fromUtf8(text));
    }
    QVERIFY(!w.findChild<QLabel*>("pfad")->isVisibleTo(&w));
    QVERIFY(!w.findChild<QLabel*>("Port_name")->isVisibleTo(&w));
    QCOMPARE(w.findChild<QLabel*>("pfad")->text(), QStringLiteral("Pfad"));
}

void TestHauptfenster::startWithoutSettingsWritesNothingAndBeendenLeavesNoFile() {
    TempProgramDir dir;
    SoundLibraryGuard sound;
    ScriptedBoxes boxes;
    {
        TMain w;
        QVERIFY(w.start());
        w.show();
        action(w, "N1")->trigger();
        QVERIFY(!w.isVisible());
    }
    QVERIFY(!dir.exists("Prog.ini"));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestHauptfenster::soundPreviewBeforeAnySoundNamesThePlaceholder() {
    TempProgramDir dir;
    SoundLibraryGuard sound;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Plain, QStringLiteral("Datei \"Pfad\" nicht gefunden"));
    TMain w;
    QVERIFY(w.start());
    action(w, "SoundAbspielen1")->trigger();
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(boxes.shown().front().title, QStringLiteral("Dravel"));
    QCOMPARE(sound.fake().streamsCreated, std::vector<std::string>{"Pfad"});
}

void TestHauptfenster::previewsOverlapAndUseTheHiddenPath() {
    TempProgramDir dir;
    SoundLibraryGuard sound;
    sound.fake().playableFiles = {"/sounds/alarm.wav"};
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(w.start());
    w.findChild<QLabel*>("pfad")->setText(QStringLiteral("/sounds/alarm.wav"));
    action(w, "SoundAbspielen1")->trigger();
    w.findChild<QToolButton*>("Abspielen")->click();
    QCOMPARE(sound.fake().played.size(), 2u);  // two streams, none stopped
    QVERIFY(sound.fake().played[0] != sound.fake().played[1]);
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestHauptfenster::wrongSoundLibraryVersionEndsTheProgramWithoutWindow_data() {
    QTest::addColumn<uint32_t>("version");
    QTest::newRow("2.4") << uint32_t(0x02040000);
    QTest::newRow("2.2") << uint32_t(0x02020011);
    QTest::newRow("0") << uint32_t(0);
}

void TestHauptfenster::wrongSoundLibraryVersionEndsTheProgramWithoutWindow() {
    QFETCH(uint32_t, version);
    TempProgramDir dir;
    SoundLibraryGuard sound;
    sound.fake().version = version;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::System, QStringLiteral("An incorrect version of BASS.DLL was loaded"));
    QCOMPARE(runDravel(), 0);
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(boxes.shown().front().title, QStringLiteral("Fehler"));
    for (QWidget* top : QApplication::topLevelWidgets()) QVERIFY(!top->isVisible());
}

void TestHauptfenster::failedSoundStartIsReportedAndStartGoesOn() {
    TempProgramDir dir;
    SoundLibraryGuard sound;
    sound.fake().initSucceeds = false;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Plain, QStringLiteral("Fehler beim Starten der \"bass.dcu\""));
    TMain w;
    QVERIFY(w.start());
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestHauptfenster::wiringDiagramsOpenFromTheProgramDirectory() {
    TempProgramDir dir;
    ShellGuard shell;
    ScriptedBoxes boxes;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath());
    TMain w;
    action(w, "LowVersion1")->trigger();
    action(w, "HighVersion1")->trigger();
    QDir::setCurrent(previous);
    const std::vector<std::string> expected = {dir.file("schaltplan (low).pdf"),
                                               dir.file("schaltplan.pdf")};
    QCOMPARE(shell.shell().opened, expected);
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestHauptfenster::missingWiringDiagramIsReported() {
    TempProgramDir dir;
    ShellGuard shell;
    shell.shell().succeeds = false;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Plain, QStringLiteral("Der Schaltplan konnte nicht gefunden werden"))
        .expect(BoxKind::Plain, QStringLiteral("Der Schaltplan konnte nicht gefunden werden"));
    TMain w;
    action(w, "LowVersion1")->trigger();
    action(w, "HighVersion1")->trigger();
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestHauptfenster::settingsCommandWritesOnlyWhenAccepted() {
    TempProgramDir dir;
    TMain w;
    OneKeyDialog::acceptOnShow = false;
    w.runSettingsCommand<OneKeyDialog>();
    QCOMPARE(OneKeyDialog::loaded, 7);
    QVERIFY(!dir.exists("Prog.ini"));

    OneKeyDialog::acceptOnShow = true;
    w.runSettingsCommand<OneKeyDialog>();
    QCOMPARE(dir.read("Prog.ini"), std::string("[Test]\r\nNumber=8\r\nTwice=16\r\n"));
    w.runSettingsCommand<OneKeyDialog>();
    QCOMPARE(OneKeyDialog::loaded, 8);
}

void TestHauptfenster::failedSettingsWriteShowsTheErrorAndKeepsTheFile() {
    TempProgramDir dir;
    dir.write("Prog.ini", "[Test]\r\nNumber=1\r\n");
    QFile::setPermissions(QString::fromStdString(dir.file("Prog.ini")), QFile::ReadOwner);
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Error, QString::fromStdString("In " + dir.file("Prog.ini") +
                                                        " kann nicht geschrieben werden."));
    TMain w;
    OneKeyDialog::acceptOnShow = true;
    dravel::ui::guarded(&w, [&] { w.runSettingsCommand<OneKeyDialog>(); });
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(dir.read("Prog.ini"), std::string("[Test]\r\nNumber=1\r\n"));
}

void TestHauptfenster::panelTextsKeepLfCrButShowOneBreak() {
    dravel::ui::PanelLabel label;
    label.setPanelText(QStringLiteral("eins\n\rzwei\n\r\n\rdrei"));
    QCOMPARE(label.panelText(), QStringLiteral("eins\n\rzwei\n\r\n\rdrei"));
    QCOMPARE(label.text(), QStringLiteral("eins\nzwei\n\ndrei"));
}

void TestHauptfenster::everyMenuCommandOpensItsWindow() {
    TempProgramDir dir;
    SoundLibraryGuard sound;
    auto ports = std::make_shared<dravel::devices::testing::SimulatedSerialDriver>();
    ports->setPorts({"COM1", "COM2"});
    const auto previousPorts = dravel::devices::replaceSerialDriver(ports);
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(w.start());
    const std::pair<const char*, const char*> commands[] = {
        {"ComPort1", "ComPort"},
        {"BedingtePortansteuerung1", "Bedingungen"},
        {"AudioDatei1", "Audio"},
        {"Einstellungen1", "Funkwiedergabe auf Lautsprecherausgang"},
        {"FunktionsprobeZeiten1", "Deaktivierungsoptionen"},
        {"ProgrammEinstellungen1", "Einstellungen"},
        {"AlarmSimulieren1", "FunktionsTest"},
        {"AusgngeTesten1", "Ausgangs Test"},
        {"ber1", "Version Information"}};
    for (const auto& [name, title] : commands) {
        QString shown;
        QTimer::singleShot(0, &w, [&shown] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            shown = dialog->windowTitle();
            dialog->QDialog::done(QDialog::Rejected);  // closes without the cancel question
        });
        QVERIFY2(action(w, name)->isEnabled(), name);
        action(w, name)->trigger();
        QCOMPARE(shown, QString::fromUtf8(title));
    }
    dravel::devices::replaceSerialDriver(previousPorts);
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QVERIFY(!dir.exists("Prog.ini"));
}

QTEST_MAIN(TestHauptfenster)
#include "tst_hauptfenster.moc"
