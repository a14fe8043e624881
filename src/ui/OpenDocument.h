#pragma once

#include <functional>
#include <string>

class QWidget;

namespace dravel::ui {

// Opens a document with the desktop's program without the window waiting
// for the opener: a failure known at once runs onFailure at once, one the
// opener reports later runs it then, inside the error guard.
void openDocument(QWidget* window, const std::string& utf8Path, std::function<void()> onFailure);

}  // namespace dravel::ui
