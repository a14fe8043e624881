#include "ui/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <algorithm>

namespace dravel::ui {

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent), group_(new QButtonGroup(this)) {
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        updateTabStop();
        if (checked) emit itemSelected(id);
    });
}

void RadioGroup::setItems(const QStringList& items) {
    setItemIndex(-1);
    for (QRadioButton* b : buttons_) delete b;
    buttons_.clear();
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(objectName() + QString::number(i));
        group_->addButton(b, i);
        buttons_.push_back(b);
        b->show();
    }
    placeButtonsInTabOrder();
    updateTabStop();
    arrangeButtons();
}

QStringList RadioGroup::items() const {
    QStringList texts;
    for (const QRadioButton* b : buttons_) texts << b->text();
    return texts;
}

int RadioGroup::itemIndex() const {
    return group_->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (index == itemIndex()) return;
    if (index >= 0 && index < static_cast<int>(buttons_.size())) {
        buttons_[static_cast<std::size_t>(index)]->setChecked(true);
        return;
    }
    // An exclusive group cannot be emptied by unchecking its button.
    if (QAbstractButton* checked = group_->checkedButton()) {
        group_->setExclusive(false);
        checked->setChecked(false);
        group_->setExclusive(true);
    }
}

QRadioButton* RadioGroup::button(int index) const {
    if (index < 0 || index >= static_cast<int>(buttons_.size())) return nullptr;
    return buttons_[static_cast<std::size_t>(index)];
}

// Made after the window's other controls, the items would come last in the Tab order; they belong
// where the group is: after the control before it. Qt orders only controls that take the focus,
// which a group box does not; the chain is a ring, so a group that comes first follows the last.
void RadioGroup::placeButtonsInTabOrder() {
    QWidget* previous = previousInFocusChain();
    while (previous != this && (previous->focusPolicy() == Qt::NoFocus || isAncestorOf(previous)))
        previous = previous->previousInFocusChain();
    if (previous == this) return;  // the only controls of their window
    for (QRadioButton* b : buttons_) {
        QWidget::setTabOrder(previous, b);
        previous = b;
    }
}

// As on Windows, the group is one Tab stop, at its selected item (the first while none is);
// the arrow keys move between the items.
void RadioGroup::updateTabStop() {
    const int stop = std::max(itemIndex(), 0);
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
        buttons_[static_cast<std::size_t>(i)]->setFocusPolicy(i == stop ? Qt::StrongFocus
                                                                        : Qt::ClickFocus);
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    arrangeButtons();
}

// Shares the height below the caption evenly among the items, as the
// alarm program's own settings windows always laid them out.
void RadioGroup::arrangeButtons() {
    if (buttons_.empty()) return;
    const int count = static_cast<int>(buttons_.size());
    const int captionHeight = fontMetrics().height();
    const int usable = height() - captionHeight - 5;
    const int rowHeight = usable / count;
    const int top = captionHeight + 1 + (usable % count) / 2;
    for (int i = 0; i < count; ++i)
        buttons_[static_cast<std::size_t>(i)]->setGeometry(8, top + i * rowHeight, width() - 10,
                                                           rowHeight);
}

}  // namespace dravel::ui
