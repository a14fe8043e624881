#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

#include "support/TestSupport.h"
#include "support/WindowDriver.h"
#include "tools/Infofenster.h"

using dravel::tools::Tinfo;

using dravel::testing::activate;
using dravel::testing::child;
using dravel::testing::TempProgramDir;

namespace {

#ifdef Q_OS_WIN
const QString kSuffix = QStringLiteral(".exe");
#else
const QString kSuffix;
#endif

// An absolute path: __FILE__ is relative to the build folder, not to where tests run.
QString fixture(const char* name) {
    return QStringLiteral(DRAVEL_VERSION_FIXTURES "/") + QString::fromLatin1(name);
}

void install(const TempProgramDir& dir, const QString& source, const char* program) {
    const QString target = QString::fromStdString(dir.file(program)) + kSuffix;
    QVERIFY2(QFile::copy(source, target), qPrintable(source + " -> " + target));
}

QString labelText(const Tinfo& window, const char* name) {
    return child<QLabel>(window, name)->text();
}

QTreeWidgetItem* topItem(QTreeWidget* tree, const QString& text) {
    const auto found = tree->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

}  // namespace

class TestInfofenster : public QObject {
    Q_OBJECT
private slots:
    // A missing companion has no version to show.
    void showsTheFileVersionsOfBothPrograms() {
        TempProgramDir dir;
        QVERIFY_CHECKS(install(dir, fixture("pe64_version_1_6_1_2.exe"), "Dravel"));
        const auto versions = [] {
            const Tinfo window;
            return QStringList{labelText(window, "Dravel_version"),
                               labelText(window, "Kalvor_Version")};
        };
        QCOMPARE(versions(),
                 (QStringList{"Version: 1.6.1.2", "Version: No version specification"}));
        QVERIFY_CHECKS(install(dir, fixture("pe32_version_2_10_0_7.exe"), "Kalvor"));
        QCOMPARE(versions(), (QStringList{"Version: 1.6.1.2", "Version: 2.10.0.7"}));
    }

    void showsThisProgramsOwnVersion() {
#ifdef Q_OS_WIN
        QSKIP("test executables carry no version resource");
#endif
        TempProgramDir dir;
        QVERIFY_CHECKS(install(dir, QCoreApplication::applicationFilePath(), "Dravel"));
        const Tinfo window;
        QVERIFY2(QRegularExpression(QStringLiteral("^Version: \\d+\\.\\d+\\.\\d+\\.\\d+$"))
                     .match(labelText(window, "Dravel_version"))
                     .hasMatch(),
                 qPrintable(labelText(window, "Dravel_version")));
    }

    void noteAndHistoryAreReadOnlyAndTheHistoryStartsCollapsed() {
        TempProgramDir dir;
        const Tinfo window;
        auto* memo = child<QPlainTextEdit>(window, "Memo1");
        QVERIFY(memo->isReadOnly());
        QVERIFY(!(memo->focusPolicy() & Qt::TabFocus));
        QVERIFY(memo->toPlainText().startsWith(QStringLiteral("Für Schäden")));
        auto* tree = child<QTreeWidget>(window, "TreeView1");
        QCOMPARE(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
        QStringList releases;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            releases << tree->topLevelItem(i)->text(0);
            QVERIFY(!tree->topLevelItem(i)->isExpanded());
        }
        QCOMPARE(releases, (QStringList{"1.6", "1.5", "1.4"}));
    }

    // Only a release the user selects opens; neither opening nor tabbing into the tree does.
    void opensWithEveryReleaseCollapsedUntilOneIsSelected() {
        TempProgramDir dir;
        Tinfo window;
        window.show();
        QVERIFY(activate(window));
        auto* tree = child<QTreeWidget>(window, "TreeView1");
        const auto nothingOpen = [&] {
            QCoreApplication::processEvents();  // expanding waits for the event loop
            for (int i = 0; i < tree->topLevelItemCount(); ++i)
                if (tree->topLevelItem(i)->isExpanded()) return false;
            return tree->selectedItems().isEmpty();
        };
        QVERIFY(nothingOpen());
        QCOMPARE(tree->currentItem(), nullptr);

        while (!tree->hasFocus()) {
            QWidget* before = QApplication::focusWidget();
            QTest::keyClick(before, Qt::Key_Tab);
            QVERIFY(QApplication::focusWidget() != before);
        }
        QVERIFY(nothingOpen());

        QTest::keyClick(tree, Qt::Key_Down);
        QTRY_VERIFY(!tree->selectedItems().isEmpty());
        QTreeWidgetItem* selected = tree->selectedItems().first();
        QTRY_VERIFY(selected->isExpanded());
        QCOMPARE(tree->indexOfTopLevelItem(selected), 1);
    }

    void selectingAReleaseExpandsItAndCollapsesTheOthers() {
        TempProgramDir dir;
        Tinfo window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* tree = child<QTreeWidget>(window, "TreeView1");
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

    // The item under the mouse, and only it, looks other than without the mouse.
    void theItemUnderTheMouseIsHighlighted() {
        TempProgramDir dir;
        Tinfo window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* tree = child<QTreeWidget>(window, "TreeView1");
        const auto look = [&](const char* release) {
            QCoreApplication::processEvents();
            return tree->viewport()->grab(tree->visualItemRect(topItem(tree, release))).toImage();
        };
        const QImage plain15 = look("1.5"), plain14 = look("1.4");
        QTest::mouseMove(tree->viewport(), tree->visualItemRect(topItem(tree, "1.5")).center());
        QVERIFY(look("1.5") != plain15);
        QCOMPARE(look("1.4"), plain14);
    }

    void zurueckClosesWithAccept() {
        TempProgramDir dir;
        Tinfo window;
        window.show();
        auto* button = child<QPushButton>(window, "Button1");
        QCOMPARE(button->text(), QStringLiteral("Zurück"));
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestInfofenster)
#include "tst_infofenster.moc"
