#include "ui/ProgramStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

#include <cmath>

namespace dravel::ui {
namespace {

// Below full opacity the Windows style draws a themed part through its own
// buffer and scales that into the widget's exact rect. The raster engine
// rounds this opacity to fully opaque, so nothing shows through. Text fields
// and spin boxes are drawn straight: the buffer loses their frame's line
// (the bottom one at 125 %, all at 150 %), the straight way keeps it.
constexpr qreal kBufferedOpacity = 1.0 - 1e-6;

bool fractionalScale(const QPainter* painter) {
    const qreal ratio = painter->device()->devicePixelRatio();
    return ratio != std::floor(ratio);
}

template <typename Draw>
void drawWhole(QPainter* painter, Draw draw) {
    if (!painter || painter->opacity() != 1.0 || !fractionalScale(painter)) return draw();
    painter->setOpacity(kBufferedOpacity);
    draw();
    painter->setOpacity(1.0);
}

class ProgramStyle : public WholePartsStyle {
public:
    using WholePartsStyle::WholePartsStyle;

    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override {
        if (element == SE_CheckBoxClickRect || element == SE_RadioButtonClickRect)
            return option->rect;
        return WholePartsStyle::subElementRect(element, option, widget);
    }
};

}  // namespace

void WholePartsStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const {
    if (element == PE_FrameLineEdit || element == PE_PanelLineEdit)  // see kBufferedOpacity
        return QProxyStyle::drawPrimitive(element, option, painter, widget);
    drawWhole(painter, [&] { QProxyStyle::drawPrimitive(element, option, painter, widget); });
}

void WholePartsStyle::drawControl(ControlElement element, const QStyleOption* option,
                                  QPainter* painter, const QWidget* widget) const {
    drawWhole(painter, [&] { QProxyStyle::drawControl(element, option, painter, widget); });
}

void WholePartsStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                         QPainter* painter, const QWidget* widget) const {
    if (control == CC_SpinBox)  // see kBufferedOpacity
        return QProxyStyle::drawComplexControl(control, option, painter, widget);
    drawWhole(painter, [&] { QProxyStyle::drawComplexControl(control, option, painter, widget); });
}

void useProgramStyle() {
    QApplication::setStyle(new ProgramStyle(QApplication::style()->name()));
}

}  // namespace dravel::ui
