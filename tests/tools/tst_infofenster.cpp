#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

    void noteAndHistoryAreReadOnlyAndTheHistoryStartsCollapsed() {
        TempProgramDir dir;
        const Tinfo window;
        auto* memo = window.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
        QVERIFY(memo);
        QVERIFY(memo->isReadOnly());
        QVERIFY(!(memo->focusPolicy() & Qt::TabFocus));
        QCOMPARE(memo->toPlainText(),
                 QStringLiteral("Für Schäden, die durch dieses Programm entstehen, wird \n"
                                "keine Haftung übernommen"));
        auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
        QVERIFY(tree);
        QCOMPARE(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
        QStringList releases;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            releases << tree->topLevelItem(i)->text(0);
            QVERIFY(!tree->topLevelItem(i)->isExpanded());
        }
        QCOMPARE(releases, (QStringList{QStringLiteral("1.6"), QStringLiteral("1.5"),
                                        QStringLiteral("1.4")}));
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
        QTRY_VERIFY(release15->isExpanded());
        QCOMPARE(release15->child(0)->text(0), QStringLiteral("Neu"));
        QCOMPARE(release15->child(1)->text(0), QStringLiteral("BugFix"));
        QVERIFY(!tree->visualItemRect(release15->child(1)).isEmpty());

        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(release14).center());
        QTRY_VERIFY(release14->isExpanded());
        QCOMPARE(tree->currentItem(), release14);
        QVERIFY(!release15->isExpanded());
        QVERIFY(!topItem(tree, QStringLiteral("1.6"))->isExpanded());
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
