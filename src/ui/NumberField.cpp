#include "ui/NumberField.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionSpinBox>
#include <algorithm>
#include <optional>

#include "ui/ProgramStyle.h"

namespace dravel::ui {

namespace {

// Qt's line edit keeps 2 pixels free on either side of its text and one
// more for the text cursor; a text that needs more is scrolled.
constexpr int kLineEditPadding = 2 + 2 + 1;
// Narrower, the arrows of the buttons could not be told apart.
constexpr int kMinButtonWidth = 7;
// A style's gap between text area and buttons shrinks to this at most.
constexpr int kMaxGap = 1;

// Moves the border between the text area and the up/down buttons to the
// right until the field's longest number fits, and leaves everything else
// to the style it wraps. A field that is wide enough stays as the style has it.
class RoomForDigitsStyle : public WholePartsStyle {
public:
    using WholePartsStyle::WholePartsStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override {
        QRect rect = WholePartsStyle::subControlRect(control, option, sub, widget);
        if (control != CC_SpinBox) return rect;
        const auto border = widenedTextArea(option, widget);
        if (!border) return rect;
        if (sub == SC_SpinBoxUp || sub == SC_SpinBoxDown) rect.setLeft(border->buttonsLeft);
        if (sub == SC_SpinBoxEditField) rect.setRight(border->textRight);
        return rect;
    }

    // Some styles draw no arrow into a narrowed button (they leave a margin
    // wider than the button); a small one is drawn there instead.
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        const bool arrow = element == PE_IndicatorSpinUp || element == PE_IndicatorSpinDown;
        const auto* spin = qstyleoption_cast<const QStyleOptionSpinBox*>(option);
        if (!arrow || !spin || !narrowed(widget)) {
            WholePartsStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        drawSmallArrow(element == PE_IndicatorSpinUp, *option, *painter);
    }

private:
    struct Border {
        int textRight;
        int buttonsLeft;
    };

    std::optional<Border> widenedTextArea(const QStyleOptionComplex* option,
                                          const QWidget* widget) const {
        const auto* field = qobject_cast<const NumberField*>(widget);
        const auto* spin = qstyleoption_cast<const QStyleOptionSpinBox*>(option);
        if (!field || !spin || spin->buttonSymbols == QAbstractSpinBox::NoButtons) return {};
        const QRect text =
            QProxyStyle::subControlRect(CC_SpinBox, option, SC_SpinBoxEditField, widget);
        const QRect up = QProxyStyle::subControlRect(CC_SpinBox, option, SC_SpinBoxUp, widget);
        const int needed = field->widestNumberWidth() + kLineEditPadding;
        if (text.width() >= needed) return {};
        const int gap = std::clamp(up.left() - text.right() - 1, 0, kMaxGap);
        const int buttonsLeft = std::clamp(text.left() + needed + gap, up.left(),
                                           std::max(up.left(), up.right() + 1 - kMinButtonWidth));
        return Border{buttonsLeft - gap - 1, buttonsLeft};
    }

    bool narrowed(const QWidget* widget) const {
        const auto* field = qobject_cast<const NumberField*>(widget);
        if (!field) return false;
        QStyleOptionSpinBox whole;
        whole.initFrom(field);
        whole.buttonSymbols = field->buttonSymbols();
        whole.frame = field->hasFrame();
        return widenedTextArea(&whole, widget).has_value();
    }

    // Three pixels wide and two high, pressed one pixel down and right.
    static void drawSmallArrow(bool up, const QStyleOption& option, QPainter& painter) {
        const int pressed = (option.state & State_Sunken) ? 1 : 0;
        const QPoint tip = option.rect.center() + QPoint(pressed, pressed + (up ? 0 : 1));
        const int rowStep = up ? 1 : -1;
        const QColor color = option.palette.buttonText().color();
        painter.fillRect(tip.x(), tip.y() - (up ? 1 : 0), 1, 1, color);
        painter.fillRect(tip.x() - 1, tip.y() - (up ? 1 : 0) + rowStep, 3, 1, color);
    }
};

// One wrapper per application style, kept for the program's life.
QStyle* roomForDigitsStyle() {
    static QPointer<QStyle> wrapper;
    static QString wrapped;
    // The program's own style wraps the platform's; a wrapper has no name of its own.
    const QStyle* style = QApplication::style();
    if (const auto* proxy = qobject_cast<const QProxyStyle*>(style)) style = proxy->baseStyle();
    const QString name = style->name();
    if (!wrapper || wrapped != name) {
        QStyle* base = QStyleFactory::create(name);
        if (!base) return QApplication::style();
        wrapper = new RoomForDigitsStyle(base);
        wrapper->setParent(qApp);
        wrapped = name;
    }
    return wrapper;
}

}  // namespace

NumberField::NumberField(QWidget* parent) : QSpinBox(parent) {
    setStyle(roomForDigitsStyle());
}

QValidator::State NumberField::validate(QString& text, int&) const {
    const QChar decimalPoint = locale().decimalPoint().front();
    const bool typeable = std::all_of(text.cbegin(), text.cend(), [&](QChar c) {
        return c.isDigit() || c == u'+' || c == u'-' || c == decimalPoint;
    });
    return typeable ? QValidator::Acceptable : QValidator::Invalid;
}

int NumberField::valueFromText(const QString& text) const {
    bool whole = false;
    const qlonglong number = text.toLongLong(&whole);
    if (!whole) return minimum();
    return static_cast<int>(std::clamp<qlonglong>(number, minimum(), maximum()));
}

int NumberField::widestNumberWidth() const {
    const QFontMetrics metrics = lineEdit()->fontMetrics();
    int widest = 0;
    for (int number : {minimum(), maximum()})
        widest = std::max(widest,
                          metrics.horizontalAdvance(prefix() + textFromValue(number) + suffix()));
    return widest;
}

}  // namespace dravel::ui
