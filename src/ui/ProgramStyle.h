#pragma once

#include <QProxyStyle>

namespace dravel::ui {

// The platform's style, with every part drawn whole at a fractional display
// scale (125 %, 150 %): Windows' themed parts drawn straight into a window's
// buffer are rounded to device pixels apart from the widget's clip, so a
// group box lost its bottom line and a button its right edge.
class WholePartsStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;
};

// The program's style over the platform's, with the behaviour of Windows' own
// controls where Qt differs: a check box or radio button takes a click
// anywhere in its given size, not only on its box and caption.
void useProgramStyle();

}  // namespace dravel::ui
