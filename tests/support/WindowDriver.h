#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QSpinBox>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>

#include "app/Hauptfenster.h"
#include "support/TestSupport.h"
#include "ui/RadioGroup.h"

// Fails the test unless every expected message box was shown and no other.
#define VERIFY_BOXES(boxes) QVERIFY2((boxes).allAnswered(), qPrintable((boxes).report()))

// Runs a helper that checks with QVERIFY or QCOMPARE and ends the calling test
// function (or drive function) when one of them failed: a failed check
// returns only from the helper itself.
#define QVERIFY_CHECKS(call)                    \
    do {                                        \
        call;                                   \
        if (QTest::currentTestFailed()) return; \
    } while (false)

namespace dravel::testing {

// The control of that name; a missing one ends the test program at once,
// since every later step would only fail on a null pointer.
template <typename W = QWidget>
W* child(const QObject& parent, const QString& name) {
    W* widget = parent.findChild<W*>(name);
    if (!widget) qFatal("no control %s in %s", qPrintable(name), parent.metaObject()->className());
    return widget;
}

inline void press(QWidget& window, const char* objectName) {
    child<QAbstractButton>(window, objectName)->click();
}
inline QCheckBox* check(QWidget& window, const char* objectName) {
    return child<QCheckBox>(window, objectName);
}
inline QComboBox* combo(QWidget& window, const char* objectName) {
    return child<QComboBox>(window, objectName);
}
inline QSpinBox* spin(QWidget& window, const char* objectName) {
    return child<QSpinBox>(window, objectName);
}
inline ui::RadioGroup* radio(QWidget& window, const char* objectName) {
    return child<ui::RadioGroup>(window, objectName);
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Makes the window the active one, so that focus moves as for the user.
inline bool activate(QWidget& window) {
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

inline QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

// Runs run, which shows a modal dialog, and hands that dialog to drive once
// it is shown; drive is expected to close it. False when no such dialog
// showed, it was left open or a check in drive failed; an open dialog is then
// closed without any question, so that a failed check cannot hang the test.
template <typename Dialog>
bool driveModal(const std::function<void()>& run, const std::function<void(Dialog&)>& drive) {
    bool driven = false;
    bool leftOpen = false;
    QObject pending;  // cancels the check when no dialog showed
    QTimer::singleShot(0, &pending, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            driven = true;
            drive(*dialog);
        }
        if (auto* open = qobject_cast<QDialog*>(modal); open && open->isVisible()) {
            leftOpen = true;
            open->QDialog::done(QDialog::Rejected);
        }
    });
    run();
    return driven && !leftOpen && !QTest::currentTestFailed();
}

// What a real message box showed before the test answered it.
struct BoxSeen {
    QString title;
    QString text;
    QStringList buttons;
};

// Answers the next real message box, once it is shown, by pressing a key or
// one of its buttons; seen then holds what it showed.
inline void answerNextBox(BoxSeen& seen, const std::function<void(QMessageBox*)>& answer) {
    QTimer::singleShot(0, [&seen, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen.title = box->windowTitle();
        seen.text = box->text();
        for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
        answer(box);
    });
}

inline QAbstractButton* buttonNamed(QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text) return b;
    return nullptr;
}

inline const QString kCancelQuestion = QStringLiteral("Abbrechen ohne Speichern?");

// Leaving a dialog unsaved, as every settings dialog does it: its cancel
// button asks, and "Nein" keeps it open with the edits (keptEdits checks
// them); its close box asks again, and "Ja" lets it go, rejected.
inline void cancelKeepingThenDropping(ScriptedBoxes& boxes, QDialog& dialog,
                                      const QString& cancelButton,
                                      const std::function<void()>& keptEdits) {
    boxes.expect(ui::BoxKind::Confirmation, kCancelQuestion, false);
    child<QAbstractButton>(dialog, cancelButton)->click();
    QVERIFY(dialog.isVisible());
    QVERIFY_CHECKS(keptEdits());
    boxes.expect(ui::BoxKind::Confirmation, kCancelQuestion, true);
    dialog.close();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

using app::TMain;

// Runs one settings command of the main window and hands the dialog to
// drive once it is shown modally; drive is expected to close it. False when
// the dialog did not show or was left open (and then closed unsaved).
template <typename Dialog>
bool runSettingsCommand(TMain& window, const std::function<void(Dialog&)>& drive) {
    return driveModal<Dialog>([&] { window.runSettingsCommand<Dialog>(); }, drive);
}

// A settings command's surroundings: a program directory of its own,
// scripted message boxes and the main window that runs the command.
struct CommandTest {
    TempProgramDir dir;
    ScriptedBoxes boxes;
    TMain window;

    void store(const std::string& bytes) const { dir.write("Prog.ini", bytes); }
    std::string settings() const { return dir.read("Prog.ini"); }
    // False also when a message box came that the script did not expect.
    template <typename Dialog>
    bool run(const std::function<void(Dialog&)>& drive) {
        return runSettingsCommand<Dialog>(window, drive) && boxes.failures().empty();
    }
};

}  // namespace dravel::testing
