#pragma once

#include <QStringList>

class QComboBox;

namespace dravel::ui {

// The entry a selector shows; text typed into a free-text selector is no
// selection.
int selectedIndex(const QComboBox* box);

// Selects the stored entry; an index outside the list selects none. Only a
// different entry is selected, so selecting none where none is selected
// keeps a free-text field's text.
void selectStoredIndex(QComboBox* box, int index);

// Gives a free-text selector new items; its text stays, and selects the
// item equal to it when there is one.
void replaceItemsKeepingText(QComboBox* box, const QStringList& items);

// The serial ports the system lists, in the order the port component gives
// them; raises EComPort when the list cannot be read.
QStringList serialPortNames();

}  // namespace dravel::ui
