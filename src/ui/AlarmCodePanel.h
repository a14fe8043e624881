#pragma once

#include <QGroupBox>
#include <QString>
#include <optional>
#include <vector>

#include "config/conditions/AlarmCode.h"

class QComboBox;

namespace dravel::ui {

// The frame of position selectors for one kind of alarm code ("ZVEI",
// "POSAC" or "FMS"), with its caption, labels, selectors and keyboard order.
// The condition list editor and the alarm simulation both use it, so the
// two windows offer the same items and compose the same codes.
class AlarmCodePanel : public QGroupBox {
    Q_OBJECT
public:
    AlarmCodePanel(config::AlarmCodeKind kind, QWidget* parent);

    config::AlarmCodeKind kind() const { return kind_; }
    int positionCount() const { return static_cast<int>(selectors_.size()); }

    // The selector of position 1..positionCount(); null outside that range.
    QComboBox* selector(int position) const;

    // Puts the selectors, in position order, right after previous in the
    // keyboard order; returns the last of them, to chain what follows.
    QWidget* placeInTabOrderAfter(QWidget* previous) const;

    // The code of the current selections; none while a position has no
    // selection.
    std::optional<QString> code() const;

    // The code, or none after telling the user in a plain message box that
    // the code is incomplete.
    std::optional<QString> composeCode(QWidget* messageParent) const;

    // Selects, position by position, the item equal to the code's character
    // (letters regardless of case). A character that is no item of its
    // position, and every position past the code's end, is left without
    // selection, so no earlier choice mixes into the code taken back.
    void preselect(const QString& code);

    void clearSelection();

private:
    void addSelector(int position, int left, int top);
    void addLabel(const QString& text, int left, int width);

    config::AlarmCodeKind kind_;
    std::vector<QComboBox*> selectors_;
};

}  // namespace dravel::ui
