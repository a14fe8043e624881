#pragma once

#include <QGroupBox>
#include <QStringList>
#include <vector>

class QButtonGroup;
class QRadioButton;

namespace dravel::ui {

// A captioned group of radio buttons with one selected index (-1 = none).
// itemSelected runs whenever an item becomes selected, by the user or by
// setItemIndex; clearing the selection runs nothing. Items are laid out in
// one column that shares the height evenly, so controls placed over the
// blank runs of an item's caption line up with it. The keyboard enters the
// group at its selected item and moves within it with the arrow keys.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RadioGroup(QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    QStringList items() const;
    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton* button(int index) const;

signals:
    void itemSelected(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrangeButtons();
    void updateTabStop();
    void placeButtonsInTabOrder();

    QButtonGroup* group_;
    std::vector<QRadioButton*> buttons_;
};

}  // namespace dravel::ui
