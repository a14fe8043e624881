#include "app/Hauptfenster.h"

#include <QApplication>
#include <QStyle>

#include "app/ui_Hauptfenster.h"
#include "devices/mixer/AudioMixer.h"
#include "devices/sound/SoundLibrary.h"
#include "devices/system/ProgramDirectory.h"
#include "dialogs/Audio_form.h"
#include "dialogs/Bedingung.h"
#include "dialogs/ComPort.h"
#include "dialogs/Funktionsprobe.h"
#include "dialogs/ProgEinstellung.h"
#include "dialogs/Soundkarte.h"
#include "extras/ExtrasMenu.h"
#include "tools/FunktTest.h"
#include "tools/Infofenster.h"
#include "tools/PinTest.h"
#include "ui/ErrorGuard.h"
#include "ui/MessageBoxes.h"
#include "ui/OpenDocument.h"
#include "ui/SoundPreview.h"
#include "ui/Text.h"
#include "ui/WindowGeometry.h"

using namespace dravel::dialogs;
using namespace dravel::tools;

using dravel::ui::connectGuarded;
using dravel::ui::MessageBoxes;

namespace dravel::app {

namespace {
// Outer size of the window as the alarm program's users know it.
constexpr int kOuterWidth = 688;
constexpr int kOuterHeight = 622;
}  // namespace

TMain::TMain(QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::Main>()),
      Mixer(std::make_unique<dravel::devices::TAudioMixer>()) {
    ui->setupUi(this);
    Mixer->setMixerId(0);
    resize(kOuterWidth - dravel::ui::kFrameWidth, kOuterHeight - dravel::ui::kFrameHeight);
    ui->Abspielen->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    for (auto* label : findChildren<dravel::ui::PanelLabel*>()) label->setPanelText(label->text());
    ui->Port_info->setWordWrap(false);  // sized to its one-line text
    connectMenu();
    // Appends the menu "Extras"; a restored state changes what the summary shows.
    new dravel::extras::ExtrasMenu(this, [this] { Zusammenfassung(); });
}

TMain::~TMain() = default;

void TMain::connectMenu() {
    connectGuarded(ui->N1, &QAction::triggered, this, &TMain::N1Click);
    connectGuarded(ui->SoundAbspielen1, &QAction::triggered, this, &TMain::Play);
    connectGuarded(ui->Abspielen, &QToolButton::clicked, this, &TMain::Play);
    connectGuarded(ui->LowVersion1, &QAction::triggered, this, &TMain::LowVersion1Click);
    connectGuarded(ui->HighVersion1, &QAction::triggered, this, &TMain::Schaltplan1Click);
    connectGuarded(ui->ber1, &QAction::triggered, this, &TMain::ber1Click);
    connectGuarded(ui->BedingtePortansteuerung1, &QAction::triggered, this,
                   &TMain::BedingtePortansteuerung1Click);
    connectGuarded(ui->AlarmSimulieren1, &QAction::triggered, this, &TMain::AlarmSimulieren1Click);
    connectGuarded(ui->ComPort1, &QAction::triggered, this, &TMain::ComPort1Click);
    connectGuarded(ui->AudioDatei1, &QAction::triggered, this, &TMain::AudioDatei1Click);
    connectGuarded(ui->Einstellungen1, &QAction::triggered, this, &TMain::Einstellungen1Click);
    connectGuarded(ui->AusgngeTesten1, &QAction::triggered, this, &TMain::AusgngeTesten1Click);
    connectGuarded(ui->FunktionsprobeZeiten1, &QAction::triggered, this,
                   &TMain::FunktionsprobeZeiten1Click);
    connectGuarded(ui->ProgrammEinstellungen1, &QAction::triggered, this,
                   &TMain::ProgrammEinstellungen1Click);
}

bool TMain::start() {
    auto& sound = dravel::devices::soundLibrary();
    if ((sound.GetVersion() >> 16) != dravel::devices::SoundLibrary::kExpectedVersionHigh) {
        MessageBoxes::system(QStringLiteral("An incorrect version of BASS.DLL was loaded"));
        return false;
    }
    if (!sound.Init(-1, 44100, 0))
        MessageBoxes::plain(this, QStringLiteral("Fehler beim Starten der \"bass.dcu\""));
    dravel::ui::guarded(this, [this] { Zusammenfassung(); });
    return true;
}

std::string TMain::settingsPath() {
    return dravel::config::settingsFilePath(dravel::devices::programDirectory());
}

bool TMain::overwriteChangedSettings() {
    return MessageBoxes::confirm(
        this, QStringLiteral("Diese Einstellungen wurden in ") +
                  dravel::ui::toQString(settingsPath()) +
                  QStringLiteral(" geändert, seit das Fenster geöffnet wurde (von einem anderen "
                                 "Programm oder einem zweiten Dravel).\n\rMit den Werten dieses "
                                 "Fensters überschreiben?"));
}

void TMain::showHistoryWarning(const dravel::config::HistoryWarning& warning) {
    if (warning) MessageBoxes::warning(this, QString::fromStdString(*warning));
}

void TMain::N1Click() {
    close();
}

void TMain::ber1Click() {
    runPlainDialog<Tinfo>();
}

void TMain::BedingtePortansteuerung1Click() {
    runPlainDialog<TBedingungen>();
}

void TMain::AlarmSimulieren1Click() {
    runPlainDialog<TFunktionsTest>();
}

// The port list is read before the dialog shows; when it cannot be read the
// command stops there and nothing is written.
void TMain::ComPort1Click() {
    runSettingsCommand<TPort>(ui->ComPort1,
                              [this](TPort& dialog) { dialog.fillPorts(ui->Port_name->text()); });
}

void TMain::AudioDatei1Click() {
    runSettingsCommand<TAudio>(ui->AudioDatei1);
}

void TMain::Einstellungen1Click() {
    runSettingsCommand<TSound>(ui->Einstellungen1);
}

// The output test works on a port of its own choosing, starting from the
// configured one; it neither reads nor writes Prog.ini.
void TMain::AusgngeTesten1Click() {
    runOutputTest(this, ui->Port_name->text());
}

void TMain::FunktionsprobeZeiten1Click() {
    runSettingsCommand<TFunktions>(ui->FunktionsprobeZeiten1);
}

void TMain::ProgrammEinstellungen1Click() {
    runSettingsCommand<TProg>(ui->ProgrammEinstellungen1);
}

void TMain::Play() {
    dravel::ui::playSoundPreview(this, ui->pfad->text());
}

void TMain::LowVersion1Click() {
    openWiringDiagram("schaltplan (low).pdf");
}

void TMain::Schaltplan1Click() {
    openWiringDiagram("schaltplan.pdf");
}

void TMain::openWiringDiagram(const std::string& fileName) {
    dravel::ui::openDocument(this, dravel::devices::programDirectory() + fileName, [this] {
        MessageBoxes::plain(this, QStringLiteral("Der Schaltplan konnte nicht gefunden werden"));
    });
}

int runDravel() {
    TMain window;
    if (!window.start()) return 0;
    window.show();
    dravel::ui::centerOnScreen(&window);
    return QApplication::exec();
}

}  // namespace dravel::app
