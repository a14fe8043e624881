#include "ui/ProgramStyle.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleOption>

namespace dravel::ui {
namespace {

class ProgramStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override {
        if (element == SE_CheckBoxClickRect || element == SE_RadioButtonClickRect)
            return option->rect;
        return QProxyStyle::subElementRect(element, option, widget);
    }
};

}  // namespace

void useProgramStyle() {
    QApplication::setStyle(new ProgramStyle(QApplication::style()->name()));
}

}  // namespace dravel::ui
