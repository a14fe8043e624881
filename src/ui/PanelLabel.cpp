#include "ui/PanelLabel.h"

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
}

}  // namespace dravel::ui
