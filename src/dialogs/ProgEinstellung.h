#pragma once

#include <memory>

#include "config/settings/ProgramOptions.h"
#include "ui/SettingsDialog.h"

namespace Ui {
class Prog;
}

namespace dravel::dialogs {

// How the alarm program behaves: tray start, automatic end, multiple start
// and the external stop button, each with its word of caution.
class TProg : public dravel::ui::SettingsDialog {
    Q_OBJECT
public:
    using Values = dravel::config::ProgramOptions;

    explicit TProg(QWidget* parent = nullptr);
    ~TProg() override;

    // Ticks the boxes in the order they are read; a box that becomes ticked
    // runs its handler, so its notice appears now, before the dialog.
    void setValues(const Values& values);
    Values values() const;

private:
    void attachAutoEnd();
    void AutoEndClick();
    void mehrfachClick();
    void ResetClick();

    std::unique_ptr<Ui::Prog> ui;
    QMetaObject::Connection autoEndHandler_;
};

}  // namespace dravel::dialogs
