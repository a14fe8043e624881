#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <tuple>
#include <vector>

#include "app/Hauptfenster.h"
#include "config/IniFile.h"
#include "support/TestSupport.h"
#include "ui/ErrorGuard.h"
#include "ui/PanelLabel.h"
#include "ui/SettingsDialog.h"

using dravel::testing::ScriptedBoxes;
using dravel::testing::SoundLibraryGuard;
using dravel::testing::TempProgramDir;
using dravel::ui::BoxKind;

namespace {

using Key = std::tuple<std::string, std::string, std::string>;

// A settings dialog that writes the keys a test gives it when accepted.
struct KeyValues {
    static KeyValues read(const dravel::config::IniFile&) { return {}; }
    void write(dravel::config::IniFile& ini) const {
        for (const auto& [section, key, value] : keys) ini.writeString(section, key, value);
    }
    std::vector<Key> keys;
};

class WritingDialog : public dravel::ui::SettingsDialog {
public:
    using Values = KeyValues;
    static inline std::vector<Key> keys;
    static inline bool accept = true;
    explicit WritingDialog(QWidget* parent) : SettingsDialog(parent) {}
    void setValues(const Values&) {}
    Values values() const { return {keys}; }
    int exec() override { return accept ? Accepted : Rejected; }
};

void runCommand(TMain& w, std::vector<Key> keys, bool accept = true) {
    WritingDialog::keys = std::move(keys);
    WritingDialog::accept = accept;
    dravel::ui::guarded(&w, [&] { w.runSettingsCommand<WritingDialog>(); });
}

QString panel(TMain& w, const char* name) {
    return w.findChild<dravel::ui::PanelLabel*>(name)->panelText();
}
QString hidden(TMain& w, const char* name) {
    return w.findChild<QLabel*>(name)->text();
}
bool playButtonShown(TMain& w) {
    return !w.findChild<QToolButton*>("Abspielen")->isHidden();
}

}  // namespace

class TestSummary : public QObject {
    Q_OBJECT
private slots:
    void startFillsEveryPanelFromTheFile();
    void settingsCommandsRebuildThePanelsAcceptedOrNot();
    void switchingTheSoundOffKeepsThePathAndHidesTheButton();
    void invalidTimeShowsTheErrorAndKeepsTheSchedulePanel();
    void invalidTimeAtStartIsReportedAndStartGoesOn();
};

void TestSummary::startFillsEveryPanelFromTheFile() {
    TempProgramDir dir;
    dir.write("Prog.ini",
              "[ComPort]\r\nPort=COM2\r\n[Pin1]\r\nAusgang Aktiv=1\r\nBemerkung=Sirene\r\n"
              "Warten=10\r\nDauer=60\r\n[Sound]\r\nPlay=1\r\nPfad=/alarm/gong.wav\r\n"
              "Ansteuern=1\r\nAnsteuern Pin=1\r\n[Prog]\r\nTray=1\r\n"
              "[Funktionsprobe]\r\nArt=1\r\nWochentag1=0\r\nUhrzeit=22:00\r\nDauer=90\r\n");
    SoundLibraryGuard sound;
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(w.start());
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QVERIFY(playButtonShown(w));
    QCOMPARE(hidden(w, "pfad"), QStringLiteral("/alarm/gong.wav"));
    QCOMPARE(hidden(w, "Port_name"), QStringLiteral("COM2"));
    QCOMPARE(
        panel(w, "Datei"),
        QStringLiteral("Die Datei \"/alarm/gong.wav\" wird sofort nach Programmstart abgespielt"));
    QCOMPARE(panel(w, "SoundPin"),
             QStringLiteral("Für die Laufzeit des Sounds wird über den \n\rCOM2 der Pin 4 (DTR) "
                            "angesteuert"));
    QCOMPARE(panel(w, "Port_info"), QStringLiteral("Der Aktuelle ComPort ist COM2"));
    QCOMPARE(panel(w, "Pin0"), QStringLiteral("Die Ansteuerung für diesen Pin ist deaktiviert"));
    QCOMPARE(
        panel(w, "Pin1"),
        QStringLiteral("Beschreibung / Info des Pins: Sirene\n\r\n\rDie Ansteuerung erfolgt nach "
                       "10 Sekunden\n\rfür eine Zeit von 60 Sekunden \n\rDie Spielzeit des "
                       "Sounds hat ebenfalls Einfluss auf die Ansteuerungszeit"));
    QCOMPARE(panel(w, "Pin2"), QStringLiteral("Die Ansteuerung für diesen Pin ist deaktiviert"));
    QVERIFY(panel(w, "ProgInfo")
                .startsWith(QStringLiteral(
                    "Das Programm wird nach dem Start in die SysTray verschoben\n\r\n\r")));
    QCOMPARE(panel(w, "Laut"),
             QStringLiteral("Die Lautstärkenregelung für den Aufnahmeeingang wurde deaktiviert"));
    QCOMPARE(
        panel(w, "Funktionspr"),
        QStringLiteral(
            "Das Programm wird jeden Montag,\n\rin der Zeit von 22:00 - 23:30 Uhr deaktiviert"));
    QVERIFY(!dir.read("Prog.ini").empty());
}

void TestSummary::settingsCommandsRebuildThePanelsAcceptedOrNot() {
    TempProgramDir dir;
    SoundLibraryGuard sound;
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(w.start());
    QCOMPARE(panel(w, "Pin2"), QStringLiteral("Die Ansteuerung für diesen Pin ist deaktiviert"));
    QCOMPARE(hidden(w, "Port_name"), QStringLiteral("COM1"));

    runCommand(w, {{"Pin2", "Ausgang Aktiv", "1"},
                   {"Pin2", "Start", "1"},
                   {"ComPort", "Port", "COM7"},
                   {"Funktionsprobe", "Art", "4"},
                   {"Funktionsprobe", "Uhrzeit", "19:30"},
                   {"Funktionsprobe", "Dauer", "45"}});
    QCOMPARE(
        panel(w, "Pin2"),
        QStringLiteral("Beschreibung / Info des Pins: \n\r\n\rDie Ansteuerung erfolgt in "
                       "Abhängigkeit von FMS, ZVEI oder POSAC Kennungen \n\rfür eine Zeit von 0 "
                       "Sekunden "));
    QCOMPARE(hidden(w, "Port_name"), QStringLiteral("COM7"));
    QCOMPARE(panel(w, "Port_info"), QStringLiteral("Der Aktuelle ComPort ist COM7"));
    QCOMPARE(panel(w, "Funktionspr"),
             QStringLiteral(
                 "Das Programm wird täglich,\n\rin der Zeit von 19:30 - 20:15 Uhr deaktiviert"));

    // A cancelled command writes nothing but still shows what the file holds now.
    dir.write("Prog.ini", "[Prog]\r\nMehrfach=1\r\n");
    runCommand(w, {{"Prog", "Ende", "1"}}, false);
    QCOMPARE(dir.read("Prog.ini"), std::string("[Prog]\r\nMehrfach=1\r\n"));
    QVERIFY(panel(w, "ProgInfo")
                .contains(QStringLiteral("Mehrfachstart für weitere ComPorts ist aktiv")));
    QCOMPARE(panel(w, "Pin2"), QStringLiteral("Die Ansteuerung für diesen Pin ist deaktiviert"));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestSummary::switchingTheSoundOffKeepsThePathAndHidesTheButton() {
    TempProgramDir dir;
    dir.write("Prog.ini", "[Sound]\r\nPlay=1\r\nPfad=/a/erst.wav\r\n");
    SoundLibraryGuard sound;
    TMain w;
    QVERIFY(w.start());
    QVERIFY(playButtonShown(w));
    runCommand(w, {{"Sound", "Play", "0"}, {"Sound", "Pfad", "/a/zweit.wav"}});
    QVERIFY(!playButtonShown(w));
    QCOMPARE(hidden(w, "pfad"), QStringLiteral("/a/erst.wav"));
    QCOMPARE(panel(w, "Datei"), QStringLiteral("Es wird keine Sounddatei abgespielt"));
    runCommand(w, {{"Sound", "Play", "1"}});
    QVERIFY(playButtonShown(w));
    QCOMPARE(hidden(w, "pfad"), QStringLiteral("/a/zweit.wav"));
}

void TestSummary::invalidTimeShowsTheErrorAndKeepsTheSchedulePanel() {
    TempProgramDir dir;
    dir.write("Prog.ini", "[Funktionsprobe]\r\nArt=4\r\nUhrzeit=06:00\r\nDauer=30\r\n");
    SoundLibraryGuard sound;
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(w.start());
    const QString before = panel(w, "Funktionspr");
    QCOMPARE(before,
             QStringLiteral(
                 "Das Programm wird täglich,\n\rin der Zeit von 06:00 - 06:30 Uhr deaktiviert"));

    boxes.expect(BoxKind::Error, QStringLiteral("'__:__' ist keine gültige Uhrzeit."));
    runCommand(w, {{"Funktionsprobe", "Uhrzeit", "__:__"},
                   {"Pin0", "Ausgang Aktiv", "1"},
                   {"Funk", "OnOff", "1"}});
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(panel(w, "Funktionspr"), before);
    QVERIFY(panel(w, "Pin0").startsWith(QStringLiteral("Beschreibung / Info des Pins: ")));
    QVERIFY(panel(w, "Laut").startsWith(QStringLiteral("Für die Soundkarte \"")));

    runCommand(w, {{"Funktionsprobe", "Uhrzeit", "23:45"}});
    QCOMPARE(panel(w, "Funktionspr"),
             QStringLiteral(
                 "Das Programm wird täglich,\n\rin der Zeit von 23:45 - 00:15 Uhr deaktiviert"));
}

void TestSummary::invalidTimeAtStartIsReportedAndStartGoesOn() {
    TempProgramDir dir;
    dir.write("Prog.ini", "[ComPort]\r\nPort=COM3\r\n[Funktionsprobe]\r\nArt=1\r\nUhrzeit=\r\n");
    SoundLibraryGuard sound;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Error, QStringLiteral("'' ist keine gültige Uhrzeit."));
    TMain w;
    QVERIFY(w.start());
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(panel(w, "Port_info"), QStringLiteral("Der Aktuelle ComPort ist COM3"));
    QCOMPARE(panel(w, "Funktionspr"), QStringLiteral("Pin1"));
}

QTEST_MAIN(TestSummary)
#include "tst_summary.moc"
