#pragma once

class QWidget;

namespace dravel::ui {

// Frame the window manager adds around a window's client area; the forms
// state outer sizes, Qt sizes the client area.
inline constexpr int kFrameWidth = 8;
inline constexpr int kFrameHeight = 31;

// Gives a window this outer size (frame included) and keeps it there.
void setOuterSize(QWidget* window, int width, int height);

// A window of fixed size with a title and a close box only, as every
// dialog of the program has.
void setFixedDialogFlags(QWidget* window);

// Places a top-level window in the middle of its screen.
void centerOnScreen(QWidget* window);

}  // namespace dravel::ui
