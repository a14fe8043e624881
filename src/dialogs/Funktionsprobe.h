#pragma once

#include <QString>
#include <memory>

#include "config/settings/ScheduleSettings.h"
#include "ui/SettingsDialog.h"

class QKeyEvent;
class QLineEdit;

namespace Ui {
class Funktions;
}

namespace dravel::dialogs {

// The recurring window in which the alarm program stays inactive: the kind
// of recurrence in the radio group Tage, with its selectors laid over the
// blank stretches of the items, and the start time and length below.
class TFunktions : public dravel::ui::SettingsDialog {
    Q_OBJECT
public:
    using Values = dravel::config::ScheduleSettings;

    explicit TFunktions(QWidget* parent = nullptr);
    ~TFunktions() override;

    void setValues(const Values& values);
    Values values() const;

    // "Übernehmen" does not get past a time that is refused.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class TimeCheck { Passes, Incomplete, NotATime };

    void setFormTabOrder();
    void focusTage();
    void TageClick();
    bool UhrzeitKeyPress(const QKeyEvent& key) const;  // true: the key reaches the field
    bool dauerKeyPress(const QKeyEvent& key) const;
    void pasteSelection(QLineEdit* field);
    void typeInto(QLineEdit* field, const QString& text);
    void focusMoved(QWidget* from, QWidget* to);
    void UhrzeitExit();
    TimeCheck checkTime() const;
    QString timeText() const;

    std::unique_ptr<Ui::Funktions> ui;
    QMetaObject::Connection focusConnection_;
    void restoreTimeText();

    // The time field has had the focus and has not yet been left with a time.
    bool inTimeField_ = false;
    bool refusing_ = false;    // a refusal's message is open
    QString timeTextAtFocus_;  // the field's text when it got the focus
};

}  // namespace dravel::dialogs
