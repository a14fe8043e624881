#pragma once

#include <QFontMetricsF>
#include <QRectF>
#include <QString>
#include <vector>

#include "config/extras/AlarmCourse.h"

class QPainter;

// The picture of an alarm course: a caption column, one row per thing that
// happens, bars on a time axis in seconds from the program's start. Every
// size follows the font, so the window, the PDF and the printer draw the
// same picture at their own resolution.
namespace dravel::extras {

struct DrawnBar {
    std::size_t row;
    std::size_t bar;
    QRectF rect;  // where it is drawn, also for hovering and clicking
};

struct CourseLayout {
    QRectF area;
    QRectF plot;  // where the time axis runs, rows included
    std::vector<QRectF> rows;
    std::vector<DrawnBar> bars;
    double axisSeconds = 0;  // the time at the plot's right edge
    double tickSeconds = 0;  // between two labelled ticks
    qreal unit = 1;          // a twelfth of a line: pen widths and gaps

    qreal x(double seconds) const;
};

// The height the course needs at this font.
qreal courseHeight(const config::AlarmCourse& course, const QFontMetricsF& metrics);

CourseLayout layOutCourse(const config::AlarmCourse& course, const QRectF& area,
                          const QFontMetricsF& metrics);

// Draws with the painter's font; `selected` (an index into layout.bars) is
// outlined.
void paintCourse(QPainter& painter, const config::AlarmCourse& course, const CourseLayout& layout,
                 int selected = -1);

// A tick's label: "30 s", or whole minutes once the ticks are a minute apart.
QString tickLabel(double seconds, double tickSeconds);

}  // namespace dravel::extras
