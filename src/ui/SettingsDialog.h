#pragma once

#include "ui/FixedDialog.h"

namespace dravel::ui {

// Base of every settings dialog: "Übernehmen" accepts at once; any other
// way of closing ("Abbrechen", the close box, Escape) first asks
// "Abbrechen ohne Speichern?" and stays open on "Nein".
class SettingsDialog : public FixedDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget* parent = nullptr);

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Gives the window this outer size (frame included), as the forms state it.
    void setOuterSize(int width, int height);

private:
    bool confirmCancel();
};

}  // namespace dravel::ui
