#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

#include "support/TestSupport.h"
#include "tools/Infofenster.h"

using dravel::testing::TempProgramDir;

namespace {

#ifdef Q_OS_WIN
const QString kSuffix = QStringLiteral(".exe");
#else
const QString kSuffix;
#endif

QString fixture(const char* name) {
    return QFileInfo(QStringLiteral(__FILE__))
               .dir()
               .filePath(QStringLiteral("../devices/version/fixtures/")) +
           QString::fromLatin1(name);
}

void install(const TempProgramDir& dir, const QString& source, const char* program) {
    const QString target = QString::fromStdString(dir.file(program)) + kSuffix;
    QVERIFY2(QFile::copy(source, target), qPrintable(source + " -> " + target));
}

QString labelText(const Tinfo& window, const char* name) {
    const auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no label %1>").arg(QLatin1String(name));
}

QTreeWidgetItem* topItem(QTreeWidget* tree, const QString& text) {
    const auto found = tree->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

// The tree as nested text, two blanks per level.
QStringList outline(const QTreeWidgetItem* item, int depth = 0) {
    QStringList lines{QString(2 * depth, u' ') + item->text(0)};
    for (int i = 0; i < item->childCount(); ++i) {
        lines += outline(item->child(i), depth + 1);
    }
    return lines;
}

}  // namespace

class TestInfofenster : public QObject {
    Q_OBJECT
private slots:
    void showsTheFileVersionsOfBothPrograms() {
        TempProgramDir dir;
        install(dir, fixture("pe64_version_1_6_1_2.exe"), "Dravel");
        install(dir, fixture("pe32_version_2_10_0_7.exe"), "Kalvor");
        const Tinfo window;
        QCOMPARE(labelText(window, "Dravel_version"), QStringLiteral("Version: 1.6.1.2"));
        QCOMPARE(labelText(window, "Kalvor_Version"), QStringLiteral("Version: 2.10.0.7"));
    }

    void missingCompanionHasNoVersionSpecification() {
        TempProgramDir dir;
        install(dir, fixture("pe64_version_1_6_1_2.exe"), "Dravel");
        Tinfo window;
        window.show();
        QVERIFY(window.isVisible());
        QCOMPARE(labelText(window, "Dravel_version"), QStringLiteral("Version: 1.6.1.2"));
        QCOMPARE(labelText(window, "Kalvor_Version"),
                 QStringLiteral("Version: No version specification"));
    }

    void showsThisProgramsOwnVersion() {
#ifdef Q_OS_WIN
        QSKIP("test executables carry no version resource");
#endif
        TempProgramDir dir;
        install(dir, QCoreApplication::applicationFilePath(), "Dravel");
        const Tinfo window;
        QVERIFY2(QRegularExpression(QStringLiteral("^Version: \\d+\\.\\d+\\.\\d+\\.\\d+$"))
                     .match(labelText(window, "Dravel_version"))
                     .hasMatch(),
                 qPrintable(labelText(window, "Dravel_version")));
    }

    void formCarriesItsTexts() {
        TempProgramDir dir;
        const Tinfo window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Version Information"));
        QStringList titles;
        for (const auto* box : window.findChildren<QGroupBox*>()) titles << box->title();
        titles.sort();
        QCOMPARE(titles, (QStringList{QString(), QStringLiteral("Dravel.exe"),
                                      QStringLiteral("Kalvor.exe")}));
        auto* memo = window.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
        QVERIFY(memo);
        QCOMPARE(memo->toPlainText(),
                 QStringLiteral("Für Schäden, die durch dieses Programm entstehen, wird \n"
                                "keine Haftung übernommen"));
        QVERIFY(memo->isReadOnly());
        QVERIFY(!(memo->focusPolicy() & Qt::TabFocus));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("Änderungs-Historie"));
    }

    void historyTreeHoldsTheReleasesCollapsed() {
        TempProgramDir dir;
        const Tinfo window;
        auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
        QVERIFY(tree);
        QStringList lines;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QVERIFY(!tree->topLevelItem(i)->isExpanded());
            lines += outline(tree->topLevelItem(i));
        }
        const QStringList expected{
            QStringLiteral("1.6"),
            QStringLiteral("  Neu"),
            QStringLiteral("    Mehrfachstart möglich"),
            QStringLiteral("  BugFix"),
            QStringLiteral("    Nach Progamende wird immer auf Mute gestellt behoben"),
            QStringLiteral("1.5"),
            QStringLiteral("  Neu"),
            QStringLiteral("    Zeit für Funktionsprobe Wählbar"),
            QStringLiteral("    Programm kann über Externen Taster beendet werden"),
            QStringLiteral("    FMS, POSAC und ZVEI abhängige Ansteuerung der Pins"),
            QStringLiteral("    2 Schaltplanversionen zugefügt"),
            QStringLiteral("    Änderungshistorie aufgenommen"),
            QStringLiteral("  BugFix"),
            QStringLiteral("    Master-Lautstärke ging auf Null, wenn nicht Aktiviert war"),
            QStringLiteral("    Fehlermeldung, wenn Kein Sound Aktiviert war"),
            QStringLiteral("    Enter-Taste in den Einstellungen war auf allen Buttons hinterlegt"),
            QStringLiteral("1.4"),
            QStringLiteral("  Neu"),
            QStringLiteral("    Verzögertes Abspielen der Sounddatei"),
            QStringLiteral("    Pin-Ansteuerung abhängig von Sound Spieldauer"),
            QStringLiteral("    Wiedergabelautstärke eines Aufnahmeeingangs kann Automatisch "
                           "verstellt werden"),
            QStringLiteral("    Zusammenfassung der Einstellungen auf Startfenster")};
        QCOMPARE(lines, expected);
        QCOMPARE(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(tree->indentation(), 19);
    }

    void selectingAReleaseExpandsItAndCollapsesTheOthers() {
        TempProgramDir dir;
        Tinfo window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
        QTreeWidgetItem* release15 = topItem(tree, QStringLiteral("1.5"));
        QTreeWidgetItem* release14 = topItem(tree, QStringLiteral("1.4"));
        QVERIFY(release15 && release14);

        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(release15).center());
        QVERIFY(release15->isExpanded());
        QCOMPARE(release15->child(0)->text(0), QStringLiteral("Neu"));
        QCOMPARE(release15->child(1)->text(0), QStringLiteral("BugFix"));
        QVERIFY(!tree->visualItemRect(release15->child(1)).isEmpty());

        qDebug() << tree->visualItemRect(release14);
        QObject::connect(tree, &QTreeWidget::currentItemChanged, [](QTreeWidgetItem* c, QTreeWidgetItem* p) { qDebug() << "changed" << (c ? c->text(0) : "null") << (p ? p->text(0) : "null"); });
        QObject::connect(tree, &QTreeWidget::itemCollapsed, [](QTreeWidgetItem* c) { qDebug() << "collapsed" << c->text(0); });
        QObject::connect(tree, &QTreeWidget::itemExpanded, [](QTreeWidgetItem* c) { qDebug() << "expanded" << c->text(0); });
        QCoreApplication::processEvents();
        qDebug() << tree->visualItemRect(release14);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(release14).center());
        qDebug() << (tree->currentItem() ? tree->currentItem()->text(0) : QString("none")) << release14->isExpanded() << release15->isExpanded();
        QVERIFY(release14->isExpanded());
        QVERIFY(!release15->isExpanded());
        QVERIFY(!topItem(tree, QStringLiteral("1.6"))->isExpanded());
    }

    void selectingAChildKeepsItsReleaseOpen() {
        TempProgramDir dir;
        const Tinfo window;
        auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
        QTreeWidgetItem* release16 = topItem(tree, QStringLiteral("1.6"));
        QTreeWidgetItem* bugFix = release16->child(1);
        tree->setCurrentItem(release16->child(0));
        QVERIFY(release16->isExpanded());
        QVERIFY(release16->child(0)->isExpanded());
        tree->setCurrentItem(bugFix);
        QVERIFY(release16->isExpanded());
        QVERIFY(bugFix->isExpanded());
        QVERIFY(!release16->child(0)->isExpanded());
    }

    void zurueckClosesWithAccept() {
        TempProgramDir dir;
        Tinfo window;
        window.show();
        auto* button = window.findChild<QPushButton*>(QStringLiteral("Button1"));
        QVERIFY(button);
        QCOMPARE(button->text(), QStringLiteral("Zurück"));
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestInfofenster)
#include "tst_infofenster.moc"
