#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <optional>

#include "app/Hauptfenster.h"
#include "config/conditions/ConditionList.h"
#include "config/extras/ConditionCsv.h"
#include "config/extras/DeactivationWindows.h"
#include "config/extras/SettingsReport.h"
#include "config/storage/AtomicFile.h"
#include "dialogs/ProgEinstellung.h"
#include "extras/Bedingungspruefung.h"
#include "extras/CsvImport.h"
#include "extras/ExtrasMenu.h"
#include "extras/ProbenTermine.h"
#include "extras/ReportDocument.h"
#include "extras/Verlauf.h"
#include "support/TestSupport.h"
#include "support/UnreadList.h"
#include "support/WindowDriver.h"
#include "ui/PanelLabel.h"

using dravel::app::TMain;

using dravel::config::ConditionEntry;
using dravel::extras::ExtrasMenu;
using dravel::extras::ExtrasServices;
using namespace dravel::testing;
using dravel::ui::BoxKind;
using namespace std::chrono;

// The report is read back as text.
#define SKIP_WITHOUT_PDFTOTEXT()                                               \
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) \
    QSKIP("pdftotext (poppler-utils) is needed to read the report back")

namespace {

const std::vector<ConditionEntry> kList = {
    {"0", "0", "Gerätehaus; Tor \"Nord\"", "12345", ""},
    {"1", "2", "Wache Süd", "0123456780", ""},
    {"0", "0", "doppelt", "12345", ""},
};

// Pin 3 (TXD) and Pin 4 (DTR) switch on condition.
const std::string kPins =
    "[Pin0]\r\nAusgang Aktiv=1\r\nStart=1\r\n[Pin1]\r\nAusgang Aktiv=1\r\nStart=1\r\n";

QStringList rowTexts(const QTableWidget* table, int row) {
    QStringList texts;
    for (int c = 0; c < table->columnCount(); ++c) texts << table->item(row, c)->text();
    return texts;
}

// The main window of a fresh program directory with its Extras menu, whose
// file dialogs answer with the paths a test sets.
class Window {
public:
    explicit Window(const TempProgramDir& dir) : dir_(dir) {
        if (!w.findChild<ExtrasMenu*>()) qFatal("no Extras menu");
        services.chooseSaveFile = [this](QWidget*, const QString&, const QString& suggested,
                                         const QString&) {
            suggestions << suggested;
            return saveAnswer;
        };
        services.chooseOpenFile = [this](QWidget*, const QString&, const QString&) {
            return openAnswer;
        };
        services.now = [] {
            return floor<seconds>(sys_days(2026y / December / 7) + 9h);  // Monday 10:00 MEZ
        };
        services.playable = [](const std::string&) { return true; };
        services.printerInstalled = [] { return true; };
        putServicesIn();
    }

    // The commands use services as they are when this is called.
    void putServicesIn() { standIns_.emplace(dravel::extras::replaceExtrasServices, services); }

    void trigger(const char* action) { child<QAction>(w, action)->trigger(); }

    template <typename Dialog>
    bool drive(const char* action, const std::function<void(Dialog&)>& handle) {
        return driveModal<Dialog>([&] { trigger(action); }, handle);
    }

    std::string datBytes() const { return dir_.read("Alarmierung.dat"); }

    TMain w;
    ExtrasServices services;
    QString saveAnswer;
    QStringList suggestions;  // what each save dialog offered
    QString openAnswer;

private:
    const TempProgramDir& dir_;
    std::optional<ScopedHook<ExtrasServices>> standIns_;
};

QString inDir(const TempProgramDir& dir, const std::string& name) {
    return QString::fromStdString(dir.file(name));
}

// A path as the messages show it: in the platform's separators.
QString shown(const std::string& path) {
    return QDir::toNativeSeparators(QString::fromStdString(path));
}

// The report's pages as text lines, without blank lines and page numbers.
QList<QStringList> pdfPages(const QString& path) {
    QList<QStringList> pages;
    const QString text = pdfText(path);
    static const QRegularExpression pageNumber(QStringLiteral("^\\s*Seite \\d+ von \\d+\\s*$"));
    for (const QString& page : text.split('\f', Qt::SkipEmptyParts)) {
        QStringList lines;
        for (const QString& line : page.split('\n'))
            if (!line.trimmed().isEmpty() && !pageNumber.match(line).hasMatch())
                lines << line.trimmed();
        if (!lines.isEmpty()) pages << lines;
    }
    return pages;
}

// A report whose part before "Nächste Funktionsproben" is `filler` lines long.
dravel::config::SettingsReport reportWithFiller(int filler) {
    dravel::config::SettingsReport report;
    report.createdAt = floor<seconds>(sys_days(2026y / December / 7) + 9h);
    report.created = "07.12.2026 10:00";
    report.programDirectory = "/Wache/";
    report.panels = {{"Füllung", std::vector<std::string>(std::size_t(filler), "Zeile")}};
    dravel::config::DeactivationSchedule daily;
    daily.kind = 4;
    daily.time = "22:00";
    daily.durationMinutes = 60;
    report.deactivations = dravel::config::planDeactivations(daily, report.createdAt);
    report.conditions = {{"Pin 3 (TXD)", "5-Tonfolgen", "12345", "Wache", ""}};
    return report;
}

// Empty when the last column takes the width the others leave, within view, and every row is
// as tall as its text at the width shown (neither cut nor over-tall); else what is wrong.
QString layoutFaults(QTableWidget* table) {
    const int last = table->columnCount() - 1;
    const auto lastEnd = [&] {
        return table->columnViewportPosition(last) + table->columnWidth(last);
    };
    if (!QTest::qWaitFor([&] { return lastEnd() == table->viewport()->width(); }))
        return QStringLiteral("last column ends at %1 of %2")
            .arg(lastEnd())
            .arg(table->viewport()->width());
    QCoreApplication::sendPostedEvents();  // what the resize set off
    QList<int> shown;
    for (int row = 0; row < table->rowCount(); ++row) shown << table->rowHeight(row);
    table->resizeRowsToContents();
    QString misfits;
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->rowHeight(row) != shown[row])
            misfits += QStringLiteral("row %1: %2 px for a text of %3 px; ")
                           .arg(row)
                           .arg(shown[row])
                           .arg(table->rowHeight(row));
    return misfits;
}

bool isHeadingOrTableHeader(const QString& line) {
    for (const char* start : {"Zusammenfassung", "Füllung", "Nächste Funktionsproben",
                              "Bedingungsliste (", "Prüfung der Bedingungsliste"})
        if (line == QString::fromUtf8(start) ||
            (line.startsWith(QString::fromUtf8(start)) && line.endsWith(')')))
            return true;
    static const QRegularExpression header(
        QStringLiteral("^(Wochentag\\s+Beginn\\s+Ende\\s+Hinweis|Nr\\.\\s+Pin\\s+Art)"));
    return header.match(line).hasMatch();
}

// A WAV file of a tenth of a second of silence, as the sound component reads it.
std::string silentWav() {
    const auto u32 = [](uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    const auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    const uint32_t samples = 4410;
    return "RIFF" + u32(36 + samples * 2) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(44100) +
           u32(88200) + u16(2) + u16(16) + "data" + u32(samples * 2) +
           std::string(samples * 2, '\0');
}

}  // namespace

class TestExtras : public QObject {
    Q_OBJECT

    // Each test's program directory, message boxes and main window; every box a test expects
    // must have shown by its end.
    struct Fixture {
        TempProgramDir dir;
        ScriptedBoxes boxes;
        Window window{dir};
    };
    std::unique_ptr<Fixture> f;

private slots:
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup() {
        const auto done = std::move(f);
        VERIFY_BOXES(done->boxes);
    }

    void menuExtrasComesLastWithItsCommands() {
        auto& [dir, boxes, window] = *f;
        const QList<QAction*> menus = window.w.menuBar()->actions();
        QCOMPARE(menus.last()->text(), QStringLiteral("Extras"));
        QStringList texts;
        for (QAction* a : child<QMenu>(window.w, "Extras1")->actions())
            if (!a->isSeparator()) texts << a->text();
        QCOMPARE(texts, (QStringList{"Bedingungsliste prüfen…", "Nächste Funktionsproben…",
                                     "Alarmablauf…", "Bedingungsliste exportieren…",
                                     "Bedingungsliste importieren…", "Einstellungen als PDF…",
                                     "Drucken…", "Verdrahtung prüfen…", "Änderungsverlauf…"}));
    }

    // Saves through a settings window and the list's save path: a history that cannot be
    // written is said once and the save stands; then the window shows both files' states, the
    // Prog.ini change in the main window's sentences, and puts the state back byte for byte
    // (foreign section included) after "Ja" only, with the summary rebuilt.
    void historyWindowComparesAndRestoresWithTheSummaryRebuilt() {
        auto& [dir, boxes, window] = *f;
        const auto saveTray = [&](bool tray) {
            return driveModal<dravel::dialogs::TProg>(
                [&] { window.trigger("ProgrammEinstellungen1"); },
                [tray](dravel::dialogs::TProg& d) {
                    check(d, "ToTray")->setChecked(tray);
                    press(d, "ok");
                });
        };
        const auto programPanel = [&] {
            return window.w.findChild<dravel::ui::PanelLabel*>("ProgInfo")->panelText();
        };
        dir.write("Prog.ini", "[Kalvor]\r\n; eigene Zeile\r\n[ComPort]\r\nPort=COM2\r\n");
        dir.write("Verlauf", "kein Ordner");
        boxes.expect(BoxKind::Warning,
                     "Die Änderung wurde gespeichert, aber der bisherige Stand von Prog.ini "
                     "konnte nicht im Ordner \"Verlauf\" aufbewahrt werden (\"Verlauf\" ist "
                     "kein Ordner).");
        QVERIFY(saveTray(true));
        QVERIFY(boxes.allAnswered());
        const std::string withTray = dir.read("Prog.ini");
        QVERIFY(withTray.find("Tray=1") != std::string::npos);
        QFile::remove(inDir(dir, "Verlauf"));
        dravel::config::writeConditionList(dir.path(), {kList[0]}, "Test");
        dravel::config::writeConditionList(dir.path(), {kList[0], kList[1]}, "Test");
        QVERIFY(saveTray(false));
        const std::string withoutTray = dir.read("Prog.ini");

        QVERIFY(window.drive<TVerlauf>("Aenderungsverlauf1", [&](TVerlauf& d) {
            auto* states = child<QTableWidget>(d, "Staende");
            auto* differences = child<QTableWidget>(d, "Unterschiede");
            QCOMPARE(states->rowCount(), 2);
            QCOMPARE(
                rowTexts(states, 1).mid(1, 3),
                (QStringList{"Alarmierung.dat",
                             QString::fromStdString(dravel::config::currentUserName()), "Test"}));
            QCOMPARE(rowTexts(states, 0)[3], QStringLiteral("Programm Einstellungen"));
            QCOMPARE(differences->rowCount(), 1);
            QCOMPARE(rowTexts(differences, 0)[0], QStringLiteral("Programm"));
            QVERIFY(rowTexts(differences, 0)[1].startsWith("Das Programm wird nach dem Start in"));
            QVERIFY(rowTexts(differences, 0)[2].startsWith("Das Programm bleibt nach dem Start"));
            states->selectRow(1);
            QCOMPARE(rowTexts(differences, 0),
                     (QStringList{"Kennung 0123456780 \"Wache Süd\"", "",
                                  "Pin 4 (DTR), FMS-Kennung, \"Wache Süd\""}));
            states->selectRow(0);
            boxes.expectContaining(BoxKind::Confirmation, QStringLiteral("Soll Prog.ini vom "),
                                   false);
            press(d, "Wiederherstellen");
            QCOMPARE(dir.read("Prog.ini"), withoutTray);
            boxes.expectContaining(BoxKind::Confirmation, QStringLiteral("Soll Prog.ini vom "));
            press(d, "Wiederherstellen");
            QCOMPARE(states->rowCount(), 3);
            QVERIFY(rowTexts(states, 0)[3].startsWith("Wiederherstellen (Stand vom "));
            press(d, "Schliessen");
        }));
        QCOMPARE(dir.read("Prog.ini"), withTray);
        QVERIFY(programPanel().startsWith("Das Programm wird nach dem Start in die SysTray"));
        std::string replaced;
        QVERIFY(!dravel::config::readHistoryState(dravel::config::listHistory(dir.path()).at(0),
                                                  replaced));
        QCOMPARE(replaced, withoutTray);
    }

    void listCheckShowsOneRowPerFindingOrNone() {
        auto& [dir, boxes, window] = *f;
        dir.write("Prog.ini", kPins);
        dravel::config::writeConditionList(dir.path(), kList, "Test");
        QVERIFY(window.drive<TPruefung>("BedingungslistePruefen1", [](TPruefung& d) {
            QCOMPARE(child<QLabel>(d, "Ergebnis")->text(),
                     QStringLiteral("1 Auffälligkeit gefunden:"));
            const auto* table = child<QTableWidget>(d, "Befunde");
            QCOMPARE(table->rowCount(), 1);
            QCOMPARE(rowTexts(table, 0),
                     (QStringList{"3", "12345", "doppelt",
                                  "Doppelter Eintrag: gleiche Art und Kennung wie Zeile 1"}));
            d.accept();
        }));
        dravel::config::writeConditionList(dir.path(), {kList[0], kList[1]}, "Test");
        QVERIFY(window.drive<TPruefung>("BedingungslistePruefen1", [](TPruefung& d) {
            QCOMPARE(child<QLabel>(d, "Ergebnis")->text(), QStringLiteral("Keine Auffälligkeiten"));
            QVERIFY(child<QTableWidget>(d, "Befunde")->isHidden());
            press(d, "Schliessen");
        }));
    }

    void findingsAndRefusalsWrapInsteadOfBeingCut() {
        const std::string longProblem =
            "Pin 4 (DTR) ist nicht auf \"Nur bei bestimmten Schleife, RICS oder FMS\" "
            "eingestellt: der Eintrag bleibt ohne Wirkung, bis der Pin so eingestellt ist";
        TPruefung check;
        check.setFindings(
            {{3, "21345", "Licht Hof", longProblem}, {4, "6123456780", "RTW Wache 1", "kurz"}});
        check.show();
        auto* findings = child<QTableWidget>(check, "Befunde");
        QCOMPARE(layoutFaults(findings), QString());
        QVERIFY(findings->rowHeight(0) > findings->rowHeight(1));  // wrapped, not cut

        TCsvImport import;
        import.setImport(QStringLiteral("C:\\Wache\\neu.csv"),
                         dravel::config::importConditionCsv(
                             "Pin;Art;Code;Beschreibung;Audiodatei\r\n0;0;1234;kurz;\r\n"
                             "0;0;12345;gut;\r\n0;0;;;\r\n"),
                         0);
        import.show();
        auto* refused = child<QTableWidget>(import, "Abgewiesen");
        QCOMPARE(refused->rowCount(), 2);
        QCOMPARE(layoutFaults(refused), QString());
    }

    void nextWindowsFromTheGivenNowOrWhyThereAreNone() {
        auto& [dir, boxes, window] = *f;
        dir.write("Prog.ini",
                  "[Funktionsprobe]\r\nArt=1\r\nWochentag1=0\r\nUhrzeit=22:00\r\nDauer=90\r\n");
        QVERIFY(window.drive<TProbenTermine>("NaechsteFunktionsproben1", [](TProbenTermine& d) {
            QCOMPARE(child<QLabel>(d, "Zeitplan")->text(),
                     QStringLiteral("Das Programm wird jeden Montag,\nin der Zeit von 22:00 - "
                                    "23:30 Uhr deaktiviert"));
            const auto* table = child<QTableWidget>(d, "Zeitraeume");
            QCOMPARE(table->rowCount(), 12);
            QCOMPARE(rowTexts(table, 0),
                     (QStringList{"Montag", "07.12.2026 22:00", "07.12.2026 23:30", ""}));
            QCOMPARE(rowTexts(table, 11).mid(0, 3),
                     (QStringList{"Montag", "22.02.2027 22:00", "22.02.2027 23:30"}));
            d.accept();
        }));
        dir.write("Prog.ini", "[Funktionsprobe]\r\nArt=0\r\n");
        QVERIFY(window.drive<TProbenTermine>("NaechsteFunktionsproben1", [](TProbenTermine& d) {
            QCOMPARE(child<QLabel>(d, "Hinweise")->text(),
                     QStringLiteral("Es findet keine Deaktivierung des Programms statt."));
            QVERIFY(child<QTableWidget>(d, "Zeitraeume")->isHidden());
            d.accept();
        }));
    }

    void exportThenImportReplacingGivesTheSameFile() {
        auto& [dir, boxes, window] = *f;
        dravel::config::writeConditionList(dir.path(), kList, "Test");
        const std::string before = dir.read("Alarmierung.dat");
        boxes.expect(BoxKind::Information,
                     QStringLiteral("3 Einträge wurden nach \"%1\" exportiert")
                         .arg(shown(dir.file("liste.csv"))));
        // As Qt's file dialogs answer, with "/" on every platform.
        window.saveAnswer = QDir::fromNativeSeparators(inDir(dir, "liste.csv"));
        window.trigger("Exportieren1");
        QCOMPARE(dir.read("liste.csv"), dravel::config::exportConditionCsv(kList));

        dravel::config::writeConditionList(dir.path(), {}, "Test");
        boxes.expect(BoxKind::Information,
                     QStringLiteral("3 Einträge wurden übernommen, die Bedingungsliste hat jetzt 3 "
                                    "Einträge"));
        window.openAnswer = window.saveAnswer;
        QVERIFY(window.drive<TCsvImport>("Importieren1", [](TCsvImport& d) {
            QVERIFY(child<QTableWidget>(d, "Abgewiesen")->isHidden());
            press(d, "Ersetzen");
        }));
        QVERIFY(window.datBytes() == before);
    }

    void importShowsRefusedRowsFirstAndAppendsOrCancels() {
        auto& [dir, boxes, window] = *f;
        dravel::config::writeConditionList(dir.path(), {kList[1]}, "Test");
        const std::string before = dir.read("Alarmierung.dat");
        dir.write("neu.csv",
                  "Pin;Art;Code;Beschreibung;Audiodatei\r\n"
                  "0;0;11111;eins;\r\n"
                  "0;0;1111;zu kurz;\r\n"
                  "Pin 7 (RTS);POSAC;2999999?;zwei;\r\n");
        window.openAnswer = QDir::fromNativeSeparators(inDir(dir, "neu.csv"));
        QVERIFY(window.drive<TCsvImport>("Importieren1", [&](TCsvImport& d) {
            QCOMPARE(child<QLabel>(d, "Datei")->text(),
                     QStringLiteral("Datei: %1 (UTF-8)").arg(shown(dir.file("neu.csv"))));
            QCOMPARE(
                child<QLabel>(d, "Anzahl")->text(),
                QStringLiteral("2 Zeilen sind gültig, die Bedingungsliste hat 1 Eintrag. 1 Zeile "
                               "wird nicht übernommen:"));
            const auto* refused = child<QTableWidget>(d, "Abgewiesen");
            QCOMPARE(refused->rowCount(), 1);
            QCOMPARE(rowTexts(refused, 0),
                     (QStringList{"3", "Kennung hat 4 statt 5 Zeichen (5-Tonfolgen)"}));
            press(d, "Abbrechen");
        }));
        QVERIFY(window.datBytes() == before);

        boxes.expect(BoxKind::Information,
                     QStringLiteral("2 Einträge wurden übernommen, die Bedingungsliste hat jetzt 3 "
                                    "Einträge"));
        QVERIFY(
            window.drive<TCsvImport>("Importieren1", [](TCsvImport& d) { press(d, "Anhaengen"); }));
        const auto list = dravel::config::readConditionList(dir.path()).entries;
        QCOMPARE(list.size(), std::size_t(3));
        QVERIFY(list[0] == kList[1]);
        QVERIFY((list[2] == ConditionEntry{"2", "1", "zwei", "2999999?", ""}));
    }

    // The list was saved elsewhere while the import's choice was open: asked, "Nein" imports
    // nothing.
    void importAsksBeforeOverwritingAListSavedMeanwhile() {
        auto& [dir, boxes, window] = *f;
        dravel::config::writeConditionList(dir.path(), {kList[1]}, "Test");
        dir.write("neu.csv", "Pin;Art;Code;Beschreibung;Audiodatei\r\n0;0;11111;eins;\r\n");
        window.openAnswer = QDir::fromNativeSeparators(inDir(dir, "neu.csv"));
        boxes.expectContaining(BoxKind::Confirmation,
                               QStringLiteral(" wurde geändert, seit die Liste gelesen wurde"),
                               false);
        QVERIFY(window.drive<TCsvImport>("Importieren1", [&](TCsvImport& d) {
            dravel::config::writeConditionList(dir.path(), {kList[0]}, "Test");
            press(d, "Anhaengen");
        }));
        QVERIFY(dravel::config::readConditionList(dir.path()).entries ==
                std::vector<ConditionEntry>{kList[0]});
    }

    void importWithNothingValidOffersOnlyCancel() {
        auto& [dir, boxes, window] = *f;
        dir.write("leer.csv", std::string("\x01\x02junk\xff", 8));
        window.openAnswer = inDir(dir, "leer.csv");
        QVERIFY(window.drive<TCsvImport>("Importieren1", [](TCsvImport& d) {
            QVERIFY(!child<QPushButton>(d, "Ersetzen")->isEnabled());
            QVERIFY(!child<QPushButton>(d, "Anhaengen")->isEnabled());
            QCOMPARE(child<QTableWidget>(d, "Abgewiesen")->rowCount(), 1);
            d.reject();
        }));
        QVERIFY(!dir.exists("Alarmierung.dat"));
    }

    void anUnreadableListIsNeitherExportedNorExtended() {
        auto& [dir, boxes, window] = *f;
        QVERIFY(QDir().mkpath(inDir(dir, "Alarmierung.dat")));
        dir.write("neu.csv", "Pin;Art;Code;Beschreibung;Audiodatei\r\n0;0;11111;eins;\r\n");
        boxes
            .expect(BoxKind::Error,
                    QStringLiteral("Aus %1 konnte nicht alles gelesen werden (Dateizugriff "
                                   "verweigert). Die Datei bleibt, wie sie ist; es wird nichts "
                                   "importiert.")
                        .arg(inDir(dir, "Alarmierung.dat")))
            .expect(BoxKind::Error, QStringLiteral("Dateizugriff verweigert."))
            .expect(BoxKind::Error, QStringLiteral("Datei nicht gefunden."));
        window.openAnswer = inDir(dir, "neu.csv");
        window.saveAnswer = inDir(dir, "aus.csv");
        window.trigger("Importieren1");
        window.trigger("Exportieren1");
        window.openAnswer = inDir(dir, "fehlt.csv");
        window.trigger("Importieren1");
        QVERIFY(!dir.exists("aus.csv"));
        QVERIFY(QFileInfo(inDir(dir, "Alarmierung.dat")).isDir());
    }

    // An import would replace or extend what was read, which is not all of the file.
    void anImportNeverWritesOverAListNotReadWhole_data() { addNotReadWholeRows(); }

    void anImportNeverWritesOverAListNotReadWhole() {
        QFETCH(bool, tooBig);
        QFETCH(QString, cause);
        auto& [dir, boxes, window] = *f;
        dravel::config::writeConditionList(dir.path(), kList, "Test");
        const UnreadList list(dir, tooBig);
        dir.write("neu.csv", "Pin;Art;Code;Beschreibung;Audiodatei\r\n0;0;11111;eins;\r\n");
        // Only the list is refused: the CSV beside it stays readable for anyone.
        std::filesystem::permissions(
            dravel::config::pathFromUtf8(dir.path()),
            std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                std::filesystem::perms::others_exec);
        window.openAnswer = inDir(dir, "neu.csv");
        boxes.expect(BoxKind::Error,
                     QStringLiteral("Aus %1 konnte nicht alles gelesen werden (%2). Die Datei "
                                    "bleibt, wie sie ist; es wird nichts importiert.")
                         .arg(inDir(dir, "Alarmierung.dat"), cause));
        list.read([&] { window.trigger("Importieren1"); });
        QCOMPARE(std::filesystem::file_size(list.file), list.size);
        if (!tooBig)
            QCOMPARE(dravel::config::readConditionList(dir.path()).entries.size(), kList.size());
    }

    // Nothing but Kalvor's two files should grow in its folder: the save
    // dialogs offer the documents folder, then the folder last saved into.
    void saveDialogsSuggestTheDocumentsThenTheLastFolder() {
        auto& [dir, boxes, window] = *f;
        dir.write("Alarmierung.dat", std::string());
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        window.trigger("Exportieren1");  // cancelled: nothing remembered
        QDir(inDir(dir, "")).mkdir(QStringLiteral("Ablage"));
        window.saveAnswer = inDir(dir, "Ablage/liste.csv");
        boxes.expect(BoxKind::Information,
                     QStringLiteral("0 Einträge wurden nach \"%1\" exportiert")
                         .arg(shown(dir.file("Ablage/liste.csv"))));
        window.trigger("Exportieren1");
        window.saveAnswer.clear();
        window.trigger("Pdf1");
        QCOMPARE(window.suggestions,
                 (QStringList{documents + "/Alarmierung.csv", documents + "/Alarmierung.csv",
                              inDir(dir, "Ablage/Einstellungen.pdf")}));
    }

    void pdfAndPrintShareOneLayoutWithTheWholeSetUp() {
        SKIP_WITHOUT_PDFTOTEXT();
        auto& [dir, boxes, window] = *f;
        dir.write("Prog.ini",
                  kPins + "[Funktionsprobe]\r\nArt=4\r\nUhrzeit=23:00\r\nDauer=120\r\n");
        dravel::config::writeConditionList(dir.path(), kList, "Test");
        const QString pdf = inDir(dir, "bericht.pdf");
        boxes.expect(BoxKind::Information, QStringLiteral("Der Bericht wurde in \"%1\" gespeichert")
                                               .arg(QDir::toNativeSeparators(pdf)));
        window.saveAnswer = QDir::fromNativeSeparators(pdf);
        window.trigger("Pdf1");

        const QString printed = inDir(dir, "gedruckt.pdf");
        window.services.setUpPrinter = [&](QWidget*, QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            return true;
        };
        window.putServicesIn();
        window.trigger("Drucken1");
        for (const QString& file : {pdf, printed}) {
            const QString text = pdfText(file);
            for (const char* part :
                 {"Einstellungen für \"Kalvor.EXE\"", "Erstellt am 07.12.2026 10:00",
                  "Das Programm wird täglich,", "in der Zeit von 23:00 - 01:00 Uhr deaktiviert",
                  "Bedingungsliste (3 Einträge)", "Gerätehaus; Tor \"Nord\"", "FMS-Kennung",
                  "Prüfung der Bedingungsliste",
                  "Doppelter Eintrag: gleiche Art und Kennung wie Zeile 1",
                  "Nächste Funktionsproben", "Dienstag", "Pin 4 (DTR)",
                  "Alarmablauf: Alarm ohne Kennung",
                  "Alarmablauf: 5-Ton-Alarm, jede Kennung der Liste",
                  "Alarmablauf: FMS-Alarm, jede Kennung der Liste", "Was schiefgehen würde"})
                QVERIFY2(text.contains(QString::fromUtf8(part)), part);
        }
        // The report's own moment (09:00 UTC), as UTC; body text regular, headings bold,
        // every font embedded.
        QFile written(pdf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains("/CreationDate (D:20261207090000"));
        if (!QStandardPaths::findExecutable(QStringLiteral("pdffonts")).isEmpty()) {
            const QStringList fonts =
                toolOutput(QStringLiteral("pdffonts"), {pdf}).split('\n').mid(2);
            QStringList names;
            for (const QString& line : fonts) {
                const QStringList fields = line.split(' ', Qt::SkipEmptyParts);
                if (fields.size() < 5) continue;
                names << fields[0];
                QVERIFY2(fields[fields.size() - 5] == QStringLiteral("yes"), qPrintable(line));
            }
            names.sort();
            QCOMPARE(names, (QStringList{"LiberationSans", "LiberationSans-Bold"}));
        }
        window.services.setUpPrinter = [](QWidget*, QPrinter&) { return false; };
        window.putServicesIn();
        QFile::remove(printed);
        window.trigger("Drucken1");
        QVERIFY(!QFile::exists(printed));
    }

    // The table of the next test windows starts lower on the page with each
    // filler line, so its heading, its header and its rows meet the page foot
    // at every point.
    void reportKeepsHeadingsAndTableHeadersWithTheirRows() {
        SKIP_WITHOUT_PDFTOTEXT();
        auto& [dir, boxes, window] = *f;
        const QString pdf = inDir(dir, "bericht.pdf");
        static const QRegularExpression windowRow(
            QStringLiteral("^\\S+\\s+\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d"));
        int tablesSplit = 0;
        for (int filler = 30; filler <= 90; filler += 2) {
            dravel::extras::writeSettingsReportPdf(reportWithFiller(filler), pdf);
            const QList<QStringList> pages = pdfPages(pdf);
            QVERIFY(pages.size() >= 2);
            int pagesWithRows = 0;
            for (const QStringList& page : pages) {
                QVERIFY2(!isHeadingOrTableHeader(page.last()),
                         qPrintable(QStringLiteral("filler %1: page ends with \"%2\"")
                                        .arg(filler)
                                        .arg(page.last())));
                qsizetype firstRow = 0;
                while (firstRow < page.size() && !windowRow.match(page[firstRow]).hasMatch())
                    ++firstRow;
                if (firstRow == page.size()) continue;
                ++pagesWithRows;
                QVERIFY2(firstRow > 0 && page[firstRow - 1].startsWith(QStringLiteral("Wochentag")),
                         qPrintable(QStringLiteral("filler %1: rows without their header: %2")
                                        .arg(filler)
                                        .arg(page[firstRow])));
            }
            if (pagesWithRows > 1) ++tablesSplit;
        }
        QVERIFY(tablesSplit > 0);
    }

    // Findings of two lines meet the page foot at every point as the filler
    // grows: a row stays whole, its lines on one page with its key cells. A
    // finding taller than a page shows its "Zeile" and "Kennung" on each page.
    void reportNeverCutsATableRow() {
        SKIP_WITHOUT_PDFTOTEXT();
        auto& [dir, boxes, window] = *f;
        const QString pdf = inDir(dir, "bericht.pdf");
        const QString words =
            QStringLiteral(" steht doppelt in der Liste und wird zweimal geschaltet").repeated(2);
        for (int filler = 0; filler <= 24; ++filler) {
            auto report = reportWithFiller(40 + filler);
            for (int n = 1; n <= 30; ++n)
                report.findings.push_back(
                    {std::size_t(n), "K" + std::to_string(n), "",
                     QStringLiteral("Anfang%1%2 Ende%1").arg(n).arg(words).toStdString()});
            dravel::extras::writeSettingsReportPdf(report, pdf);
            for (const QStringList& page : pdfPages(pdf)) {
                const QString text = page.join(' ');
                for (int n = 1; n <= 30; ++n) {
                    const auto has = [&](const char* word) {
                        return text.contains(
                            QRegularExpression(QStringLiteral("\\b%1%2\\b").arg(word).arg(n)));
                    };
                    const bool start = has("Anfang"), end = has("Ende"), key = has("K");
                    QVERIFY2(
                        start == end && end == key,
                        qPrintable(QStringLiteral("filler %1: finding %2 cut").arg(filler).arg(n)));
                }
            }
        }
        auto report = reportWithFiller(2);
        report.findings.push_back(
            {7, "LANG", "", QStringLiteral("Wort ").repeated(2500).toStdString()});
        dravel::extras::writeSettingsReportPdf(report, pdf);
        int pagesOfTheRow = 0;
        for (const QStringList& page : pdfPages(pdf)) {
            if (!page.join(' ').contains(QStringLiteral("Wort"))) continue;
            ++pagesOfTheRow;
            QVERIFY2(page.join(' ').contains(QRegularExpression(QStringLiteral("\\b7\\s+LANG\\b"))),
                     qPrintable(page.join('|')));
        }
        QVERIFY(pagesOfTheRow >= 2);
    }

    // Neither report command fails silently: no printer, or a folder that cannot be written.
    void reportCommandsSayWhyNothingCameOut() {
        auto& [dir, boxes, window] = *f;
        bool dialogAsked = false;
        window.services.printerInstalled = [] { return false; };
        window.services.setUpPrinter = [&](QWidget*, QPrinter&) {
            dialogAsked = true;
            return false;
        };
        window.putServicesIn();
        boxes.expect(BoxKind::Information, QStringLiteral("Es ist kein Drucker eingerichtet."))
            .expect(BoxKind::Error, QStringLiteral("In %1 kann nicht geschrieben werden.")
                                        .arg(QDir::toNativeSeparators("/nicht/da/bericht.pdf")));
        window.trigger("Drucken1");
        window.saveAnswer = QStringLiteral("/nicht/da/bericht.pdf");
        window.trigger("Pdf1");
        QVERIFY(!dialogAsked);
    }

    void theSoundComponentDecidesWhatCanBePlayed() {
        auto& [dir, boxes, window] = *f;
        dir.write("stille.wav", silentWav());
        dir.write("kaputt.wav", "RIFF kein Ton");
        const auto playable = dravel::extras::systemServices().playable;
        QVERIFY(playable(dir.file("stille.wav")));
        QVERIFY(!playable(dir.file("kaputt.wav")));
        QVERIFY(!playable(dir.file("fehlt.wav")));
    }
};

QTEST_MAIN(TestExtras)
#include "tst_extras.moc"
