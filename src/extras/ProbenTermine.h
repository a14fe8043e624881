#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "config/extras/DeactivationWindows.h"

namespace Ui {
class ProbenTermine;
}

// The coming deactivation windows: the schedule as the main window words
// it, what holds for all windows, then one row per window.
class TProbenTermine : public QDialog {
    Q_OBJECT
public:
    explicit TProbenTermine(QWidget* parent = nullptr);
    ~TProbenTermine() override;

    void setPlan(const std::string& scheduleSentence, const dravel::config::DeactivationPlan& plan);

private:
    std::unique_ptr<Ui::ProbenTermine> ui;
};
