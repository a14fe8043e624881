// Draws each window of the Extras menu with a sample set-up into PNG files
// and writes the sample report as PDF, for the README.
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>

#include <QTableWidget>
#include "app/DravelApplication.h"
#include "config/extras/ConditionCheck.h"
#include "config/extras/ConditionCsv.h"
#include "config/extras/SettingsReport.h"
#include "config/settings/MixerNames.h"
#include "config/storage/IniFile.h"
#include "devices/serial/SerialPorts.h"
#include "devices/serial/SimulatedSerialDriver.h"
#include "devices/system/ProgramDirectory.h"
#include "extras/Alarmablauf.h"
#include "extras/Bedingungspruefung.h"
#include "extras/CsvImport.h"
#include "extras/ExtrasMenu.h"
#include "extras/ProbenTermine.h"
#include "extras/ReportDocument.h"
#include "extras/Verdrahtung.h"
#include "extras/Verlauf.h"
#include "support/ScopedHook.h"

using dravel::app::DravelApplication;
using namespace dravel::testing;

using namespace dravel::config;
using namespace std::chrono;

namespace {

class SampleCard final : public MixerNames {
public:
    void selectDevice(int) override {}
    std::optional<std::string> productName() const override { return "Realtek HD Audio"; }
    std::vector<std::string> inputNames() const override { return {"Master", "Line In"}; }
};

void save(QDialog& dialog, const QString& file) {
    dialog.show();
    QApplication::processEvents();
    dialog.grab().save(file);
}

void writeSampleSetUp(const std::string& dir) {
    std::ofstream(dir + "Prog.ini")
        << "[ComPort]\r\nPort=COM1\r\n"
           "[Pin0]\r\nAusgang Aktiv=1\r\nBemerkung=Sirene Fahrzeughalle\r\nStart=1\r\nDauer=60\r\n"
           "[Pin1]\r\nAusgang Aktiv=1\r\nBemerkung=Licht "
           "Hof\r\nStart=0\r\nWarten=10\r\nDauer=300\r\n"
           "[Sound]\r\nPlay=1\r\nPfad=C:\\Kalvor\\gong.wav\r\n"
           "[Funk]\r\nOnOff=1\r\nEingang=1\r\nStart=0\r\nEnde=0\r\n"
           "[Funktionsprobe]\r\nArt=2\r\nWochentag im Monat=0\r\nWochentag2=5\r\nUhrzeit=12:00\r\n"
           "Dauer=30\r\n";
    writeConditionList(dir,
                       {{"0", "0", "Vollalarm Wehr", "21345", ""},
                        {"0", "1", "Gerätehaus Süd", "1234567?", ""},
                        {"1", "0", "Licht Hof", "21345", ""},
                        {"0", "2", "RTW Wache 1", "6123456780", "C:\\Kalvor\\rtw.wav"},
                        {"0", "0", "Übung", "21345", ""}},
                       "Test");
}

// The wiring check on a simulated port whose far end holds CTS and DSR on:
// Pin 3 passed, Pin 4 switched on, the push-button step waiting.
void wiringCheck(const QString& out, const std::string& dir, sys_seconds now) {
    using dravel::extras::TVerdrahtung;
    auto ports = std::make_shared<dravel::devices::testing::SimulatedSerialDriver>();
    ports->setPorts({"COM1", "COM3"});
    ports->setModemLines(dravel::devices::kModemCts | dravel::devices::kModemDsr);
    const ScopedHook<std::shared_ptr<dravel::devices::SerialDriver>> listed(
        dravel::devices::replaceSerialDriver, ports);
    dravel::extras::ExtrasServices ticking;
    ticking.now = [&now] { return now += seconds(47); };
    const ScopedHook<dravel::extras::ExtrasServices> clock(dravel::extras::replaceExtrasServices,
                                                           ticking);
    // The sample set-up with the push-button wired, in a folder of its own.
    QTemporaryDir own;
    const std::string ownDir = own.path().toStdString() + "/";
    QFile::copy(QString::fromStdString(settingsFilePath(dir)),
                QString::fromStdString(settingsFilePath(ownDir)));
    IniFile settings(settingsFilePath(ownDir));
    settings.writeBool("ComPort", "Extern", true);
    settings.commit("Test");
    const WiringPlan plan = WiringPlan::read(settings);
    TVerdrahtung window(nullptr);
    window.setPlan(plan, "C:\\Feuerwehr\\Kalvor\\");
    window.fillPorts();
    window.preselectPort(QStringLiteral("COM1"));
    window.show();
    QApplication::processEvents();
    const auto click = [&](const char* name) { window.findChild<QPushButton*>(name)->click(); };
    click("InOrdnung0");
    click("Schalten1");
    click("TasterPruefen");
    window.findChild<QLineEdit*>("GeprueftVon")->setText(QStringLiteral("Jörg Weiß"));
    window.findChild<QLineEdit*>("Bemerkung")->setText(QStringLiteral("Relais K2 getauscht"));
    save(window, out + "/extras-verdrahtung-pruefen.png");
    click("InOrdnung1");
    click("Fehler2");
    WiringOutcome outcome = window.outcome();
    outcome.results[3] = {CheckResult::Passed, now += seconds(31)};
    dravel::extras::writeWiringReportPdf(
        buildWiringReport(plan, outcome, "C:\\Feuerwehr\\Kalvor\\", now),
        out + "/extras-pruefprotokoll.pdf");
}

// The sample's sound plays for 8.5 s.
SoundLength sampleLength(const std::string&) {
    return {8.5, ""};
}

// The course window for the alarm without a code and for the FMS code, with the push-button
// wired and the sound switching Pin 4, in a folder of its own.
void alarmCourse(const QString& out, const std::string& dir, sys_seconds now) {
    QTemporaryDir own;
    const std::string ownDir = own.path().toStdString() + "/";
    for (const char* name : {"Prog.ini", "Alarmierung.dat"})
        QFile::copy(QString::fromStdString(dir + name), QString::fromStdString(ownDir + name));
    IniFile settings(settingsFilePath(ownDir));
    settings.writeBool("ComPort", "Extern", true);
    settings.writeBool("Sound", "Ansteuern", true);
    settings.writeInteger("Sound", "Ansteuern Pin", 1);
    (void)settings.commit("Alarmablauf");
    const CourseSource source = readCourseSource(ownDir, sampleLength, now);
    dravel::extras::TAlarmablauf window;
    window.setCourses(buildAlarmCourses(source, alarmChoices(source.list)));
    window.resize(1000, 640);
    save(window, out + "/extras-alarmablauf.png");
    window.findChild<QComboBox*>("Alarmauswahl")->setCurrentIndex(4);  // the FMS code
    save(window, out + "/extras-alarmablauf-fms.png");
}

// A pin's wait changed in "ComPort", then an entry added to the list: the change history with
// either state selected.
void changeHistory(const QString& out, const std::string& dir) {
    system_clock::time_point at = sys_days(2027y / February / 26) + 17h + 4min + 12s;
    const ScopedHook<HistoryClock> clock(replaceHistoryClock, [&at] { return at; });
    const ScopedHook<std::string> user(replaceUserName, "Gruppenführer");
    IniFile settings(settingsFilePath(dir));
    settings.writeInteger("Pin1", "Warten", 30);
    (void)settings.commit("ComPort");
    at += minutes(7);
    auto list = readConditionList(dir).entries;
    list.push_back({"2", "0", "Sirene Nachbarort", "21436", ""});
    (void)writeConditionList(dir, list, "Bedingte Portansteuerung");
    TVerlauf window(nullptr, dir, {});
    window.refresh();
    window.resize(760, 520);
    auto* states = window.findChild<QTableWidget*>(QStringLiteral("Staende"));
    for (const auto& [row, name] : {std::pair{1, "prog-ini"}, std::pair{0, "bedingungsliste"}}) {
        states->selectRow(row);
        window.show();
        QApplication::processEvents();  // the queued fit of the rows
        save(window, out + "/extras-aenderungsverlauf-" + name + ".png");
    }
}

// A list of two-line findings long enough for the table to go on over a page
// break: the page break's picture.
void pageBreakReport(const QString& out, sys_seconds now) {
    SettingsReport report;
    report.createdAt = now;
    report.created = "01.03.2027 09:00";
    report.programDirectory = "C:\\Kalvor\\";
    report.panels = {
        {"Sound", std::vector<std::string>(45, "Es wird keine Sounddatei abgespielt")}};
    for (std::size_t n = 1; n <= 30; ++n)
        report.findings.push_back({n, "K" + std::to_string(n), "",
                                   "Anfang" + std::to_string(n) +
                                       " steht doppelt in der Liste und wird zweimal geschaltet"
                                       " steht doppelt in der Liste und wird zweimal geschaltet"
                                       " Ende" +
                                       std::to_string(n)});
    dravel::extras::writeSettingsReportPdf(report, out + "/extras-bericht-seitenumbruch.pdf");
}

}  // namespace

int main(int argc, char** argv) {
    DravelApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QTemporaryDir temp;
    const std::string dir = temp.path().toStdString() + "/";
    const ScopedHook<std::string> programDirectory(dravel::devices::replaceProgramDirectory, dir);
    writeSampleSetUp(dir);
    const sys_seconds now = floor<seconds>(sys_days(2027y / March / 1) + 8h);
    const PlayableCheck playable = [](const std::string&) { return false; };

    TPruefung check;
    check.setFindings(checkProgramDirectory(dir, playable));
    save(check, out + "/extras-bedingungsliste-pruefen.png");

    const IniFile settings(settingsFilePath(dir));
    TProbenTermine windows;
    windows.setPlan(scheduleSentence(settings),
                    planDeactivations(DeactivationSchedule::read(settings), now));
    save(windows, out + "/extras-naechste-funktionsproben.png");

    TCsvImport import;
    import.setImport(QStringLiteral("C:\\Kalvor\\Bedingungen.csv"),
                     importConditionCsv("Pin;Art;Code;Beschreibung;Audiodatei\r\n"
                                        "0;0;31245;Nachbarwehr;\r\n"
                                        "Pin 4 (DTR);POSAC;1234;Kreis;\r\n"
                                        "0;FMS-Kennung;6123456780;;\r\n"
                                        "0;0;41235;Einsatzleitung\r\n"),
                     5);
    save(import, out + "/extras-importieren.png");

    // Drawn before any PDF is written: the report's glyphs of the bitmap font, laid out at
    // 300 dpi, would show as gaps in windows drawn after it.
    wiringCheck(out, dir, now);
    changeHistory(out, dir);

    alarmCourse(out, dir, now);

    SampleCard card;
    dravel::extras::writeSettingsReportPdf(
        buildSettingsReport(dir, card, playable, now, sampleLength), out + "/extras-bericht.pdf");
    pageBreakReport(out, now);
    return 0;
}
