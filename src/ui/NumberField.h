#pragma once

#include <QSpinBox>

namespace dravel::ui {

// The number field of the settings windows. The keyboard gives digits,
// signs and the decimal separator, and every such text is taken while
// typing: a number outside the range counts as its nearer bound (and shows
// as that bound once the field loses the focus), and text that is no whole
// number counts as the lowest value. Qt's own spin box would refuse the
// keystroke instead, so "2000" typed into a field up to 1800 became 200.
//
// The forms give these fields small sizes (41 pixels for up to 1800); the
// up/down buttons give up as much of their width as the longest number of
// the range needs to show whole, whatever the style draws them like.
class NumberField : public QSpinBox {
    Q_OBJECT
public:
    explicit NumberField(QWidget* parent = nullptr);

    QValidator::State validate(QString& text, int& pos) const override;
    int valueFromText(const QString& text) const override;

    // Pixels the text area needs for the longest number of the range.
    int widestNumberWidth() const;
};

}  // namespace dravel::ui
