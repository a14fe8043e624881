#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/Hauptfenster.h"
#include "config/storage/IniFile.h"
#include "support/SimulatedPorts.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "ui/ErrorGuard.h"
#include "ui/PanelLabel.h"
#include "ui/SettingsDialog.h"

using dravel::app::runDravel;
using dravel::app::TMain;

using namespace dravel::testing;
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
    bool operator==(const OneKeyValues&) const = default;
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

QAction* action(TMain& w, const char* name) {
    return child<QAction>(w, name);
}

}  // namespace

class TestHauptfenster : public QObject {
    Q_OBJECT
private slots:
    void windowHasTheCaptionMenuAndPanels();
    void startWithoutSettingsWritesNothingAndBeendenLeavesNoFile();
    void soundPreviewPlaysTheHiddenPath();
    void wrongSoundLibraryVersionEndsTheProgramWithoutWindow_data();
    void wrongSoundLibraryVersionEndsTheProgramWithoutWindow();
    void failedSoundStartIsReportedAndStartGoesOn();
    void failedSoundStartNoticeStandsInTheMiddleOfTheScreen();
    void wiringDiagramsOpenFromTheProgramDirectory();
    void wiringDiagramFailureIsShownWhenTheOpenerEnds();
    void settingsCommandWritesOnlyWhenAccepted();
    void failedSettingsWriteShowsTheErrorAndKeepsTheFile();
    void panelTextsKeepLfCrButShowOneBreak();
    void everyMenuCommandOpensItsWindow();
    void unreadableSettingsStopStartAndCommandsAndStayAsTheyAre();
};

void TestHauptfenster::windowHasTheCaptionMenuAndPanels() {
    TempProgramDir dir;
    TMain w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Einstellungen für \"Kalvor.EXE\""));
    for (const char* menu : {"Program1", "Einst1", "FunktionsTest1", "Hilfe1", "Schaltplan1"})
        child<QMenu>(w, menu);
    QCOMPARE(child<dravel::ui::PanelLabel>(w, "Datei")->panelText(),
             QStringLiteral("Nicht geändert"));
    QVERIFY(!child(w, "pfad")->isVisibleTo(&w));
    QVERIFY(!child(w, "Port_name")->isVisibleTo(&w));
    QCOMPARE(child<QLabel>(w, "pfad")->text(), QStringLiteral("Pfad"));
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
    VERIFY_BOXES(boxes);
}

// Before any sound the hidden path holds its placeholder; previews of the
// path overlap, each on a stream of its own.
void TestHauptfenster::soundPreviewPlaysTheHiddenPath() {
    TempProgramDir dir;
    SoundLibraryGuard sound;
    sound.fake().playableFiles = {"/sounds/alarm.wav"};
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Plain, QStringLiteral("Datei \"Pfad\" nicht gefunden"));
    TMain w;
    QVERIFY(w.start());
    action(w, "SoundAbspielen1")->trigger();
    VERIFY_BOXES(boxes);
    QCOMPARE(sound.fake().streamsCreated, std::vector<std::string>{"Pfad"});
    child<QLabel>(w, "pfad")->setText(QStringLiteral("/sounds/alarm.wav"));
    action(w, "SoundAbspielen1")->trigger();
    child<QToolButton>(w, "Abspielen")->click();
    QCOMPARE(sound.fake().played.size(), 2u);
    QVERIFY(sound.fake().played[0] != sound.fake().played[1]);
    VERIFY_BOXES(boxes);
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
    VERIFY_BOXES(boxes);
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
    VERIFY_BOXES(boxes);
}

// The notice comes before the main window shows: in the middle of the
// screen, not at the corner where the unshown window still stands.
void TestHauptfenster::failedSoundStartNoticeStandsInTheMiddleOfTheScreen() {
    TempProgramDir dir;
    SoundLibraryGuard sound;
    sound.fake().initSucceeds = false;
    const RealBoxes real;
    BoxSeen seen;
    QPoint centre;
    answerNextBox(seen, [&](QMessageBox* box) {
        centre = box->frameGeometry().center();
        box->buttons().first()->click();
    });
    TMain w;
    QVERIFY(w.start());
    QCOMPARE(seen.text, QStringLiteral("Fehler beim Starten der \"bass.dcu\""));
    QCOMPARE(centre, w.screen()->availableGeometry().center());
}

// The diagrams open from the program directory, whatever the working
// directory; one that cannot be opened is reported.
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
    QCOMPARE(shell.shell().opened, (std::vector<std::string>{dir.file("schaltplan (low).pdf"),
                                                             dir.file("schaltplan.pdf")}));
    VERIFY_BOXES(boxes);

    shell.shell().succeeds = false;
    const QString missing = QStringLiteral("Der Schaltplan konnte nicht gefunden werden");
    boxes.expect(BoxKind::Plain, missing).expect(BoxKind::Plain, missing);
    action(w, "LowVersion1")->trigger();
    action(w, "HighVersion1")->trigger();
    VERIFY_BOXES(boxes);
}

// The window goes on while the desktop's opener works; a failure it reports
// later is shown then.
void TestHauptfenster::wiringDiagramFailureIsShownWhenTheOpenerEnds() {
    TempProgramDir dir;
    ShellGuard shell;
    shell.shell().answersLater = true;
    ScriptedBoxes boxes;
    TMain w;
    action(w, "HighVersion1")->trigger();
    QCOMPARE(shell.shell().opened, std::vector<std::string>{dir.file("schaltplan.pdf")});
    // Once at the opening and twice by the window's later looks: no box while the opener works.
    QTRY_VERIFY(shell.shell().timesAsked() >= 3);
    VERIFY_BOXES(boxes);

    boxes.expect(BoxKind::Plain, QStringLiteral("Der Schaltplan konnte nicht gefunden werden"));
    shell.shell().finishOpening(false);
    QTRY_VERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
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
    VERIFY_BOXES(boxes);
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
    SimulatedPorts<> ports({"COM1", "COM2"});
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
    VERIFY_BOXES(boxes);
    QVERIFY(!dir.exists("Prog.ini"));
}

// A directory named Prog.ini: start-up and every settings command say so,
// show no dialog, and leave it alone.
void TestHauptfenster::unreadableSettingsStopStartAndCommandsAndStayAsTheyAre() {
    TempProgramDir dir;
    SoundLibraryGuard sound;
    QVERIFY(QDir().mkdir(QString::fromStdString(dir.file("Prog.ini"))));
    const QString message =
        QString::fromStdString("Aus " + dir.file("Prog.ini") + " kann nicht gelesen werden.");
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Error, message).expect(BoxKind::Error, message);
    TMain w;
    QVERIFY(w.start());
    OneKeyDialog::loaded = -1;
    OneKeyDialog::acceptOnShow = true;
    dravel::ui::guarded(&w, [&] { w.runSettingsCommand<OneKeyDialog>(); });
    VERIFY_BOXES(boxes);
    QCOMPARE(OneKeyDialog::loaded, -1);
    QVERIFY(QFileInfo(QString::fromStdString(dir.file("Prog.ini"))).isDir());
}

QTEST_MAIN(TestHauptfenster)
#include "tst_hauptfenster.moc"
