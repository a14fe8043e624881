#include "extras/Alarmablauf.h"

#include <QFontMetrics>
#include <QListWidgetItem>
#include <QResizeEvent>

#include "extras/CourseView.h"
#include "extras/ui_Alarmablauf.h"
#include "ui/Text.h"

namespace dravel::extras {
namespace {

using ui::toQString;

// The bar an event of the list stands for; a row's note stands for none.
constexpr int kBarRole = Qt::UserRole;

QListWidgetItem* eventItem(const QString& text, int barIndex) {
    auto* item = new QListWidgetItem(text);
    item->setData(kBarRole, barIndex);
    return item;
}

}  // namespace

TAlarmablauf::TAlarmablauf(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::Alarmablauf>()) {
    ui->setupUi(this);
    connect(ui->Alarmauswahl, &QComboBox::currentIndexChanged, this,
            &TAlarmablauf::AlarmauswahlChange);
    connect(ui->Ereignisse, &QListWidget::currentRowChanged, this, &TAlarmablauf::EreignisseChange);
    connect(ui->Ablauf, &CourseView::barSelected, this, &TAlarmablauf::AblaufSelect);
    connect(ui->Schliessen, &QPushButton::clicked, this, &QDialog::accept);
}

TAlarmablauf::~TAlarmablauf() = default;

CourseView* TAlarmablauf::view() const {
    return ui->Ablauf;
}

void TAlarmablauf::setCourses(std::vector<config::AlarmCourse> courses) {
    courses_ = std::move(courses);
    const QSignalBlocker quiet(ui->Alarmauswahl);
    ui->Alarmauswahl->clear();
    for (const auto& course : courses_) ui->Alarmauswahl->addItem(toQString(course.alarm));
    ui->Alarmauswahl->setCurrentIndex(courses_.empty() ? -1 : 0);
    AlarmauswahlChange(ui->Alarmauswahl->currentIndex());
}

// The picture, its events in drawing order and the row notes, and the findings.
void TAlarmablauf::AlarmauswahlChange(int index) {
    const config::AlarmCourse* course =
        index >= 0 && static_cast<std::size_t>(index) < courses_.size() ? &courses_[index]
                                                                        : nullptr;
    ui->Ablauf->setCourse(course);
    const QSignalBlocker quiet(ui->Ereignisse);
    ui->Ereignisse->clear();
    ui->Befunde->clear();
    ui->Auswahl->clear();
    if (!course) return;
    const auto& bars = ui->Ablauf->layout().bars;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const auto& row = course->rows[bars[i].row];
        ui->Ereignisse->addItem(eventItem(
            toQString(config::describeBar(row, row.bars[bars[i].bar])), static_cast<int>(i)));
    }
    for (const auto& row : course->rows)
        if (row.bars.empty() && !row.note.empty())
            ui->Ereignisse->addItem(eventItem(toQString(row.caption + ": " + row.note), -1));
    for (const std::string& finding : course->findings) ui->Befunde->addItem(toQString(finding));
    if (course->findings.empty()) ui->Befunde->addItem(QStringLiteral("Keine Auffälligkeiten"));
    fitFindings();
}

// A wrapped list item is sized by the view before it knows its final width, and the
// finding's last line would be cut off: each item gets the height its text needs.
void TAlarmablauf::fitFindings() {
    const int width = ui->Befunde->viewport()->width() - 2 * ui->Befunde->spacing() - 8;
    const QFontMetrics metrics(ui->Befunde->font());
    for (int i = 0; i < ui->Befunde->count(); ++i) {
        QListWidgetItem* item = ui->Befunde->item(i);
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, item->text());
        item->setSizeHint(QSize(width, needed.height() + 6));
    }
}

void TAlarmablauf::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitFindings();
}

void TAlarmablauf::EreignisseChange(int row) {
    const QListWidgetItem* item = ui->Ereignisse->item(row);
    ui->Auswahl->setText(item ? item->text() : QString());
    ui->Ablauf->select(item ? item->data(kBarRole).toInt() : -1);
}

void TAlarmablauf::AblaufSelect(int barIndex) {
    for (int row = 0; row < ui->Ereignisse->count(); ++row)
        if (ui->Ereignisse->item(row)->data(kBarRole).toInt() == barIndex && barIndex >= 0) {
            ui->Ereignisse->setCurrentRow(row);
            return;
        }
    if (barIndex < 0) ui->Ereignisse->setCurrentRow(-1);
}

}  // namespace dravel::extras
