#pragma once

#include <QApplication>
#include <QTest>

#include "app/Hauptfenster.h"
#include "support/TestSupport.h"
#include "support/WindowDriver.h"

using dravel::app::TMain;

namespace dravel::testing {

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

// Makes the dialog the active window, so that focus moves as for the user.
inline bool activate(QWidget& dialog) {
    QApplication::setActiveWindow(&dialog);
    return QTest::qWaitForWindowActive(&dialog);
}

}  // namespace dravel::testing
