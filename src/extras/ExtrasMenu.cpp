#include "extras/ExtrasMenu.h"

#include <QAction>
#include <QDir>
#include <QMainWindow>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <stdexcept>
#include <utility>

#include "config/conditions/ConditionList.h"
#include "config/extras/ConditionCsv.h"
#include "config/extras/SettingsReport.h"
#include "config/storage/IniFile.h"
#include "devices/mixer/AudioMixer.h"
#include "devices/mixer/AudioMixerNames.h"
#include "devices/sound/SoundFileLength.h"
#include "devices/sound/SoundFileSource.h"
#include "devices/system/ProgramDirectory.h"
#include "extras/Alarmablauf.h"
#include "extras/Bedingungspruefung.h"
#include "extras/Counted.h"
#include "extras/CsvImport.h"
#include "extras/ProbenTermine.h"
#include "extras/ReportDocument.h"
#include "extras/Verdrahtung.h"
#include "extras/Verlauf.h"
#include "ui/ErrorGuard.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBoxes.h"
#include "ui/Text.h"

namespace dravel::extras {
namespace {

using ui::MessageBoxes;
using ui::toQString;
using ui::toStdString;

const QString kCsvFilter = QStringLiteral("CSV-Dateien (*.csv)");
const QString kPdfFilter = QStringLiteral("PDF-Dateien (*.pdf)");

// The sound component's own test: it plays what it can open and decode.
constexpr uint32_t kCheckRate = 44100;

ExtrasServices& standIns() {
    static ExtrasServices services;
    return services;
}

template <typename Service>
void takeIfSet(Service& used, const Service& standIn) {
    if (standIn) used = standIn;
}

std::string programDirectory() {
    return devices::programDirectory();
}

// The list as it is on disk; a list that cannot be read whole is not
// exported or extended, so nothing of it is lost.
std::vector<config::ConditionEntry> readWholeList() {
    config::ConditionListReadResult list = config::readConditionList(programDirectory());
    if (list.error) throw std::runtime_error(*list.error);
    return std::move(list.entries);
}

// The list an import extends or replaces. Refused before the user chooses,
// so no choice is offered that could not be saved.
config::ConditionListReadResult readListToImportInto() {
    config::ConditionListReadResult list = config::readConditionList(programDirectory());
    if (list.error)
        throw std::runtime_error(config::listNotReadWholeMessage(programDirectory(), *list.error) +
                                 "; es wird nichts importiert");
    return list;
}

// "1 Eintrag wurde", "3 Einträge wurden"
QString entriesDone(std::size_t n) {
    return n == 1 ? QStringLiteral("1 Eintrag wurde")
                  : QString::number(n) + QStringLiteral(" Einträge wurden");
}

// Qt's file dialogs answer with "/"; the messages name the file as the
// platform writes paths (C:\Wache\liste.csv on Windows).
QString shownPath(const QString& chosen) {
    return QDir::toNativeSeparators(chosen);
}

config::SettingsReport currentReport(const ExtrasServices& services) {
    devices::TAudioMixer mixer;
    mixer.setMixerId(0);
    devices::AudioMixerNames names(mixer);
    return config::buildSettingsReport(programDirectory(), names, services.playable, services.now(),
                                       services.soundLength);
}

}  // namespace

ExtrasServices systemServices() {
    return {
        [](QWidget* parent, const QString& title, const QString& suggested, const QString& filter) {
            return ui::askSaveFileName(parent, title, filter, suggested);
        },
        [](QWidget* parent, const QString& title, const QString& filter) {
            return ui::askOpenFileName(parent, title, filter, ui::openDialogFolder(QString()));
        },
        [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); },
        [](QWidget* parent, QPrinter& printer) {
            QPrintDialog dialog(&printer, parent);
            return dialog.exec() == QDialog::Accepted;
        },
        [] { return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()); },
        [](const std::string& path) {
            return devices::SoundFileSource::open(path, kCheckRate) != nullptr;
        },
        [](const std::string& path) { return devices::soundFileLength(path); },
    };
}

ExtrasServices extrasServices() {
    ExtrasServices used = systemServices();
    const ExtrasServices& put = standIns();
    takeIfSet(used.chooseSaveFile, put.chooseSaveFile);
    takeIfSet(used.chooseOpenFile, put.chooseOpenFile);
    takeIfSet(used.printerInstalled, put.printerInstalled);
    takeIfSet(used.setUpPrinter, put.setUpPrinter);
    takeIfSet(used.now, put.now);
    takeIfSet(used.playable, put.playable);
    takeIfSet(used.soundLength, put.soundLength);
    return used;
}

ExtrasServices replaceExtrasServices(ExtrasServices services) {
    return std::exchange(standIns(), std::move(services));
}

QString askWhereToSave(QWidget* parent, const QString& title, const QString& fileName,
                       const QString& filter) {
    const QString chosen =
        extrasServices().chooseSaveFile(parent, title, ui::saveDialogSuggestion(fileName), filter);
    ui::rememberSaveFolder(chosen);
    return shownPath(chosen);
}

ExtrasMenu::ExtrasMenu(QMainWindow* window, std::function<void()> afterRestore)
    : QObject(window), window_(window), afterRestore_(std::move(afterRestore)) {
    setObjectName(QStringLiteral("ExtrasMenu"));
    QMenu* menu = window->menuBar()->addMenu(QStringLiteral("Extras"));
    menu->setObjectName(QStringLiteral("Extras1"));
    addCommand(menu, "BedingungslistePruefen1", QStringLiteral("Bedingungsliste prüfen…"),
               &ExtrasMenu::BedingungslistePruefenClick);
    addCommand(menu, "NaechsteFunktionsproben1", QStringLiteral("Nächste Funktionsproben…"),
               &ExtrasMenu::NaechsteFunktionsprobenClick);
    addCommand(menu, "Alarmablauf1", QStringLiteral("Alarmablauf…"), &ExtrasMenu::AlarmablaufClick);
    menu->addSeparator();
    addCommand(menu, "Exportieren1", QStringLiteral("Bedingungsliste exportieren…"),
               &ExtrasMenu::ExportierenClick);
    addCommand(menu, "Importieren1", QStringLiteral("Bedingungsliste importieren…"),
               &ExtrasMenu::ImportierenClick);
    menu->addSeparator();
    addCommand(menu, "Pdf1", QStringLiteral("Einstellungen als PDF…"), &ExtrasMenu::PdfClick);
    addCommand(menu, "Drucken1", QStringLiteral("Drucken…"), &ExtrasMenu::DruckenClick);
    menu->addSeparator();
    addCommand(menu, "VerdrahtungPruefen1", QStringLiteral("Verdrahtung prüfen…"),
               &ExtrasMenu::VerdrahtungPruefenClick);
    menu->addSeparator();
    addCommand(menu, "Aenderungsverlauf1", QStringLiteral("Änderungsverlauf…"),
               &ExtrasMenu::AenderungsverlaufClick);
}

void ExtrasMenu::addCommand(QMenu* menu, const char* name, const QString& text,
                            void (ExtrasMenu::*handler)()) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this,
            [this, handler] { ui::guarded(window_, [&] { (this->*handler)(); }); });
}

void ExtrasMenu::BedingungslistePruefenClick() {
    const ExtrasServices services = extrasServices();
    const auto findings = config::checkProgramDirectory(programDirectory(), services.playable);
    TPruefung dialog(window_);
    dialog.setFindings(findings);
    dialog.exec();
}

void ExtrasMenu::NaechsteFunktionsprobenClick() {
    const ExtrasServices services = extrasServices();
    const config::IniFile settings(config::settingsFilePath(programDirectory()));
    const auto plan =
        config::planDeactivations(config::DeactivationSchedule::read(settings), services.now());
    TProbenTermine dialog(window_);
    dialog.setPlan(config::scheduleSentence(settings), plan);
    dialog.exec();
}

// Every course is worked out once, when the window opens: the sound file is
// measured once and the selector switches without reading anything.
void ExtrasMenu::AlarmablaufClick() {
    const ExtrasServices services = extrasServices();
    const config::CourseSource source =
        config::readCourseSource(programDirectory(), services.soundLength, services.now());
    TAlarmablauf dialog(window_);
    dialog.setCourses(config::buildAlarmCourses(source, config::alarmChoices(source.list)));
    dialog.exec();
}

void ExtrasMenu::ExportierenClick() {
    const QString path = askWhereToSave(window_, QStringLiteral("Bedingungsliste exportieren"),
                                        QStringLiteral("Alarmierung.csv"), kCsvFilter);
    if (path.isEmpty()) return;
    const auto entries = readWholeList();
    config::writeConditionCsvFile(toStdString(path), entries);
    MessageBoxes::information(
        window_, entriesDone(entries.size()) + QStringLiteral(" nach \"%1\" exportiert").arg(path));
}

void ExtrasMenu::ImportierenClick() {
    const ExtrasServices services = extrasServices();
    const QString path = shownPath(services.chooseOpenFile(
        window_, QStringLiteral("Bedingungsliste importieren"), kCsvFilter));
    if (path.isEmpty()) return;
    const config::CsvImport imported =
        config::importConditionCsv(config::readCsvFile(toStdString(path)));
    auto [list, error, read] = readListToImportInto();
    TCsvImport dialog(window_);
    dialog.setImport(path, imported, list.size());
    dialog.exec();
    if (dialog.choice() == ImportChoice::Cancel) return;
    // The list may have been saved elsewhere while the choice was open.
    if (config::conditionListChangedSince(programDirectory(), read) &&
        !MessageBoxes::confirm(window_,
                               toQString(config::conditionListChangedQuestion(programDirectory()))))
        return;
    if (dialog.choice() == ImportChoice::Replace) list.clear();
    list.insert(list.end(), imported.entries.begin(), imported.entries.end());
    const auto warning =
        config::writeConditionList(programDirectory(), list, "Bedingungsliste importieren");
    if (warning) MessageBoxes::warning(window_, toQString(*warning));
    MessageBoxes::information(
        window_, entriesDone(imported.entries.size()) +
                     QStringLiteral(" übernommen, die Bedingungsliste hat jetzt ") +
                     counted(list.size(), QStringLiteral("Eintrag"), QStringLiteral("Einträge")));
}

void ExtrasMenu::PdfClick() {
    const ExtrasServices services = extrasServices();
    const QString path = askWhereToSave(window_, QStringLiteral("Einstellungen als PDF"),
                                        QStringLiteral("Einstellungen.pdf"), kPdfFilter);
    if (path.isEmpty()) return;
    writeSettingsReportPdf(currentReport(services), path);
    MessageBoxes::information(window_,
                              QStringLiteral("Der Bericht wurde in \"%1\" gespeichert").arg(path));
}

bool choosePrinter(QWidget* parent, QPrinter& printer) {
    const ExtrasServices services = extrasServices();
    if (!services.printerInstalled()) {
        MessageBoxes::information(parent, QStringLiteral("Es ist kein Drucker eingerichtet."));
        return false;
    }
    return services.setUpPrinter(parent, printer);
}

void ExtrasMenu::DruckenClick() {
    QPrinter printer(QPrinter::HighResolution);
    if (!choosePrinter(window_, printer)) return;
    printSettingsReport(currentReport(extrasServices()), printer);
}

// The port as the output test takes it: the one the settings name, whether
// listed or not. Nothing is written back.
void ExtrasMenu::VerdrahtungPruefenClick() {
    const config::IniFile settings(config::settingsFilePath(programDirectory()));
    const config::WiringPlan plan = config::WiringPlan::read(settings);
    TVerdrahtung dialog(window_);
    dialog.setPlan(plan, programDirectory());
    dialog.fillPorts();
    dialog.preselectPort(toQString(plan.port));
    dialog.exec();
}

void ExtrasMenu::AenderungsverlaufClick() {
    TVerlauf dialog(window_, programDirectory(), afterRestore_);
    dialog.refresh();
    dialog.exec();
}

}  // namespace dravel::extras
