#pragma once

#include <array>
#include <memory>

#include "config/conditions/AlarmCode.h"
#include "ui/FixedDialog.h"

namespace Ui {
class FunktionsTest;
}

namespace dravel::ui {
class AlarmCodePanel;
}

namespace dravel::tools {

// The alarm simulation: starts the companion alarm program from the program
// directory as if an alarm had arrived, with the alarm code composed here or
// with "NIL" for none. It writes nothing and stays open for further tests.
class TFunktionsTest : public dravel::ui::FixedDialog {
    Q_OBJECT
public:
    explicit TFunktionsTest(QWidget* parent = nullptr);
    ~TFunktionsTest() override;

private:
    void ArtClick(int item);
    void BitBtn1Click();

    void setOuterHeight(int height);
    void setUpPanels();
    void startCompanion(const QString& parameter);
    dravel::ui::AlarmCodePanel* panelOf(dravel::config::AlarmCodeKind kind) const;

    std::unique_ptr<Ui::FunktionsTest> ui;
    std::array<dravel::ui::AlarmCodePanel*, 3> panels_{};
};

}  // namespace dravel::tools
