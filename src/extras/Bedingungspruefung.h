#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "config/extras/ConditionCheck.h"

namespace Ui {
class Pruefung;
}

// The findings of the condition list check, one row each, or "Keine
// Auffälligkeiten".
class TPruefung : public QDialog {
    Q_OBJECT
public:
    explicit TPruefung(QWidget* parent = nullptr);
    ~TPruefung() override;

    void setFindings(const std::vector<dravel::config::ConditionFinding>& findings);

private:
    std::unique_ptr<Ui::Pruefung> ui;
};
