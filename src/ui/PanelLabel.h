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
    static constexpr int kFrameLine = 1;  // the group box's bottom line, kept clear
    void fitHeightToText();

    QString panelText_;
    int givenHeight_ = -1;
};

}  // namespace dravel::ui
