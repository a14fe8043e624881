#pragma once

#include <QWidget>

#include "config/extras/AlarmCourse.h"
#include "extras/CourseChart.h"

namespace dravel::extras {

// The picture of one alarm course on screen. Hovering a bar shows its exact
// times and source as a tooltip; clicking selects it.
class CourseView : public QWidget {
    Q_OBJECT
public:
    explicit CourseView(QWidget* parent = nullptr);

    // The course stays with the caller while it is shown.
    void setCourse(const config::AlarmCourse* course);
    const config::AlarmCourse* course() const { return course_; }
    void select(int barIndex);
    int selected() const { return selected_; }
    // What is drawn now: the bars in drawing order with their places.
    const CourseLayout& layout() const { return layout_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void barSelected(int barIndex);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();
    int barAt(const QPointF& point) const;

    const config::AlarmCourse* course_ = nullptr;
    CourseLayout layout_;
    int selected_ = -1;
};

}  // namespace dravel::extras
