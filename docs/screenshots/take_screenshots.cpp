// Photographs the ten windows of the program, filled from a sample
// Prog.ini and Alarmierung.dat, into PNG files of the given directory; a
// Dravel executable given as well lets the version window show its version.
// Message boxes are answered without showing, so nothing waits for a user.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <fstream>
#include <functional>

#include "app/DravelApplication.h"
#include "app/Hauptfenster.h"
#include "config/conditions/ConditionList.h"
#include "devices/system/ProgramDirectory.h"
#include "dialogs/Audio_form.h"
#include "dialogs/Bedingung.h"
#include "dialogs/ComPort.h"
#include "dialogs/Funktionsprobe.h"
#include "dialogs/ProgEinstellung.h"
#include "dialogs/Soundkarte.h"
#include "tools/FunktTest.h"
#include "tools/Infofenster.h"
#include "tools/PinTest.h"
#include "ui/MessageBoxes.h"
#include "ui/RadioGroup.h"

using dravel::app::DravelApplication;
using dravel::app::TMain;
using namespace dravel::dialogs;
using namespace dravel::tools;

namespace {

const char* const kSampleSettings =
    "[ComPort]\r\nPort=COM1\r\nExtern=1\r\n"
    "[Pin0]\r\nAusgang Aktiv=1\r\nBemerkung=Alarmlampe Fahrzeughalle\r\nWarten=10\r\n"
    "Dauer=60\r\nStart=0\r\n"
    "[Pin1]\r\nAusgang Aktiv=1\r\nBemerkung=Tor\r\nWarten=0\r\nDauer=120\r\nStart=1\r\n"
    "[Sound]\r\nPlay=1\r\nPfad=C:\\Kalvor\\gong.wav\r\nWait=1\r\nWait Time=1200\r\n"
    "Ansteuern=1\r\nAnsteuern Pin=2\r\n"
    "[Funk]\r\nOnOff=1\r\nStart=1\r\nStart Zeit=30\r\nEnde=2\r\nPin=1\r\n"
    "EndLautst\xE4rke=2\r\nStartVolume=52428\r\nEndVolume=13107\r\n"
    "[Funktionsprobe]\r\nArt=2\r\nWochentag2=5\r\nWochentag im Monat=0\r\n"
    "Uhrzeit=11:00\r\nDauer=30\r\n"
    "[Prog]\r\nTray=1\r\nEnde=1\r\nMehrfach=0\r\n";

template <typename W>
W* child(QWidget& window, const char* name) {
    return window.findChild<W*>(QString::fromLatin1(name));
}

void writeSampleFiles(const std::string& dir) {
    std::ofstream(dir + "Prog.ini", std::ios::binary) << kSampleSettings;
    dravel::config::writeConditionList(
        dir,
        {{"0", "0", "Vollalarm", "21436", ""},
         {"1", "2", "RTW Wache Süd", "6123456781", "C:\\Kalvor\\rtw.wav"},
         {"2", "1", "Führungsdienst", "01234561", ""}},
        "Bedingte Portansteuerung");
}

class Photographer {
public:
    explicit Photographer(QString directory) : directory_(std::move(directory)) {}

    // Shows the window, lets it settle and saves what it shows: with
    // DRAVEL_SCREENSHOT_FRAMES set, as the screen shows it, title bar and
    // icon included (on Windows, where the system draws the frame).
    void take(QWidget& window, const QString& name) {
        window.show();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        const QString path = directory_ + '/' + name + ".png";
        if (!picture(window).save(path))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        window.hide();
    }

private:
    static QPixmap picture(QWidget& window) {
        if (qEnvironmentVariableIsEmpty("DRAVEL_SCREENSHOT_FRAMES")) return window.grab();
        QThread::msleep(300);  // the system draws the frame after the window shows
        QApplication::processEvents();
        const QRect frame = window.frameGeometry();
        return window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    }

    QString directory_;
};

template <typename Dialog>
void takeSettingsDialog(Photographer& camera, const std::string& settings, const QString& name,
                        const std::function<void(Dialog&)>& prepare = {}) {
    Dialog dialog;
    dialog.setValues(Dialog::Values::read(dravel::config::IniFile(settings)));
    if (prepare) prepare(dialog);
    camera.take(dialog, name);
}

}  // namespace

int main(int argc, char** argv) {
    DravelApplication app(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <directory for the PNG files> [Dravel executable]\n",
                     argv[0]);
        return 2;
    }
    QDir().mkpath(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir programDir;
    const std::string dir = programDir.path().toStdString() + "/";
    dravel::devices::replaceProgramDirectory(dir);
    writeSampleFiles(dir);
    // The version window shows the version of the Dravel executable beside it.
    if (argc == 3) {
        const QString dravel = QString::fromLocal8Bit(argv[2]);
        QFile::copy(dravel, programDir.filePath(QFileInfo(dravel).fileName()));
    }
    const std::string settings = dir + "Prog.ini";
    dravel::ui::replaceBoxResponder([](const dravel::ui::BoxRequest& box) {
        std::fprintf(stderr, "box: %s\n", qPrintable(box.text));
        return dravel::ui::Answer::Ja;
    });

    Photographer camera(QString::fromLocal8Bit(argv[1]));
    TMain main;
    main.start();
    camera.take(main, QStringLiteral("main-window"));

    takeSettingsDialog<TPort>(camera, settings, QStringLiteral("comport"), [](TPort& d) {
        auto* ports = child<QComboBox>(d, "Porties");
        ports->addItems({QStringLiteral("COM1"), QStringLiteral("COM3")});
        ports->setCurrentIndex(0);
        auto* pin = child<QComboBox>(d, "Port_pin");
        pin->setCurrentIndex(0);
        emit pin->activated(0);
    });
    {
        TBedingungen conditions;
        child<dravel::ui::RadioGroup>(conditions, "Art")->setItemIndex(2);
        camera.take(conditions, QStringLiteral("bedingungen"));
    }
    takeSettingsDialog<TAudio>(camera, settings, QStringLiteral("audio"));
    takeSettingsDialog<TSound>(camera, settings, QStringLiteral("funkwiedergabe"));
    takeSettingsDialog<TFunktions>(camera, settings, QStringLiteral("funktionsprobe"));
    takeSettingsDialog<TProg>(camera, settings, QStringLiteral("programm"));
    {
        TTest test;
        test.preselectPort(QStringLiteral("COM1"));
        camera.take(test, QStringLiteral("ausgangstest"));
        test.closePort();
    }
    {
        TFunktionsTest simulation;
        child<dravel::ui::RadioGroup>(simulation, "Art")->setItemIndex(2);
        camera.take(simulation, QStringLiteral("alarmsimulation"));
    }
    {
        Tinfo info;
        camera.take(info, QStringLiteral("info"));
    }
    dravel::devices::replaceProgramDirectory({});
    return 0;
}
