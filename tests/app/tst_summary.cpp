#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <tuple>
#include <vector>

#include "app/Hauptfenster.h"
#include "config/storage/IniFile.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "ui/ErrorGuard.h"
#include "ui/PanelLabel.h"
#include "ui/SettingsDialog.h"

using dravel::app::TMain;

using namespace dravel::testing;
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
    bool operator==(const KeyValues&) const = default;
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

// Each sentence lands on its own panel; the hidden labels carry the path
// and the port for later commands.
void TestSummary::startFillsEveryPanelFromTheFile() {
    TempProgramDir dir;
    dir.write("Prog.ini",
              "[ComPort]\r\nPort=COM2\r\n[Pin1]\r\nAusgang Aktiv=1\r\nBemerkung=Sirene\r\n"
              "[Sound]\r\nPlay=1\r\nPfad=/alarm/gong.wav\r\nAnsteuern=1\r\nAnsteuern Pin=1\r\n"
              "[Prog]\r\nTray=1\r\n[Funk]\r\nOnOff=1\r\n[Funktionsprobe]\r\nArt=4\r\n");
    SoundLibraryGuard sound;
    ScriptedBoxes boxes;
    TMain w;
    QVERIFY(w.start());
    VERIFY_BOXES(boxes);
    QVERIFY(playButtonShown(w));
    QCOMPARE(hidden(w, "pfad"), QStringLiteral("/alarm/gong.wav"));
    QCOMPARE(hidden(w, "Port_name"), QStringLiteral("COM2"));
    const std::pair<const char*, const char*> starts[] = {
        {"Datei", "Die Datei \"/alarm/gong.wav\" wird sofort"},
        {"SoundPin", "Für die Laufzeit des Sounds wird über den \n\rCOM2 der Pin 4 (DTR)"},
        {"Port_info", "Der Aktuelle ComPort ist COM2"},
        {"Pin0", "Die Ansteuerung für diesen Pin ist deaktiviert"},
        {"Pin1", "Beschreibung / Info des Pins: Sirene"},
        {"Pin2", "Die Ansteuerung für diesen Pin ist deaktiviert"},
        {"ProgInfo", "Das Programm wird nach dem Start in die SysTray verschoben"},
        {"Laut", "Für die Soundkarte"},
        {"Funktionspr", "Das Programm wird täglich,\n\rin der Zeit von 00:00 - 00:00 Uhr"}};
    for (const auto& [name, start] : starts)
        QVERIFY2(panel(w, name).startsWith(QString::fromUtf8(start)), qPrintable(panel(w, name)));
    QVERIFY(panel(w, "Pin1").endsWith(QStringLiteral("Ansteuerungszeit")));
    QVERIFY(panel(w, "SoundPin").endsWith(QStringLiteral("angesteuert")));
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
    QVERIFY(panel(w, "Pin2").contains(QStringLiteral("in Abhängigkeit von FMS")));
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
    VERIFY_BOXES(boxes);
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
    QVERIFY(before.contains(QStringLiteral("06:00 - 06:30")));

    boxes.expect(BoxKind::Error, QStringLiteral("'__:__' ist keine gültige Uhrzeit."));
    runCommand(w, {{"Funktionsprobe", "Uhrzeit", "__:__"},
                   {"Pin0", "Ausgang Aktiv", "1"},
                   {"Funk", "OnOff", "1"}});
    VERIFY_BOXES(boxes);
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
    VERIFY_BOXES(boxes);
    QCOMPARE(panel(w, "Port_info"), QStringLiteral("Der Aktuelle ComPort ist COM3"));
    QCOMPARE(panel(w, "Funktionspr"), QStringLiteral("Pin1"));
}

QTEST_MAIN(TestSummary)
#include "tst_summary.moc"
