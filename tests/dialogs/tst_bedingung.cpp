#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <memory>

#include "dialogs/Bedingung.h"
#include "support/TestSupport.h"
#include "ui/AlarmCodePanel.h"
#include "ui/RadioGroup.h"

using dravel::testing::ScriptedBoxes;
using dravel::testing::SoundLibraryGuard;
using dravel::testing::TempProgramDir;
using dravel::ui::BoxKind;

namespace {

// One text field of a record: length byte, Windows-1252 bytes, zero fill.
std::string field(const std::string& cp1252) {
    std::string bytes(256, '\0');
    bytes[0] = static_cast<char>(cp1252.size());
    bytes.replace(1, cp1252.size(), cp1252);
    return bytes;
}

std::string record(const std::string& pin, const std::string& kind, const std::string& description,
                   const std::string& code, const std::string& audioPath) {
    return field(pin) + field(kind) + field(description) + field(code) + field(audioPath);
}

// The editor over a program directory of its own; message boxes are
// answered by the script and the file dialog by the queued answers.
class Editor {
public:
    explicit Editor(const TempProgramDir&) : dialog(std::make_unique<TBedingungen>()) {
        dialog->chooseAudioFile = [this](QWidget*, const QString& filter) {
            filters << filter;
            return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
        };
    }

    template <typename T>
    T* get(const char* name) const {
        T* widget = dialog->findChild<T*>(QString::fromUtf8(name));
        if (!widget) qFatal("no control %s", name);
        return widget;
    }
    dravel::ui::RadioGroup* art() const { return get<dravel::ui::RadioGroup>("Art"); }
    QComboBox* pin() const { return get<QComboBox>("Pin"); }
    QLineEdit* description() const { return get<QLineEdit>("Beschreibung"); }
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
    void choose(const char* selector, const QString& item) const {
        QComboBox* box = get<QComboBox>(selector);
        box->setCurrentIndex(box->findText(item));
        if (box->currentText() != item) qFatal("%s has no item %s", selector, qPrintable(item));
    }
    void click(const char* button) const { get<QAbstractButton>(button)->click(); }
    void showActive() const {
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        if (!QTest::qWaitForWindowActive(dialog.get())) qFatal("editor not active");
    }

    std::unique_ptr<TBedingungen> dialog;
    QStringList fileAnswers;
    QStringList filters;
};

void chooseAll(const Editor& editor, const char* prefix, const QString& code) {
    for (int i = 0; i < code.size(); ++i)
        editor.choose(qPrintable(QString::fromUtf8(prefix) + QString::number(i + 1)),
                      code.mid(i, 1));
}

// The widget that Tab moves to from w.
QWidget* nextTabStop(QWidget* w) {
    for (QWidget* next = w->nextInFocusChain(); next != w; next = next->nextInFocusChain())
        if (next->focusPolicy() & Qt::TabFocus) return next;
    return nullptr;
}

QStringList selectionsOf(const Editor& editor, const char* panel) {
    QStringList items;
    const auto* frame = editor.get<dravel::ui::AlarmCodePanel>(panel);
    for (int p = 1; p <= frame->positionCount(); ++p) items << frame->selector(p)->currentText();
    return items;
}

}  // namespace

class TestBedingung : public QObject {
    Q_OBJECT
private slots:
    void windowHasItsControlsAndListColumns();
    void kindPanelsHaveTheirSelectorsLabelsAndKeyboardOrder();
    void missingFileGivesAnEmptyListAndSavingCreatesAnEmptyFile();
    void entriesOfAFileAreShownAndWrittenBackUnchanged();
    void unreadableFileIsReportedAndTheEditorOpens();
    void failedWriteIsReportedAndKeepsTheDialogAndTheFile();
    void nothingChosenAsksOnlyForTheKind();
    void fiveToneWithoutPinAndIncompleteCodeAddsNothing();
    void descriptionMustNotBeEmptyButBlanksCount();
    void completeFmsEntryIsAddedSavedAndTheEditorCleared();
    void takingBackFillsTheEditorAndRemovesTheRow_data();
    void takingBackFillsTheEditorAndRemovesTheRow();
    void takingBackAnEntryWithoutAudioClearsTheChosenAudio();
    void deletingAsksFirst();
    void audioFrameChoosesClearsAndPlays();
    void cancellingAsksAndNeinKeepsTheDialog();
    void enterInTheDescriptionPressesNoButton();
};

void TestBedingung::windowHasItsControlsAndListColumns() {
    TempProgramDir dir;
    Editor e(dir);
    QCOMPARE(e.dialog->objectName(), QStringLiteral("Bedingungen"));
    QCOMPARE(e.dialog->windowTitle(), QStringLiteral("Bedingungen"));
    QCOMPARE(e.dialog->size(), QSize(600 - 8, 601 - 31));
    QCOMPARE(e.art()->title(), QStringLiteral("Art"));
    QCOMPARE(e.art()->items(), (QStringList{"5-Tonfolgen", "POSAC", "FMS-Kennung"}));
    QCOMPARE(e.art()->itemIndex(), -1);
    QCOMPARE(e.get<QGroupBox>("Audio")->title(), QStringLiteral("Audio-Datei (Optional)"));
    QCOMPARE(e.get<QGroupBox>("Einstell")->title(),
             QStringLiteral("Bitte Freigabe im Menü \"Einstellungen ComPort\" prüfen"));
    QStringList pins;
    for (int i = 0; i < e.pin()->count(); ++i) pins << e.pin()->itemText(i);
    QCOMPARE(pins, (QStringList{"Pin 3 (TXD)", "Pin 4 (DTR)", "Pin 7 (RTS)"}));
    QCOMPARE(e.pin()->currentIndex(), -1);
    QCOMPARE(e.get<QPushButton>("Eintragen")->text(), QStringLiteral("Übernehmen"));
    QCOMPARE(e.get<QPushButton>("ok")->text(), QStringLiteral("Übernehmen"));
    QVERIFY(!e.get<QLabel>("Pfad")->isVisibleTo(e.dialog.get()));
    QVERIFY(!e.get<QLabel>("kennung")->isVisibleTo(e.dialog.get()));
    QCOMPARE(e.get<QMenu>("PopupMenu")->actions(),
             (QList<QAction*>{e.get<QAction>("ndern1"), e.get<QAction>("Lschen1")}));

    QTableView* list = e.list();
    e.dialog->show();
    const QPoint at(20, 20);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &rightClick);
    QVERIFY(e.get<QMenu>("PopupMenu")->isVisible());
    e.get<QMenu>("PopupMenu")->hide();

    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(list->showGrid());
    const QStringList titles = {"Pin",   "Art", "Kennung", "Beschreibung",
                                "Audio", "Typ", "Pin",     "Pfad"};
    const int widths[] = {70, 85, 85, 150, 150, 0, 0, 0};
    QCOMPARE(list->model()->columnCount(), 8);
    for (int c = 0; c < 8; ++c) {
        QCOMPARE(list->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        QCOMPARE(list->horizontalHeader()->sectionSize(c), widths[c]);
        QCOMPARE(list->isColumnHidden(c), widths[c] == 0);
    }
    for (const char* panel : {"ZVEI", "POSAC", "FMS"}) {
        QVERIFY(!e.get<QGroupBox>(panel)->isVisibleTo(e.dialog.get()));
        QCOMPARE(e.get<QGroupBox>(panel)->parentWidget(), e.get<QGroupBox>("Einstell"));
        QCOMPARE(e.get<QGroupBox>(panel)->pos(), QPoint(16, 65));
    }
}

void TestBedingung::kindPanelsHaveTheirSelectorsLabelsAndKeyboardOrder() {
    TempProgramDir dir;
    Editor e(dir);
    struct Expected {
        const char* panel;
        const char* caption;
        QSize size;
        QStringList names;
        QList<int> lefts;
        int top;
        QStringList items;
        QList<int> visible;
    };
    const QString digits = "0,1,2,3,4,5,6,7,8,9,?";
    const QString hex = "0,1,2,3,4,5,6,7,8,9,A,B,C,D,E,F,?";
    const Expected panels[] = {
        {"ZVEI",
         "5-Ton",
         {265, 90},
         {"ton1", "ton2", "ton3", "ton4", "ton5"},
         {50, 80, 110, 140, 170},
         35,
         QStringList(5, digits),
         {12, 12, 12, 12, 12}},
        {"POSAC",
         "POSAC",
         {321, 90},
         {"Posac1", "Posac2", "Posac3", "Posac4", "Posac5", "Posac6", "Posac7", "Posac8"},
         {10, 40, 70, 100, 130, 160, 190, 234},
         40,
         QStringList{"0,1,2,?"} + QStringList(6, digits) + QStringList{"0,1,2,3,4,?"},
         {12, 12, 12, 12, 12, 12, 12, 8}},
        {"FMS",
         "FMS",
         {433, 90},
         {"FMS1", "FMS2", "FMS3", "FMS4", "FMS5", "FMS6", "FMS7", "FMS8", "FMS9", "FMS10"},
         {10, 50, 100, 130, 180, 210, 240, 270, 320, 370},
         40,
         QStringList(9, hex) + QStringList{"0,1,?"},
         QList<int>(10, 18)},
    };
    for (const Expected& x : panels) {
        auto* panel = e.get<dravel::ui::AlarmCodePanel>(x.panel);
        QCOMPARE(panel->title(), QString::fromUtf8(x.caption));
        QCOMPARE(panel->size(), x.size);
        QCOMPARE(panel->positionCount(), x.names.size());
        for (int p = 1; p <= panel->positionCount(); ++p) {
            QComboBox* box = panel->selector(p);
            const int i = p - 1;
            QCOMPARE(box->objectName(), x.names[i]);
            QCOMPARE(box->geometry(), QRect(x.lefts[i], x.top, 33, 19));
            QStringList items;
            for (int k = 0; k < box->count(); ++k) items << box->itemText(k);
            QCOMPARE(items.join(','), x.items[i]);
            QCOMPARE(box->currentIndex(), -1);
            QVERIFY(!box->isEditable());
            QCOMPARE(box->maxVisibleItems(), x.visible[i]);
            if (p > 1) QCOMPARE(nextTabStop(panel->selector(p - 1)), box);
        }
    }
    const auto labelAt = [&](const char* panel, const char* text) {
        for (QLabel* l : e.get<QGroupBox>(panel)->findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(text)) return l->geometry();
        return QRect();
    };
    QCOMPARE(labelAt("POSAC", "RIC").topLeft(), QPoint(16, 20));
    QCOMPARE(labelAt("POSAC", "Funktion").topLeft(), QPoint(232, 20));
    QCOMPARE(labelAt("FMS", "BOS").left(), 10);
    QCOMPARE(labelAt("FMS", "Ort").width(), 63);
    QCOMPARE(labelAt("FMS", "Fahrzeug").left(), 180);
    QCOMPARE(labelAt("FMS", "Fahrzeug").width(), 123);
    QCOMPARE(labelAt("FMS", "Richtung").left(), 362);
    QCOMPARE(labelAt("FMS", "Status").top(), 20);
    QVERIFY(e.get<QGroupBox>("ZVEI")->findChildren<QLabel*>().isEmpty());
    QCOMPARE(nextTabStop(e.description()), e.get<QComboBox>("ton1"));
    QCOMPARE(nextTabStop(e.get<QComboBox>("FMS10")), e.get<QPushButton>("Eintragen"));
}

void TestBedingung::missingFileGivesAnEmptyListAndSavingCreatesAnEmptyFile() {
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
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

// Entries that name no pin or kind (a file edited elsewhere) are shown with
// their own text, and no entry is dropped or altered by opening and saving.
void TestBedingung::entriesOfAFileAreShownAndWrittenBackUnchanged() {
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
    QCOMPARE(e.row(0), (QStringList{"Pin 4 (DTR)", "5-Tonfolgen", "12345", "Wache Süd", "gong.wav",
                                    "0", "1", "C:\\Kalvor\\Töne\\gong.wav"}));
    QCOMPARE(e.row(1), (QStringList{"7", "9", "ABC", "fremd", "", "9", "7", ""}));
    QCOMPARE(e.row(2).mid(0, 3), (QStringList{"Pin 7 (RTS)", "POSAC", "0123456?"}));
    QCOMPARE(e.row(3), (QStringList{"Pin 4 (DTR)", "FMS-Kennung", "6123456780", "", "sirene.mp3",
                                    "2", "01", "/snd/sirene.mp3"}));
    e.click("ok");
    QCOMPARE(dir.read("Alarmierung.dat"), file);
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestBedingung::unreadableFileIsReportedAndTheEditorOpens() {
    TempProgramDir dir;
    QVERIFY(QDir().mkpath(QString::fromStdString(dir.file("Alarmierung.dat"))));
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Error, QStringLiteral("Dateizugriff verweigert."));
    Editor e(dir);
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(e.rows(), 0);
}

// The list stays in the open dialog when the file cannot be written, and
// the file keeps its previous entries.
void TestBedingung::failedWriteIsReportedAndKeepsTheDialogAndTheFile() {
    TempProgramDir dir;
    const std::string file = record("0", "0", "alt", "11111", "");
    dir.write("Alarmierung.dat", file);
    QFile::setPermissions(QString::fromStdString(dir.file("Alarmierung.dat")), QFile::ReadOwner);
    ScriptedBoxes boxes;
    Editor e(dir);
    e.dialog->show();
    e.list()->selectRow(0);
    boxes.expect(BoxKind::Confirmation, QStringLiteral("Zeile Wirklich löschen?"));
    e.get<QAction>("Lschen1")->trigger();
    boxes.expect(BoxKind::Error, QStringLiteral("Dateizugriff verweigert."));
    e.click("ok");
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QVERIFY(e.dialog->isVisible());
    QCOMPARE(dir.read("Alarmierung.dat"), file);
}

void TestBedingung::nothingChosenAsksOnlyForTheKind() {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Plain, QStringLiteral("Bitte Art auswählen"));
    Editor e(dir);
    e.showActive();
    e.description()->setFocus();
    e.click("Eintragen");
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(boxes.shown().front().title, QStringLiteral("Dravel"));
    QVERIFY(e.art()->isAncestorOf(QApplication::focusWidget()));
    QCOMPARE(e.rows(), 0);
}

void TestBedingung::fiveToneWithoutPinAndIncompleteCodeAddsNothing() {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Plain, QStringLiteral("Bitte Pin auswählen"))
        .expect(BoxKind::Plain, QStringLiteral("Die Kennung wurde nicht vollständig eingestellt"));
    Editor e(dir);
    e.showActive();
    e.art()->button(0)->click();
    QVERIFY(e.get<QGroupBox>("ZVEI")->isVisible());
    e.description()->setText(QStringLiteral("Schleife"));
    for (const char* name : {"ton1", "ton2", "ton4", "ton5"}) e.choose(name, "1");
    e.click("Eintragen");
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(e.rows(), 0);
    QCOMPARE(QApplication::focusWidget(), e.pin());
    QCOMPARE(e.description()->text(), QStringLiteral("Schleife"));
    QCOMPARE(e.art()->itemIndex(), 0);
}

void TestBedingung::descriptionMustNotBeEmptyButBlanksCount() {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Plain, QStringLiteral("Bitte Beschreibung angeben"));
    Editor e(dir);
    e.showActive();
    e.art()->setItemIndex(0);
    e.pin()->setCurrentIndex(0);
    chooseAll(e, "ton", "12345");
    e.click("Eintragen");
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(QApplication::focusWidget(), e.description());
    QCOMPARE(e.rows(), 0);

    boxes.expect(BoxKind::Plain, QString());  // the audio path: none
    e.description()->setText(QStringLiteral("  "));
    e.click("Eintragen");
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(e.rows(), 1);
    QCOMPARE(e.cell(0, ConditionListModel::Description), QStringLiteral("  "));
}

void TestBedingung::completeFmsEntryIsAddedSavedAndTheEditorCleared() {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    Editor e(dir);
    e.dialog->show();
    e.art()->button(2)->click();
    e.pin()->setCurrentIndex(1);
    e.description()->setText(QStringLiteral("RTW Süd"));
    chooseAll(e, "FMS", "61234567??");
    e.fileAnswers << QStringLiteral("/snd/gong.wav");
    e.click("andern");
    boxes.expect(BoxKind::Plain, QStringLiteral("/snd/gong.wav"));
    e.click("Eintragen");
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(e.rows(), 1);
    QCOMPARE(e.row(0), (QStringList{"Pin 4 (DTR)", "FMS-Kennung", "61234567??", "RTW Süd",
                                    "gong.wav", "2", "1", "/snd/gong.wav"}));

    QCOMPARE(e.pin()->currentIndex(), -1);
    QCOMPARE(e.art()->itemIndex(), -1);
    QCOMPARE(e.description()->text(), QString());
    QCOMPARE(e.get<QLabel>("Pfad")->text(), QString());
    QCOMPARE(e.get<QLabel>("Datei")->text(), QString());
    QCOMPARE(e.get<QLabel>("kennung")->text(), QString());
    QCOMPARE(selectionsOf(e, "FMS"), QStringList(10, QString()));
    QVERIFY(e.get<QGroupBox>("FMS")->isVisible());

    e.click("ok");
    QCOMPARE(dir.read("Alarmierung.dat"), record("1", "2",
                                                 "RTW S\xFC"
                                                 "d",
                                                 "61234567??", "/snd/gong.wav"));
}

void TestBedingung::takingBackFillsTheEditorAndRemovesTheRow_data() {
    QTest::addColumn<bool>("byDoubleClick");
    QTest::newRow("context menu") << false;
    QTest::newRow("double click") << true;
}

// The entry moves into the editor (overwriting what it held) and leaves the
// list; saving before adding it again drops it from the file.
void TestBedingung::takingBackFillsTheEditorAndRemovesTheRow() {
    QFETCH(bool, byDoubleClick);
    TempProgramDir dir;
    const std::string kept = record("0", "0", "bleibt", "54321", "");
    dir.write("Alarmierung.dat", kept + record("2", "1", "Funk", "0123456?", "C:\\a\\b.wav") +
                                     record("0", "2", "klein", "6a1bcdef0x", ""));
    ScriptedBoxes boxes;
    Editor e(dir);
    e.showActive();
    e.art()->setItemIndex(1);
    chooseAll(e, "Posac", "11111111");
    e.description()->setText(QStringLiteral("wird überschrieben"));

    const auto takeBack = [&](int row) {
        e.list()->selectRow(row);
        if (!byDoubleClick) return e.get<QAction>("ndern1")->trigger();
        const QRect cell = e.list()->visualRect(e.list()->model()->index(row, 0));
        QTest::mouseClick(e.list()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(e.list()->viewport(), Qt::LeftButton, {}, cell.center());
    };
    takeBack(1);
    QCOMPARE(e.rows(), 2);
    QCOMPARE(e.cell(1, ConditionListModel::Description), QStringLiteral("klein"));
    QCOMPARE(e.art()->itemIndex(), 1);
    QVERIFY(e.get<QGroupBox>("POSAC")->isVisible());
    QCOMPARE(e.pin()->currentIndex(), 2);
    QCOMPARE(e.description()->text(), QStringLiteral("Funk"));
    QCOMPARE(e.get<QLabel>("Pfad")->text(), QStringLiteral("C:\\a\\b.wav"));
    QCOMPARE(e.get<QLabel>("Datei")->text(), QStringLiteral("b.wav"));
    QCOMPARE(e.get<QLabel>("kennung")->text(), QStringLiteral("0123456?"));
    QCOMPARE(selectionsOf(e, "POSAC").join(""), QStringLiteral("0123456?"));
    QCOMPARE(e.list()->selectionModel()->selectedRows().size(), 0);

    // Lower-case letters match their items; a character that is no item of
    // its position leaves that selector empty.
    takeBack(1);
    QVERIFY(e.get<QGroupBox>("FMS")->isVisible());
    QVERIFY(!e.get<QGroupBox>("POSAC")->isVisible());
    QCOMPARE(selectionsOf(e, "FMS"),
             (QStringList{"6", "A", "1", "B", "C", "D", "E", "F", "0", ""}));
    QCOMPARE(e.rows(), 1);

    e.click("ok");
    QCOMPARE(dir.read("Alarmierung.dat"), kept);
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestBedingung::takingBackAnEntryWithoutAudioClearsTheChosenAudio() {
    TempProgramDir dir;
    dir.write("Alarmierung.dat", record("1", "0", "ohne", "123", ""));
    ScriptedBoxes boxes;
    Editor e(dir);
    chooseAll(e, "ton", "99999");
    e.fileAnswers << QStringLiteral("/snd/gong.wav");
    e.click("andern");
    QCOMPARE(e.get<QLabel>("Datei")->text(), QStringLiteral("gong.wav"));
    e.list()->selectRow(0);
    e.get<QAction>("ndern1")->trigger();
    QCOMPARE(e.get<QLabel>("Pfad")->text(), QString());
    QCOMPARE(e.get<QLabel>("Datei")->text(), QString());
    // Positions past the end of a short code (a file edited elsewhere) keep
    // nothing of the earlier choice.
    QCOMPARE(selectionsOf(e, "ZVEI"), (QStringList{"1", "2", "3", "", ""}));

    // Without a selected row "Ändern" changes nothing.
    e.description()->setText(QStringLiteral("neu"));
    e.get<QAction>("ndern1")->trigger();
    QCOMPARE(e.description()->text(), QStringLiteral("neu"));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestBedingung::deletingAsksFirst() {
    TempProgramDir dir;
    dir.write("Alarmierung.dat",
              record("0", "0", "eins", "11111", "") + record("1", "0", "zwei", "22222", ""));
    ScriptedBoxes boxes;
    Editor e(dir);
    QAction* remove = e.get<QAction>("Lschen1");
    e.list()->selectRow(1);
    boxes.expect(BoxKind::Confirmation, QStringLiteral("Zeile Wirklich löschen?"), false);
    remove->trigger();
    QCOMPARE(e.rows(), 2);

    boxes.expect(BoxKind::Confirmation, QStringLiteral("Zeile Wirklich löschen?"), true);
    remove->trigger();
    QCOMPARE(e.rows(), 1);
    QCOMPARE(e.cell(0, ConditionListModel::Description), QStringLiteral("eins"));

    // With no row selected, "Ja" removes nothing.
    boxes.expect(BoxKind::Confirmation, QStringLiteral("Zeile Wirklich löschen?"), true);
    remove->trigger();
    QCOMPARE(e.rows(), 1);
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
    QCOMPARE(boxes.shown().front().title, QStringLiteral("Bestätigung"));
}

void TestBedingung::audioFrameChoosesClearsAndPlays() {
    TempProgramDir dir;
    SoundLibraryGuard sound;
    sound.fake().playableFiles = {"/snd/gong.wav"};
    ScriptedBoxes boxes;
    Editor e(dir);
    QLabel* path = e.get<QLabel>("Pfad");
    QLabel* name = e.get<QLabel>("Datei");

    boxes.expect(BoxKind::Plain, QStringLiteral("Datei \"\" nicht gefunden"));
    e.click("Abspielen");
    e.click("Button1");  // nothing held: nothing happens
    QCOMPARE(path->text(), QString());

    e.fileAnswers << QStringLiteral("/snd/gong.wav") << QString();
    e.click("andern");
    QCOMPARE(e.filters, QStringList{"WAV Dateien (*.wav);;MP3 Dateien (*mp3)"});
    QCOMPARE(path->text(), QStringLiteral("/snd/gong.wav"));
    QCOMPARE(name->text(), QStringLiteral("gong.wav"));
    e.click("andern");  // cancelled
    QCOMPARE(path->text(), QStringLiteral("/snd/gong.wav"));
    QCOMPARE(name->text(), QStringLiteral("gong.wav"));

    e.click("Abspielen");
    e.click("Abspielen");
    QCOMPARE(sound.fake().played.size(), 2u);

    e.click("Button1");
    QCOMPARE(path->text(), QString());
    QCOMPARE(name->text(), QString());
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

void TestBedingung::cancellingAsksAndNeinKeepsTheDialog() {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    Editor e(dir);
    e.dialog->show();
    e.art()->setItemIndex(0);
    boxes.expect(BoxKind::Confirmation, QStringLiteral("Abbrechen ohne Speichern?"), false);
    e.click("BitBtn3");
    QVERIFY(e.dialog->isVisible());
    QCOMPARE(e.art()->itemIndex(), 0);

    boxes.expect(BoxKind::Confirmation, QStringLiteral("Abbrechen ohne Speichern?"), true);
    e.dialog->close();  // the close box
    QVERIFY(!e.dialog->isVisible());
    QCOMPARE(e.dialog->result(), int(QDialog::Rejected));
    QVERIFY(!dir.exists("Alarmierung.dat"));
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

// No button of the editor is a default button, so Enter while typing a
// description neither opens the file dialog nor closes the window.
void TestBedingung::enterInTheDescriptionPressesNoButton() {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    Editor e(dir);
    e.showActive();
    e.description()->setFocus();
    QTest::keyClicks(e.description(), QStringLiteral("Text"));
    QTest::keyClick(e.description(), Qt::Key_Return);
    QVERIFY(e.filters.isEmpty());
    QVERIFY(e.dialog->isVisible());
    QVERIFY2(boxes.allAnswered(), qPrintable(boxes.report()));
}

QTEST_MAIN(TestBedingung)
#include "tst_bedingung.moc"
