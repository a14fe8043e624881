#pragma once

#include <QDialog>

namespace dravel::ui {

// A dialog of fixed size with a title and a close box only, placed in the
// middle of the screen whenever it shows, as the alarm program's windows are.
class FixedDialog : public QDialog {
    Q_OBJECT
public:
    explicit FixedDialog(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace dravel::ui
