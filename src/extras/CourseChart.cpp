#include "extras/CourseChart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>

#include "ui/Text.h"

namespace dravel::extras {
namespace {

using config::BarEnd;
using config::BarStyle;
using config::CourseBar;
using ui::toQString;

constexpr qreal kRowLines = 3.0;   // a row's height in lines
constexpr qreal kAxisLines = 1.6;  // the axis and its labels
constexpr qreal kMaxCaptionShare = 0.32;
constexpr int kMostTicks = 8;
constexpr std::array<double, 15> kTickSteps = {1,   2,   5,   10,   15,   30,   60,  120,
                                               300, 600, 900, 1200, 1800, 3600, 7200};

// How far a bar of unknown length is drawn: long enough to be seen as a bar.
double unknownStub(double span) {
    return std::max(span * 0.2, 2.0);
}

double barEnd(const CourseBar& bar, double span, double axis) {
    switch (bar.endKind) {
        case BarEnd::At:
            return bar.end;
        case BarEnd::Unknown:
            return bar.start + unknownStub(span);
        case BarEnd::Never:
            return std::max(axis, bar.start + unknownStub(span));
    }
    return bar.end;
}

// The seconds the axis must reach: every moment, and a visible piece of the
// bars that have no known end.
double neededSeconds(const config::AlarmCourse& course) {
    double needed = std::max(course.span, 1.0);
    for (const auto& row : course.rows)
        for (const CourseBar& bar : row.bars)
            needed = std::max(needed, barEnd(bar, course.span, 0));
    return needed;
}

double tickStep(double seconds) {
    for (double step : kTickSteps)
        if (seconds / step <= kMostTicks) return step;
    return std::ceil(seconds / kMostTicks / kTickSteps.back()) * kTickSteps.back();
}

QColor barColour(BarStyle style) {
    switch (style) {
        case BarStyle::Pin:
            return QColor(0x2f, 0x6f, 0xb5);
        case BarStyle::SoundPin:
            return QColor(0xd9, 0x80, 0x00);
        case BarStyle::Sound:
            return QColor(0x2e, 0x8b, 0x45);
        case BarStyle::Radio:
            return QColor(0x86, 0x4c, 0xaa);
        case BarStyle::ProgramEnd:
            return QColor(0xc0, 0x30, 0x2b);
    }
    return Qt::black;
}

qreal captionWidth(const config::AlarmCourse& course, const QFontMetricsF& metrics,
                   qreal available) {
    qreal widest = 0;
    for (const auto& row : course.rows)
        widest = std::max({widest, metrics.horizontalAdvance(toQString(row.caption)) * 1.1,
                           metrics.horizontalAdvance(toQString(row.remark))});
    return std::min(widest + metrics.height(), available * kMaxCaptionShare);
}

// The bars of one row share its band: one above the other when there are several.
QRectF barRect(const CourseLayout& l, const QRectF& row, std::size_t index, std::size_t count,
               double from, double to) {
    const qreal band = row.height() * 0.76;
    const qreal height = band / static_cast<qreal>(count);
    const qreal top = row.top() + (row.height() - band) / 2 + height * static_cast<qreal>(index);
    const qreal left = l.x(from);
    const qreal width = std::max(l.x(to) - left, l.unit * 3);
    return QRectF(left - (to == from ? l.unit * 1.5 : 0), top + l.unit * 0.5, width,
                  height - l.unit);
}

void paintGrid(QPainter& p, const CourseLayout& l) {
    const qreal axisY = l.rows.empty() ? l.plot.top() : l.rows.back().bottom();
    for (std::size_t r = 0; r < l.rows.size(); ++r)
        if (r % 2 == 0)
            p.fillRect(QRectF(l.area.left(), l.rows[r].top(), l.area.width(), l.rows[r].height()),
                       QColor(0xf2, 0xf4, 0xf7));
    p.setPen(QPen(QColor(0xc8, 0xcc, 0xd2), l.unit * 0.6));
    const QFontMetricsF metrics(p.font(), p.device());
    for (double t = 0; t <= l.axisSeconds + 1e-9; t += l.tickSeconds) {
        const qreal x = l.x(t);
        p.setPen(QPen(QColor(0xc8, 0xcc, 0xd2), l.unit * 0.6));
        p.drawLine(QPointF(x, l.plot.top()), QPointF(x, axisY));
        p.setPen(QPen(Qt::black, l.unit * 0.8));
        p.drawLine(QPointF(x, axisY), QPointF(x, axisY + l.unit * 3));
        const QString label = tickLabel(t, l.tickSeconds);
        const qreal w = metrics.horizontalAdvance(label);
        const qreal left = std::clamp(x - w / 2, l.plot.left() - w / 2, l.area.right() - w);
        p.drawText(QPointF(left, axisY + l.unit * 4 + metrics.ascent()), label);
    }
    p.setPen(QPen(Qt::black, l.unit * 0.8));
    p.drawLine(QPointF(l.plot.left(), axisY), QPointF(l.plot.right(), axisY));
}

void paintCaptions(QPainter& p, const config::AlarmCourse& course, const CourseLayout& l) {
    const QFont normal = p.font();
    QFont bold = normal;
    bold.setBold(true);
    const qreal pad = l.unit * 4;
    for (std::size_t r = 0; r < l.rows.size(); ++r) {
        const QRectF cell(l.area.left() + pad, l.rows[r].top(),
                          l.plot.left() - l.area.left() - pad * 2, l.rows[r].height());
        const auto& row = course.rows[r];
        p.setPen(Qt::black);
        p.setFont(bold);
        const Qt::Alignment top = row.remark.empty() ? Qt::AlignVCenter : Qt::AlignTop;
        p.drawText(cell.adjusted(0, row.remark.empty() ? 0 : l.unit * 3, 0, 0), top | Qt::AlignLeft,
                   toQString(row.caption));
        p.setFont(normal);
        if (row.remark.empty()) continue;
        const QFontMetricsF metrics(normal, p.device());
        p.setPen(QColor(0x44, 0x44, 0x44));
        p.drawText(cell.adjusted(0, 0, 0, -l.unit * 3), Qt::AlignBottom | Qt::AlignLeft,
                   metrics.elidedText(toQString(row.remark), Qt::ElideRight, cell.width()));
    }
}

QBrush barBrush(const CourseBar& bar) {
    if (bar.style == BarStyle::SoundPin) return QBrush(barColour(bar.style), Qt::BDiagPattern);
    if (bar.endKind == BarEnd::Unknown) return QBrush(barColour(bar.style), Qt::Dense4Pattern);
    return QBrush(barColour(bar.style));
}

void paintArrow(QPainter& p, const QRectF& r, qreal unit) {
    QPainterPath arrow;
    arrow.moveTo(r.right(), r.top() - unit * 2);
    arrow.lineTo(r.right() + unit * 5, r.center().y());
    arrow.lineTo(r.right(), r.bottom() + unit * 2);
    arrow.closeSubpath();
    p.fillPath(arrow, p.pen().color());
}

// The label inside the bar when it fits, else beside it where there is room.
void paintLabel(QPainter& p, const CourseLayout& l, const QRectF& r, const QString& text,
                bool dark) {
    const QFontMetricsF metrics(p.font(), p.device());
    const qreal w = metrics.horizontalAdvance(text);
    const qreal pad = l.unit * 3;
    const qreal baseline = r.center().y() + (metrics.ascent() - metrics.descent()) / 2;
    if (w + 2 * pad <= r.width() && dark) {
        p.setPen(Qt::white);
        p.drawText(QPointF(r.left() + pad, baseline), text);
        return;
    }
    p.setPen(Qt::black);
    if (r.right() + pad + w <= l.area.right() || r.left() - pad - w < l.plot.left()) {
        const qreal room = l.area.right() - r.right() - pad;
        p.drawText(QPointF(r.right() + pad * (r.width() > l.unit * 4 ? 1 : 2.5), baseline),
                   metrics.elidedText(text, Qt::ElideRight, std::max(room, pad)));
        return;
    }
    p.drawText(QPointF(r.left() - pad - w, baseline), text);
}

void paintBar(QPainter& p, const CourseLayout& l, const CourseBar& bar, const QRectF& r) {
    const QColor colour = barColour(bar.style);
    if (bar.style == BarStyle::ProgramEnd) {
        p.setPen(QPen(colour, l.unit * 1.5, Qt::DashLine));
        p.drawLine(QPointF(r.center().x(), l.plot.top()),
                   QPointF(r.center().x(), l.rows.back().bottom()));
        p.fillRect(r, colour);
        paintLabel(p, l, r, toQString(bar.label), false);
        return;
    }
    p.setPen(QPen(colour, l.unit, bar.endKind == BarEnd::Unknown ? Qt::DashLine : Qt::SolidLine));
    p.setBrush(barBrush(bar));
    p.drawRect(r);
    p.setBrush(Qt::NoBrush);
    if (bar.endKind == BarEnd::Never) paintArrow(p, r, l.unit);
    const bool solid = bar.style != BarStyle::SoundPin && bar.endKind != BarEnd::Unknown;
    paintLabel(p, l, r, toQString(bar.label), solid);
}

void paintNotes(QPainter& p, const config::AlarmCourse& course, const CourseLayout& l) {
    // Grey, not italic: the report embeds only the regular and the bold face.
    p.setPen(QColor(0x66, 0x66, 0x66));
    const QFontMetricsF metrics(p.font(), p.device());
    for (std::size_t r = 0; r < l.rows.size(); ++r) {
        const auto& row = course.rows[r];
        if (row.note.empty() || !row.bars.empty()) continue;
        const QRectF cell(l.plot.left() + l.unit * 4, l.rows[r].top(),
                          l.area.right() - l.plot.left() - l.unit * 4, l.rows[r].height());
        p.drawText(cell, Qt::AlignVCenter | Qt::AlignLeft,
                   metrics.elidedText(toQString(row.note), Qt::ElideRight, cell.width()));
    }
}

}  // namespace

qreal CourseLayout::x(double seconds) const {
    return plot.left() + plot.width() * (axisSeconds > 0 ? seconds / axisSeconds : 0);
}

qreal courseHeight(const config::AlarmCourse& course, const QFontMetricsF& metrics) {
    return metrics.height() * (kRowLines * static_cast<qreal>(course.rows.size()) + kAxisLines);
}

CourseLayout layOutCourse(const config::AlarmCourse& course, const QRectF& area,
                          const QFontMetricsF& metrics) {
    CourseLayout l;
    l.area = area;
    l.unit = metrics.height() / 12;
    const qreal captions = captionWidth(course, metrics, area.width());
    const qreal rowHeight =
        std::min(metrics.height() * kRowLines,
                 (area.height() - metrics.height() * kAxisLines) /
                     std::max<qreal>(1, static_cast<qreal>(course.rows.size())));
    const qreal rightMargin = metrics.height();
    l.plot = QRectF(area.left() + captions, area.top(), area.width() - captions - rightMargin,
                    rowHeight * static_cast<qreal>(course.rows.size()));
    const double needed = neededSeconds(course);
    l.tickSeconds = tickStep(needed * 1.05);
    l.axisSeconds = std::ceil(needed * 1.05 / l.tickSeconds) * l.tickSeconds;
    for (std::size_t r = 0; r < course.rows.size(); ++r)
        l.rows.emplace_back(area.left(), area.top() + rowHeight * static_cast<qreal>(r),
                            area.width(), rowHeight);
    for (std::size_t r = 0; r < course.rows.size(); ++r) {
        const auto& bars = course.rows[r].bars;
        for (std::size_t b = 0; b < bars.size(); ++b)
            l.bars.push_back(
                {r, b,
                 barRect(l, l.rows[r], b, bars.size(), bars[b].start,
                         std::min(barEnd(bars[b], course.span, l.axisSeconds), l.axisSeconds))});
    }
    return l;
}

void paintCourse(QPainter& painter, const config::AlarmCourse& course, const CourseLayout& layout,
                 int selected) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paintGrid(painter, layout);
    paintCaptions(painter, course, layout);
    paintNotes(painter, course, layout);
    for (const DrawnBar& drawn : layout.bars)
        paintBar(painter, layout, course.rows[drawn.row].bars[drawn.bar], drawn.rect);
    if (selected >= 0 && static_cast<std::size_t>(selected) < layout.bars.size()) {
        painter.setPen(QPen(Qt::black, layout.unit * 2.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(layout.bars[static_cast<std::size_t>(selected)].rect.adjusted(
            -layout.unit * 2, -layout.unit * 2, layout.unit * 2, layout.unit * 2));
    }
    painter.restore();
}

QString tickLabel(double seconds, double tickSeconds) {
    if (tickSeconds >= 60) return QStringLiteral("%1 min").arg(std::lround(seconds / 60));
    return QStringLiteral("%1 s").arg(std::lround(seconds));
}

}  // namespace dravel::extras
