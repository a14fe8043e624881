#include "extras/CourseView.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "ui/Text.h"

namespace dravel::extras {

CourseView::CourseView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);  // the list beside it holds the same events for the keyboard
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void CourseView::setCourse(const config::AlarmCourse* course) {
    course_ = course;
    selected_ = -1;
    layOut();
    updateGeometry();
    update();
}

void CourseView::select(int barIndex) {
    if (barIndex == selected_) return;
    selected_ = barIndex;
    update();
    emit barSelected(barIndex);
}

QSize CourseView::sizeHint() const {
    const QFontMetricsF metrics(font());
    const qreal height = course_ ? courseHeight(*course_, metrics) : metrics.height() * 10;
    return QSize(qRound(metrics.height() * 40), qRound(height) + 1);
}

QSize CourseView::minimumSizeHint() const {
    return QSize(qRound(QFontMetricsF(font()).height() * 24), sizeHint().height());
}

bool CourseView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip || !course_) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int index = barAt(help->pos());
    if (index < 0) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    const DrawnBar& drawn = layout_.bars[static_cast<std::size_t>(index)];
    const auto& row = course_->rows[drawn.row];
    QToolTip::showText(help->globalPos(),
                       ui::toQString(config::describeBar(row, row.bars[drawn.bar])), this,
                       drawn.rect.toAlignedRect());
    return true;
}

void CourseView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (course_) paintCourse(painter, *course_, layout_, selected_);
}

void CourseView::mousePressEvent(QMouseEvent* event) {
    select(barAt(event->position()));
}

void CourseView::resizeEvent(QResizeEvent*) {
    layOut();
}

void CourseView::layOut() {
    layout_ = course_ ? layOutCourse(*course_, QRectF(rect()).adjusted(0, 4, -4, -2),
                                     QFontMetricsF(font(), this))
                      : CourseLayout{};
}

// Thin bars (a moment) are found within a few pixels.
int CourseView::barAt(const QPointF& point) const {
    for (std::size_t i = 0; i < layout_.bars.size(); ++i)
        if (layout_.bars[i].rect.adjusted(-3, -2, 3, 2).contains(point)) return static_cast<int>(i);
    return -1;
}

}  // namespace dravel::extras
