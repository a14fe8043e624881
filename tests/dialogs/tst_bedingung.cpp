#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "dialogs/Bedingung.h"
#include "support/TestSupport.h"
#include "support/UnreadList.h"
#include "support/WindowDriver.h"
#include "ui/AlarmCodePanel.h"
#include "ui/RadioGroup.h"
#include "ui/SoundPreview.h"

using dravel::dialogs::ConditionListModel;
using dravel::dialogs::TBedingungen;

using namespace dravel::testing;
using dravel::ui::BoxKind;

namespace {

const QString kDeleteQuestion = QStringLiteral("Zeile Wirklich löschen?");
const char* const kPanels[] = {"ZVEI", "POSAC", "FMS"};

// One text field of a record: length byte, Windows-1252 bytes, zero fill.
std::string field(const std::string& cp1252) {
    std::string bytes(256, '\0');
    bytes[0] = static_cast<char>(cp1252.size());
    bytes.replace(1, cp1252.size(), cp1252);
    return bytes;
}

// The file dialog answers with "/"; the editor shows and stores the platform's own separators.
QString gongShown() {
    return QDir::toNativeSeparators(QStringLiteral("/snd/gong.wav"));
}

std::string record(const std::string& pin, const std::string& kind, const std::string& description,
                   const std::string& code, const std::string& audioPath) {
    return field(pin) + field(kind) + field(description) + field(code) + field(audioPath);
}

// The editor over the program directory made before it; the file dialog is
// answered by the queued answers.
class Editor {
public:
    explicit Editor(const TempProgramDir&) : dialog(std::make_unique<TBedingungen>()) {}

    template <typename T = QWidget>
    T* get(const char* name) const {
        return child<T>(*dialog, QString::fromUtf8(name));
    }
    dravel::ui::RadioGroup* art() const { return get<dravel::ui::RadioGroup>("Art"); }
    QComboBox* pin() const { return get<QComboBox>("Pin"); }
    QLineEdit* description() const { return get<QLineEdit>("Beschreibung"); }
    QString label(const char* name) const { return get<QLabel>(name)->text(); }
    QTableView* list() const { return get<QTableView>("Ubersicht"); }
    int rows() const { return list()->model()->rowCount(); }
    QString cell(int row, int column) const {
        return list()->model()->index(row, column).data().toString();
    }
    QStringList row(int r) const {
        QStringList texts;
        for (int c = 0; c < ConditionListModel::Count; ++c) texts << cell(r, c);
        return texts;
    }
    // Sets the selectors prefix1, prefix2, ... to the characters of code;
    // "_" leaves a selector empty.
    void choose(const char* prefix, const QString& code) const {
        for (int i = 0; i < code.size(); ++i) {
            auto* box = get<QComboBox>(qPrintable(prefix + QString::number(i + 1)));
            box->setCurrentIndex(box->findText(code.mid(i, 1)));
            if (code[i] != '_' && box->currentText() != code.mid(i, 1))
                qFatal("%s lacks an item", qPrintable(box->objectName()));
        }
    }
    QString chosen(const char* panel) const {
        QStringList items;
        const auto* frame = get<dravel::ui::AlarmCodePanel>(panel);
        for (int p = 1; p <= frame->positionCount(); ++p)
            items << frame->selector(p)->currentText();
        return items.join(',');
    }
    bool shows(const char* panel) const { return get(panel)->isVisible(); }
    void click(const char* button) const { get<QAbstractButton>(button)->click(); }
    // Shows the editor and deletes its first entry, answering the question with "Ja".
    void showAndDeleteFirst(ScriptedBoxes& boxes) const {
        dialog->show();
        list()->selectRow(0);
        boxes.expect(BoxKind::Confirmation, kDeleteQuestion);
        get<QAction>("Lschen1")->trigger();
    }
    void showActive() const {
        dialog->show();
        if (!activate(*dialog)) qFatal("editor not active");
    }

    std::unique_ptr<TBedingungen> dialog;
    QStringList fileAnswers;
    QStringList filters;
    QStringList starts;

private:
    dravel::testing::ScopedHook<dravel::ui::SoundFileChooser> chooser_{
        dravel::ui::replaceSoundFileChooser,
        [this](QWidget*, const QString& filter, const QString& start) {
            filters << filter;
            starts << start;
            return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
        }};
};

enum TakeBack { ByContextMenu, ByDoubleClickOnTheRow, ByDoubleClickBelowTheRows };

}  // namespace

class TestBedingung : public QObject {
    Q_OBJECT
private slots:
    void windowHasItsControlsListColumnsAndPanels() {
        TempProgramDir dir;
        Editor e(dir);
        QCOMPARE(e.dialog->windowTitle(), QStringLiteral("Bedingungen"));
        QCOMPARE(e.art()->items(), (QStringList{"5-Tonfolgen", "POSAC", "FMS-Kennung"}));
        QCOMPARE(e.art()->itemIndex(), -1);
        QCOMPARE(itemsOf(e.pin()), (QStringList{"Pin 3 (TXD)", "Pin 4 (DTR)", "Pin 7 (RTS)"}));
        QCOMPARE(e.pin()->currentIndex(), -1);
        QCOMPARE(e.get<QPushButton>("Eintragen")->text(), QStringLiteral("Übernehmen"));
        QVERIFY(!e.get("Pfad")->isVisibleTo(e.dialog.get()));
        QVERIFY(!e.get("kennung")->isVisibleTo(e.dialog.get()));

        QTableView* list = e.list();
        QStringList shown, hidden;
        for (int c = 0; c < list->model()->columnCount(); ++c)
            (list->isColumnHidden(c) ? hidden : shown)
                << list->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(shown, (QStringList{"Pin", "Art", "Kennung", "Beschreibung", "Audio"}));
        QCOMPARE(hidden, (QStringList{"Typ", "Pin", "Pfad"}));
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);

        for (const char* panel : kPanels) QVERIFY(!e.get(panel)->isVisibleTo(e.dialog.get()));

        e.dialog->show();
        const QPoint at(20, 20);
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at,
                                     list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &rightClick);
        auto* menu = e.get<QMenu>("PopupMenu");
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->actions(),
                 (QList<QAction*>{e.get<QAction>("ndern1"), e.get<QAction>("Lschen1")}));
        menu->hide();
    }

    void missingFileGivesAnEmptyListAndSavingCreatesAnEmptyFile() {
        TempProgramDir dir;
        ScriptedBoxes boxes;
        Editor e(dir);
        QCOMPARE(e.rows(), 0);
        e.dialog->show();
        e.click("ok");
        QCOMPARE(e.dialog->result(), int(QDialog::Accepted));
        QVERIFY(!e.dialog->isVisible());
        QVERIFY(dir.exists("Alarmierung.dat"));
        QCOMPARE(dir.read("Alarmierung.dat"), std::string());
        VERIFY_BOXES(boxes);
    }

    // Entries that name no pin or kind (a file edited elsewhere) are shown
    // with their own text, and opening and saving alters no entry.
    void entriesOfAFileAreShownAndWrittenBackUnchanged() {
        TempProgramDir dir;
        const std::string file = record("1", "0",
                                        "Wache S\xFC"
                                        "d",
                                        "12345", "C:\\Kalvor\\T\xF6ne\\gong.wav") +
                                 record("7", "9", "fremd", "ABC", "") +
                                 record("2", "1", "Posac", "0123456?", "") +
                                 record("01", "2", "", "6123456780", "/snd/sirene.mp3");
        dir.write("Alarmierung.dat", file + std::string(40, 'x'));
        ScriptedBoxes boxes;
        Editor e(dir);
        QCOMPARE(e.rows(), 4);
        QCOMPARE(e.row(0), (QStringList{"Pin 4 (DTR)", "5-Tonfolgen", "12345", "Wache Süd",
                                        "gong.wav", "0", "1", "C:\\Kalvor\\Töne\\gong.wav"}));
        QCOMPARE(e.row(1), (QStringList{"7", "9", "ABC", "fremd", "", "9", "7", ""}));
        QCOMPARE(e.row(2).mid(0, 3), (QStringList{"Pin 7 (RTS)", "POSAC", "0123456?"}));
        QCOMPARE(e.row(3), (QStringList{"Pin 4 (DTR)", "FMS-Kennung", "6123456780", "",
                                        "sirene.mp3", "2", "01", "/snd/sirene.mp3"}));
        e.click("ok");
        QCOMPARE(dir.read("Alarmierung.dat"), file);
        VERIFY_BOXES(boxes);
    }

    void unreadableFileIsReportedAndTheEditorOpens() {
        TempProgramDir dir;
        QVERIFY(QDir().mkpath(QString::fromStdString(dir.file("Alarmierung.dat"))));
        ScriptedBoxes boxes;
        boxes.expect(BoxKind::Error, QStringLiteral("Dateizugriff verweigert."));
        Editor e(dir);
        VERIFY_BOXES(boxes);
        QCOMPARE(e.rows(), 0);
    }

    // The list stays in the open dialog, the file keeps its entries.
    void failedWriteIsReportedAndKeepsTheDialogAndTheFile() {
        TempProgramDir dir;
        const std::string file = record("0", "0", "alt", "11111", "");
        dir.write("Alarmierung.dat", file);
        QFile::setPermissions(QString::fromStdString(dir.file("Alarmierung.dat")),
                              QFile::ReadOwner);
        ScriptedBoxes boxes;
        Editor e(dir);
        e.showAndDeleteFirst(boxes);
        boxes.expect(BoxKind::Error, QStringLiteral("Dateizugriff verweigert."));
        e.click("ok");
        VERIFY_BOXES(boxes);
        QVERIFY(e.dialog->isVisible());
        QCOMPARE(dir.read("Alarmierung.dat"), file);
    }

    // Another program saved the list while the editor was open: "Übernehmen"
    // asks before saving over it; "Nein" offers the file's list instead, and
    // either way the editor stays open with nothing saved.
    void aListSavedElsewhereMeanwhileIsNotOverwrittenUnasked_data() {
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<bool>("reload");
        QTest::addColumn<QString>("shown");  // the list left in an editor that stays open
        QTest::newRow("Ja: saved over it") << true << false << "";
        QTest::newRow("Nein, reload") << false << true << "anderswo";
        QTest::newRow("Nein, keep editing") << false << false << "";
    }
    void aListSavedElsewhereMeanwhileIsNotOverwrittenUnasked() {
        QFETCH(bool, overwrite);
        QFETCH(bool, reload);
        QFETCH(QString, shown);
        TempProgramDir dir;
        dir.write("Alarmierung.dat", record("0", "0", "vorher", "11111", ""));
        ScriptedBoxes boxes;
        Editor e(dir);
        e.showAndDeleteFirst(boxes);
        const std::string elsewhere = record("1", "0", "anderswo", "22222", "");
        dir.write("Alarmierung.dat", elsewhere);
        boxes.expect(BoxKind::Confirmation,
                     QString::fromStdString(dir.file("Alarmierung.dat")) +
                         QStringLiteral(" wurde geändert, seit die Liste gelesen wurde (von einem "
                                        "anderen Programm oder einem zweiten Dravel).\n\rMit "
                                        "dieser Liste überschreiben? Die andere Änderung geht "
                                        "dabei verloren."),
                     overwrite);
        if (!overwrite)
            boxes.expect(BoxKind::Confirmation,
                         QStringLiteral("Die Liste aus der Datei neu laden? Die Änderungen in "
                                        "diesem Fenster gehen dabei verloren."),
                         reload);
        e.click("ok");
        VERIFY_BOXES(boxes);
        QCOMPARE(e.dialog->isVisible(), !overwrite);
        QCOMPARE(dir.read("Alarmierung.dat"), overwrite ? std::string() : elsewhere);
        if (!overwrite) QCOMPARE(e.rows() ? e.cell(0, 3) : QString(), shown);
    }

    // What was read is not all of the file: "Übernehmen" says so, saves nothing and closes.
    void aListNotReadWholeIsNeverWrittenOver_data() { addNotReadWholeRows(); }

    void aListNotReadWholeIsNeverWrittenOver() {
        QFETCH(bool, tooBig);
        QFETCH(QString, cause);
        TempProgramDir dir;
        const std::string kept = record("0", "0", "alt", "11111", "");
        dir.write("Alarmierung.dat", kept);
        const UnreadList list(dir, tooBig);
        ScriptedBoxes boxes;
        boxes.expect(BoxKind::Error, cause + '.');
        auto e = list.read([&] { return std::make_unique<Editor>(dir); });
        VERIFY_BOXES(boxes);
        QCOMPARE(e->rows(), 0);
        e->dialog->show();
        e->art()->button(0)->click();
        e->pin()->setCurrentIndex(0);
        e->description()->setText(QStringLiteral("neu"));
        e->choose("ton", "54321");
        boxes.expect(BoxKind::Plain, QString());
        e->click("Eintragen");
        QCOMPARE(e->rows(), 1);

        boxes.expect(BoxKind::Error,
                     QStringLiteral("Aus %1 konnte nicht alles gelesen werden (%2). Die Datei "
                                    "bleibt, wie sie ist; die Änderungen werden nicht gespeichert.")
                         .arg(QString::fromStdString(dir.file("Alarmierung.dat")), cause));
        e->click("ok");
        QCOMPARE(std::filesystem::file_size(list.file), list.size);
        std::string start(kept.size(), '\0');
        std::ifstream(list.file, std::ios::binary)
            .read(start.data(), std::streamsize(start.size()));
        QCOMPARE(start, kept);
        QCOMPARE(QDir(QString::fromStdString(dir.path())).entryList(QDir::Files).size(), 1);
        VERIFY_BOXES(boxes);
        QVERIFY(!e->dialog->isVisible());
        QCOMPARE(e->dialog->result(), int(QDialog::Rejected));
    }

    void refusedEntryAddsNothingAndFocusesTheFirstGap_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("pin");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("focus");
        QTest::newRow("nothing chosen") << -1 << -1 << ""
                                        << "" << QStringList{"Bitte Art auswählen"} << "Art";
        QTest::newRow("5-tone without pin, ton3 empty")
            << 0 << -1 << "Schleife"
            << "11_11"
            << QStringList{"Bitte Pin auswählen", "Die Kennung wurde nicht vollständig eingestellt"}
            << "Pin";
        QTest::newRow("no description")
            << 0 << 0 << ""
            << "12345" << QStringList{"Bitte Beschreibung angeben"} << "Beschreibung";
    }

    void refusedEntryAddsNothingAndFocusesTheFirstGap() {
        QFETCH(int, kind);
        QFETCH(int, pin);
        QFETCH(QString, description);
        QFETCH(QString, code);
        QFETCH(QStringList, messages);
        QFETCH(QString, focus);
        TempProgramDir dir;
        ScriptedBoxes boxes;
        for (const QString& message : messages) boxes.expect(BoxKind::Plain, message);
        Editor e(dir);
        e.showActive();
        if (kind >= 0) e.art()->button(kind)->click();
        if (kind >= 0) QVERIFY(e.shows(kPanels[kind]));
        e.pin()->setCurrentIndex(pin);
        e.description()->setText(description);
        e.choose("ton", code);
        e.get("Eintragen")->setFocus();
        e.click("Eintragen");
        VERIFY_BOXES(boxes);
        QCOMPARE(e.rows(), 0);
        QWidget* focused = QApplication::focusWidget();
        QVERIFY2(
            focused == e.get(qPrintable(focus)) || e.get(qPrintable(focus))->isAncestorOf(focused),
            qPrintable(focused ? focused->objectName() : "no focus"));
        QCOMPARE(e.description()->text(), description);
        QCOMPARE(e.art()->itemIndex(), kind);
    }

    // A description of blanks counts; adding shows the audio path (none).
    void blankDescriptionIsAnEntry() {
        TempProgramDir dir;
        ScriptedBoxes boxes;
        boxes.expect(BoxKind::Plain, QString());
        Editor e(dir);
        e.art()->setItemIndex(0);
        e.pin()->setCurrentIndex(0);
        e.choose("ton", "12345");
        e.description()->setText(QStringLiteral("  "));
        e.click("Eintragen");
        VERIFY_BOXES(boxes);
        QCOMPARE(e.rows(), 1);
        QCOMPARE(e.cell(0, ConditionListModel::Description), QStringLiteral("  "));
    }

    // After adding, the editor is cleared while the kind's panel stays shown.
    void completeFmsEntryIsAddedSavedAndTheEditorCleared() {
        TempProgramDir dir;
        ScriptedBoxes boxes;
        Editor e(dir);
        e.dialog->show();
        e.art()->button(2)->click();
        e.pin()->setCurrentIndex(1);
        e.description()->setText(QStringLiteral("RTW Süd"));
        e.choose("FMS", "61234567??");
        e.fileAnswers << QStringLiteral("/snd/gong.wav");
        e.click("andern");
        boxes.expect(BoxKind::Plain, gongShown());
        e.click("Eintragen");
        VERIFY_BOXES(boxes);
        QCOMPARE(e.rows(), 1);
        QCOMPARE(e.row(0), (QStringList{"Pin 4 (DTR)", "FMS-Kennung", "61234567??", "RTW Süd",
                                        "gong.wav", "2", "1", gongShown()}));
        QCOMPARE(e.pin()->currentIndex(), -1);
        QCOMPARE(e.art()->itemIndex(), -1);
        QCOMPARE(e.description()->text(), QString());
        for (const char* label : {"Pfad", "Datei", "kennung"}) QCOMPARE(e.label(label), QString());
        QCOMPARE(e.chosen("FMS"), QString(9, ','));
        QVERIFY(e.shows("FMS"));
        e.click("ok");
        QCOMPARE(dir.read("Alarmierung.dat"), record("1", "2",
                                                     "RTW S\xFC"
                                                     "d",
                                                     "61234567??", gongShown().toStdString()));
    }

    void takingBackFillsTheEditorAndRemovesTheRow_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("context menu") << int(ByContextMenu);
        QTest::newRow("double click on the row") << int(ByDoubleClickOnTheRow);
        QTest::newRow("double click below the rows") << int(ByDoubleClickBelowTheRows);
    }

    // The entry moves into the editor (overwriting what it held) and leaves
    // the list; saving before adding it again drops it from the file.
    // Lower-case letters match their items; a character that is no item of
    // its position leaves that selector empty.
    void takingBackFillsTheEditorAndRemovesTheRow() {
        QFETCH(int, how);
        TempProgramDir dir;
        const std::string kept = record("0", "0", "bleibt", "54321", "");
        dir.write("Alarmierung.dat", kept + record("2", "1", "Funk", "0123456?", "C:\\a\\b.wav") +
                                         record("0", "2", "klein", "6a1bcdef0x", ""));
        ScriptedBoxes boxes;
        Editor e(dir);
        e.showActive();
        e.art()->setItemIndex(1);
        e.choose("Posac", "11111111");
        e.description()->setText(QStringLiteral("wird überschrieben"));
        const auto takeBack = [&](int row) {
            e.list()->selectRow(row);
            if (how == ByContextMenu) return e.get<QAction>("ndern1")->trigger();
            QWidget* area = e.list()->viewport();
            if (how == ByDoubleClickBelowTheRows) {
                const QPoint empty(20, area->height() - 5);
                QVERIFY(!e.list()->indexAt(empty).isValid());
                return QTest::mouseDClick(area, Qt::LeftButton, {}, empty);
            }
            const QRect cell = e.list()->visualRect(e.list()->model()->index(row, 0));
            QTest::mouseClick(area, Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(area, Qt::LeftButton, {}, cell.center());
        };
        QVERIFY_CHECKS(takeBack(1));
        QCOMPARE(e.rows(), 2);
        QCOMPARE(e.cell(1, ConditionListModel::Description), QStringLiteral("klein"));
        QCOMPARE(e.art()->itemIndex(), 1);
        QVERIFY(e.shows("POSAC"));
        QCOMPARE(e.pin()->currentIndex(), 2);
        QCOMPARE(e.description()->text(), QStringLiteral("Funk"));
        QCOMPARE(e.label("Pfad"), QStringLiteral("C:\\a\\b.wav"));
        QCOMPARE(e.label("Datei"), QStringLiteral("b.wav"));
        QCOMPARE(e.label("kennung"), QStringLiteral("0123456?"));
        QCOMPARE(e.chosen("POSAC"), QStringLiteral("0,1,2,3,4,5,6,?"));
        QCOMPARE(e.list()->selectionModel()->selectedRows().size(), 0);

        QVERIFY_CHECKS(takeBack(1));
        QVERIFY(e.shows("FMS"));
        QVERIFY(!e.shows("POSAC"));
        QCOMPARE(e.chosen("FMS"), QStringLiteral("6,A,1,B,C,D,E,F,0,"));
        QCOMPARE(e.rows(), 1);
        e.click("ok");
        QCOMPARE(dir.read("Alarmierung.dat"), kept);
        VERIFY_BOXES(boxes);
    }

    // Positions past the end of a short code (a file edited elsewhere) keep
    // nothing of the earlier choice; without a selected row nothing changes.
    void takingBackAnEntryWithoutAudioClearsTheChosenAudio() {
        TempProgramDir dir;
        dir.write("Alarmierung.dat", record("1", "0", "ohne", "123", ""));
        ScriptedBoxes boxes;
        Editor e(dir);
        e.choose("ton", "99999");
        e.fileAnswers << QStringLiteral("/snd/gong.wav");
        e.click("andern");
        QCOMPARE(e.label("Datei"), QStringLiteral("gong.wav"));
        e.list()->selectRow(0);
        e.get<QAction>("ndern1")->trigger();
        QCOMPARE(e.label("Pfad"), QString());
        QCOMPARE(e.label("Datei"), QString());
        QCOMPARE(e.chosen("ZVEI"), QStringLiteral("1,2,3,,"));
        e.description()->setText(QStringLiteral("neu"));
        e.get<QAction>("ndern1")->trigger();
        QCOMPARE(e.description()->text(), QStringLiteral("neu"));
        VERIFY_BOXES(boxes);
    }

    // "Nein" keeps the row; with no row selected, "Ja" removes nothing.
    void deletingAsksFirst() {
        TempProgramDir dir;
        dir.write("Alarmierung.dat",
                  record("0", "0", "eins", "11111", "") + record("1", "0", "zwei", "22222", ""));
        ScriptedBoxes boxes;
        Editor e(dir);
        QAction* remove = e.get<QAction>("Lschen1");
        e.list()->selectRow(1);
        boxes.expect(BoxKind::Confirmation, kDeleteQuestion, false);
        remove->trigger();
        QCOMPARE(e.rows(), 2);
        boxes.expect(BoxKind::Confirmation, kDeleteQuestion, true);
        remove->trigger();
        QCOMPARE(e.rows(), 1);
        QCOMPARE(e.cell(0, ConditionListModel::Description), QStringLiteral("eins"));
        boxes.expect(BoxKind::Confirmation, kDeleteQuestion, true);
        remove->trigger();
        QCOMPARE(e.rows(), 1);
        VERIFY_BOXES(boxes);
    }

    // Cancelling the file dialog keeps the path; "Button1" clears it.
    void audioFrameChoosesClearsAndPlays() {
        TempProgramDir dir;
        SoundLibraryGuard sound;
        sound.fake().playableFiles = {gongShown().toStdString()};
        ScriptedBoxes boxes;
        Editor e(dir);
        boxes.expect(BoxKind::Plain, QStringLiteral("Datei \"\" nicht gefunden"));
        e.click("Abspielen");
        e.click("Button1");
        QCOMPARE(e.label("Pfad"), QString());

        e.fileAnswers << QStringLiteral("/snd/gong.wav") << QString();
        e.click("andern");
        QCOMPARE(e.filters, QStringList{"WAV Dateien (*.wav);;MP3 Dateien (*mp3)"});
        QCOMPARE(e.label("Pfad"), gongShown());
        e.click("andern");
        QCOMPARE(e.label("Pfad"), gongShown());
        QCOMPARE(e.starts, (QStringList{QString(), gongShown()}));  // the current file's folder
        QCOMPARE(e.label("Datei"), QStringLiteral("gong.wav"));
        e.click("Abspielen");
        e.click("Abspielen");
        QCOMPARE(sound.fake().played.size(), 2u);
        e.click("Button1");
        QCOMPARE(e.label("Pfad"), QString());
        QCOMPARE(e.label("Datei"), QString());
        VERIFY_BOXES(boxes);
    }

    void cancellingAsksAndNeinKeepsTheDialog() {
        TempProgramDir dir;
        ScriptedBoxes boxes;
        Editor e(dir);
        e.dialog->show();
        e.art()->setItemIndex(0);
        QVERIFY_CHECKS(cancelKeepingThenDropping(boxes, *e.dialog, "BitBtn3",
                                                 [&] { QCOMPARE(e.art()->itemIndex(), 0); }));
        QVERIFY(!dir.exists("Alarmierung.dat"));
        VERIFY_BOXES(boxes);
    }

    // No button is a default button, so Enter while typing a description
    // neither opens the file dialog nor closes the window.
    void enterInTheDescriptionPressesNoButton() {
        TempProgramDir dir;
        ScriptedBoxes boxes;
        Editor e(dir);
        e.showActive();
        e.description()->setFocus();
        QTest::keyClicks(e.description(), QStringLiteral("Text"));
        QTest::keyClick(e.description(), Qt::Key_Return);
        QVERIFY(e.filters.isEmpty());
        QVERIFY(e.dialog->isVisible());
        VERIFY_BOXES(boxes);
    }
};

QTEST_MAIN(TestBedingung)
#include "tst_bedingung.moc"
