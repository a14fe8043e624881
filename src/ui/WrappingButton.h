#pragma once

#include <QPushButton>

namespace dravel::ui {

// A push button whose caption wraps onto further lines when the button is
// too narrow for it, as the narrow "Liste Aktualisieren" buttons need.
class WrappingButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace dravel::ui
