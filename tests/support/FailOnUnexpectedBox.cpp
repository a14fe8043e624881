// Linked into every window test program: a message box that no test set out
// to answer ends the program at once with its text, instead of waiting,
// unanswered, until the test's time limit.

#include <QtGlobal>

#include "ui/MessageBoxes.h"

namespace {

const bool kInstalled = [] {
    dravel::ui::replaceBoxResponder([](const dravel::ui::BoxRequest& box) -> dravel::ui::Answer {
        qFatal("unexpected message box \"%s\": %s", qPrintable(box.title), qPrintable(box.text));
    });
    return true;
}();

}  // namespace
