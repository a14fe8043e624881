#pragma once

#include <QHeaderView>
#include <QTableWidget>

namespace dravel::extras {

// Rows as high as their text; a long table (a damaged import file) keeps
// one line per row, since measuring every row would take seconds.
inline void fitRows(QTableWidget* table) {
    constexpr int kMeasuredRows = 500;
    if (table->rowCount() <= kMeasuredRows) {
        table->resizeRowsToContents();
        return;
    }
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
}

}  // namespace dravel::extras
