#include "ui/PanelLabel.h"

#include <algorithm>

#include "ui/Text.h"

namespace dravel::ui {

PanelLabel::PanelLabel(QWidget* parent) : QLabel(parent) {
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PanelLabel::setPanelText(const QString& text) {
    panelText_ = text;
    setText(displayText(text));
    fitHeightToText();
}

// The panels' label sizes leave some sentences a few pixels short of their
// last line ("Über den Pin 9 (Ring) …" in "Programm"): such a label grows
// down to its frame's bottom line, and back to its own size for shorter text.
void PanelLabel::fitHeightToText() {
    if (givenHeight_ < 0) givenHeight_ = height();
    const QWidget* frame = parentWidget();
    const int room = frame ? frame->height() - kFrameLine - y() : givenHeight_;
    const int needed = heightForWidth(width());
    resize(width(), std::max(givenHeight_, std::min(needed, room)));
}

}  // namespace dravel::ui
