// Draws each window of the Extras menu with a sample set-up into PNG files
// and writes the sample report as PDF, for the README.
#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>

#include "app/DravelApplication.h"
#include "config/ConditionCheck.h"
#include "config/ConditionCsv.h"
#include "config/IniFile.h"
#include "config/MixerNames.h"
#include "config/SettingsReport.h"
#include "devices/system/ProgramDirectory.h"
#include "extras/Bedingungspruefung.h"
#include "extras/CsvImport.h"
#include "extras/ProbenTermine.h"
#include "extras/ReportDocument.h"

using dravel::app::DravelApplication;

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
    writeConditionList(dir, {{"0", "0", "Vollalarm Wehr", "21345", ""},
                             {"0", "1", "Gerätehaus Süd", "1234567?", ""},
                             {"1", "0", "Licht Hof", "21345", ""},
                             {"0", "2", "RTW Wache 1", "6123456780", "C:\\Kalvor\\rtw.wav"},
                             {"0", "0", "Übung", "21345", ""}});
}

}  // namespace

int main(int argc, char** argv) {
    DravelApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QTemporaryDir temp;
    const std::string dir = temp.path().toStdString() + "/";
    dravel::devices::overrideProgramDirectoryForTests(dir);
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

    SampleCard card;
    dravel::extras::writeSettingsReportPdf(buildSettingsReport(dir, card, playable, now),
                                           out + "/extras-bericht.pdf");
    return 0;
}
