#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "config/extras/AlarmCourse.h"

namespace Ui {
class Alarmablauf;
}

namespace dravel::extras {

class CourseView;

// The course of one alarm as a picture, for each alarm the selector offers,
// with its events as a list and what would go wrong beside it.
class TAlarmablauf : public QDialog {
    Q_OBJECT
public:
    explicit TAlarmablauf(QWidget* parent = nullptr);
    ~TAlarmablauf() override;

    // One course per entry of the selector, in its order.
    void setCourses(std::vector<config::AlarmCourse> courses);

    CourseView* view() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void AlarmauswahlChange(int index);
    void fitFindings();
    void EreignisseChange(int row);
    void AblaufSelect(int barIndex);

    std::unique_ptr<Ui::Alarmablauf> ui;
    std::vector<config::AlarmCourse> courses_;
};

}  // namespace dravel::extras
