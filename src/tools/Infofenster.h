#pragma once

#include <memory>

#include "ui/FixedDialog.h"

namespace Ui {
class info;
}

class QTreeWidgetItem;

namespace dravel::tools {

// The version window: the file versions of this program and of the companion program in the
// program directory, the liability note and the change history. Creating it fills the two version
// lines; "Zurück" closes it with accept.
class Tinfo : public dravel::ui::FixedDialog {
    Q_OBJECT
public:
    explicit Tinfo(QWidget* parent = nullptr);
    ~Tinfo() override;

private:
    void setUpNote();
    void setUpHistory();
    void expandSelected();
    // Only the selected item's branch stays open: it expands, every other item collapses.
    void expandOnly(QTreeWidgetItem* selected);

    std::unique_ptr<Ui::info> ui;
};

}  // namespace dravel::tools
