#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "common/TestPlatform.h"
#include "devices/system/Companion.h"
#include "devices/system/Shell.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "tools/FunktTest.h"
#include "ui/AlarmCodePanel.h"
#include "ui/RadioGroup.h"

using dravel::tools::TFunktionsTest;

using namespace dravel::testing;
using dravel::ui::BoxKind;

namespace {

constexpr const char* kArgumentsFile = "kalvor-args.txt";

// The platform's own shell for the lifetime of the guard, whatever an
// earlier test installed.
class PlatformShellGuard {
private:
    ScopedHook<std::unique_ptr<dravel::devices::Shell>> shell_{
        dravel::devices::replaceShell, dravel::devices::createPlatformShell()};
};

// Puts the stand-in companion into the program directory under a name whose
// case differs from the one the simulation looks for.
// Taken at start, before a test changes the working folder: on Windows a path without a drive
// depends on it.
const QString kStandIn = QFileInfo(QStringLiteral(DRAVEL_KALVOR_STANDIN)).absoluteFilePath();

void installCompanion(const TempProgramDir& dir, const std::string& name = "Kalvor") {
    const QString target = QString::fromStdString(dir.file(testplatform::executableName(name)));
    QVERIFY(QFile::copy(kStandIn, target));
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// What the stand-in recorded, once a whole line is there (empty on timeout).
std::string waitForArguments(const TempProgramDir& dir) {
    std::string recorded;
    const bool whole = QTest::qWaitFor(
        [&] { return (recorded = dir.read(kArgumentsFile)).ends_with('\n'); }, 10000);
    return whole ? recorded : std::string();
}

struct Simulation {
    TFunktionsTest dialog;

    template <typename T = QWidget>
    T* get(const char* name) {
        return child<T>(dialog, QString::fromUtf8(name));
    }
    dravel::ui::RadioGroup* art() { return get<dravel::ui::RadioGroup>("Art"); }
    void chooseKind(int item) { art()->button(item)->click(); }
    // Sets the boxes prefix1, prefix2, ... to the characters of code.
    void choose(const char* prefix, const QString& code) {
        for (int i = 0; i < code.size(); ++i) {
            auto* box = get<QComboBox>(qPrintable(prefix + QString::number(i + 1)));
            box->setCurrentIndex(box->findText(code.mid(i, 1)));
            if (box->currentText() != code.mid(i, 1)) qFatal("%s lacks an item", prefix);
        }
    }
    // Which of the frames ZVEI, FMS and POSAC are shown.
    QList<bool> framesShown() {
        QList<bool> shown;
        for (const char* name : {"ZVEI", "FMS", "POSAC"}) shown << get(name)->isVisibleTo(&dialog);
        return shown;
    }
    void testen() { get<QPushButton>("BitBtn1")->click(); }
};

const QString kNotFound = QStringLiteral(
    "Die \"Kalvor.EXE\" wurde nicht gefunden\n\r"
    "Bitte stellen Sie sicher, das Sie sich in dem gleichen Verzeichniss befindet");

}  // namespace

class TestFunktTest : public QObject {
    Q_OBJECT
private slots:
    void windowHasItsControls();
    void choosingAKindShowsItsFrameAndKeepsSelections();
    void testenStartsTheCompanionWithOneArgument_data();
    void testenStartsTheCompanionWithOneArgument();
    void incompleteCodeStartsNothing();
    void neinStartsNothing();
    void missingCompanionShowsTheTwoLineMessage();
    void companionIsFoundInTheProgramDirectoryWithoutRegardToCase();
    void zurueckClosesWithoutAQuestion();
};

void TestFunktTest::windowHasItsControls() {
    Simulation s;
    QCOMPARE(s.dialog.windowTitle(), QStringLiteral("FunktionsTest"));
    QCOMPARE(s.art()->items(),
             (QStringList{"Keine Parameter Übergeben", "5-Tonfolge", "FMS-Telegramm", "POSAC"}));
    QCOMPARE(s.art()->itemIndex(), 0);
    QCOMPARE(s.get<QPushButton>("BitBtn1")->text(), QStringLiteral("Testen"));
    QCOMPARE(s.get<QPushButton>("BitBtn2")->text(), QStringLiteral("Zurück"));
    QVERIFY(!s.get("Kennung")->isVisibleTo(&s.dialog));
    QCOMPARE(s.framesShown(), (QList<bool>{false, false, false}));
    for (const char* name : {"ZVEI", "FMS", "POSAC"})
        QCOMPARE(s.get<dravel::ui::AlarmCodePanel>(name)->selector(1)->currentIndex(), -1);
}

// The window grows to show the chosen kind's frame; each frame keeps its
// selections; no kind names "NIL".
void TestFunktTest::choosingAKindShowsItsFrameAndKeepsSelections() {
    Simulation s;
    const int smallHeight = s.dialog.height();
    s.chooseKind(1);
    QVERIFY(s.dialog.height() > smallHeight);
    QCOMPARE(s.framesShown(), (QList<bool>{true, false, false}));
    QCOMPARE(s.get<QLabel>("Kennung")->text(), QString());
    s.choose("ton", "3");
    s.chooseKind(2);
    QCOMPARE(s.framesShown(), (QList<bool>{false, true, false}));
    s.chooseKind(3);
    QCOMPARE(s.framesShown(), (QList<bool>{false, false, true}));
    s.chooseKind(1);
    QCOMPARE(s.get<QComboBox>("ton1")->currentText(), QStringLiteral("3"));
    s.chooseKind(0);
    QCOMPARE(s.dialog.height(), smallHeight);
    QCOMPARE(s.framesShown(), (QList<bool>{false, false, false}));
    QCOMPARE(s.get<QLabel>("Kennung")->text(), QStringLiteral("NIL"));
}

void TestFunktTest::testenStartsTheCompanionWithOneArgument_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("question");
    QTest::newRow("no code") << 0 << QString() << QString() << "Alarmfunktion Ausführen?";
    QTest::newRow("5-tone") << 1 << "ton"
                            << "12345"
                            << "Alarmfunktion mit 5-Tonfolge Kennung \"12345\" Ausführen?";
    QTest::newRow("5-tone with ?") << 1 << "ton"
                                   << "12?45"
                                   << "Alarmfunktion mit 5-Tonfolge Kennung \"12?45\" Ausführen?";
    QTest::newRow("FMS") << 2 << "FMS"
                         << "6123456780"
                         << "Alarmfunktion mit FMS-Telegramm Kennung \"6123456780\" Ausführen?";
    QTest::newRow("POSAC") << 3 << "Posac"
                           << "21234564"
                           << "Alarmfunktion mit POSAC Kennung \"21234564\" Ausführen?";
}

// The stand-in companion is started through the real shell, from the
// program directory, and records the arguments it received.
void TestFunktTest::testenStartsTheCompanionWithOneArgument() {
    QFETCH(int, item);
    QFETCH(QString, prefix);
    QFETCH(QString, code);
    QFETCH(QString, question);
    TempProgramDir dir;
    QVERIFY_CHECKS(installCompanion(dir));
    PlatformShellGuard shell;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Confirmation, question, true);
    Simulation s;
    s.chooseKind(1);
    s.choose("ton", "9");  // boxes of another kind do not count
    s.chooseKind(item);
    if (!prefix.isEmpty()) s.choose(qPrintable(prefix), code);
    s.testen();
    VERIFY_BOXES(boxes);
    const QString expected = code.isEmpty() ? QStringLiteral("NIL") : code;
    QCOMPARE(QString::fromStdString(waitForArguments(dir)), "1\t" + expected + "\n");
    QCOMPARE(s.get<QLabel>("Kennung")->text(), code);
}

void TestFunktTest::incompleteCodeStartsNothing() {
    TempProgramDir dir;
    ShellGuard shell;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Plain, QStringLiteral("Die Kennung wurde nicht vollständig eingestellt"));
    Simulation s;
    s.chooseKind(3);
    s.choose("Posac", "21234564");
    s.get<QComboBox>("Posac5")->setCurrentIndex(-1);
    s.testen();
    VERIFY_BOXES(boxes);
    QVERIFY(shell.shell().started.empty());
    QCOMPARE(s.get<QComboBox>("Posac4")->currentText(), QStringLiteral("3"));
}

void TestFunktTest::neinStartsNothing() {
    TempProgramDir dir;
    ShellGuard shell;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Confirmation, QStringLiteral("Alarmfunktion Ausführen?"), false);
    Simulation s;
    s.dialog.show();
    s.testen();
    VERIFY_BOXES(boxes);
    QVERIFY(shell.shell().started.empty());
    QVERIFY(s.dialog.isVisible());
}

// Neither a file that cannot be run nor a folder is taken for the program.
void TestFunktTest::missingCompanionShowsTheTwoLineMessage() {
    TempProgramDir dir;
    dir.write("KALVOR", "#!/bin/sh\n");
    QVERIFY(
        QDir().mkpath(QString::fromStdString(dir.file(testplatform::executableName("kalvor")))));
    PlatformShellGuard shell;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Confirmation, QStringLiteral("Alarmfunktion Ausführen?"), true)
        .expect(BoxKind::Plain, kNotFound);
    Simulation s;
    s.dialog.show();
    s.testen();
    VERIFY_BOXES(boxes);
    QVERIFY(s.dialog.isVisible());
}

void TestFunktTest::companionIsFoundInTheProgramDirectoryWithoutRegardToCase() {
    TempProgramDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath());
    QCOMPARE(dravel::devices::companionProgramPath(),
             dir.file(testplatform::executableName("kalvor")));
    dir.write("kalvor.txt", "");
    QVERIFY_CHECKS(installCompanion(dir, "KaLvOr"));
    // Windows itself finds the file whatever the case; elsewhere its own name is looked up.
    const std::string found = testplatform::fileNamesIgnoreCase()
                                  ? testplatform::executableName("kalvor")
                                  : std::string("KaLvOr");
    QCOMPARE(dravel::devices::companionProgramPath(), dir.file(found));
    if (!testplatform::fileNamesIgnoreCase()) {
        QVERIFY_CHECKS(installCompanion(dir, "kalvor"));
        QCOMPARE(dravel::devices::companionProgramPath(), dir.file(found));  // name order decides
    }
    QDir::setCurrent(previous);

    ShellGuard shell;
    ScriptedBoxes boxes;
    boxes.expect(BoxKind::Confirmation, QStringLiteral("Alarmfunktion Ausführen?"), true);
    Simulation s;
    s.testen();
    using Started = std::vector<std::pair<std::string, std::string>>;
    QCOMPARE(shell.shell().started, (Started{{dir.file(found), "NIL"}}));
}

void TestFunktTest::zurueckClosesWithoutAQuestion() {
    ScriptedBoxes boxes;  // expects no box at all
    Simulation s;
    s.dialog.show();
    s.get<QPushButton>("BitBtn2")->click();
    QVERIFY(!s.dialog.isVisible());
    QCOMPARE(s.dialog.result(), int(QDialog::Rejected));
    s.dialog.show();
    s.dialog.close();
    QVERIFY(!s.dialog.isVisible());
    VERIFY_BOXES(boxes);
}

QTEST_MAIN(TestFunktTest)
#include "tst_funkttest.moc"
