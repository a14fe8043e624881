#pragma once

#include <QLabel>

namespace dravel::ui {

// A word-wrapping label that keeps its text exactly as the program words
// it (with LF CR line breaks) and shows each break as one line break.
class PanelLabel : public QLabel {
    Q_OBJECT
public:
    explicit PanelLabel(QWidget* parent = nullptr);

    void setPanelText(const QString& text);
    QString panelText() const { return panelText_; }

private:
    QString panelText_;
};

}  // namespace dravel::ui
