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

// The last column takes the width the others leave and wraps its text; the
// rows are measured again whenever it changes width (when the dialog is laid
// out, resized, or drawn in another style or font), so no text is cut.
inline void wrapLastColumn(QTableWidget* table) {
    table->setWordWrap(true);
    table->setTextElideMode(Qt::ElideNone);
    QHeaderView* header = table->horizontalHeader();
    header->setStretchLastSection(true);
    // Queued: the header reports the stretched width before it takes it.
    QObject::connect(
        header, &QHeaderView::sectionResized, table,
        [table](int column) {
            if (column == table->columnCount() - 1) fitRows(table);
        },
        Qt::QueuedConnection);
}

// Fits every column but the last to its contents; the last takes the rest.
inline void fitColumns(QTableWidget* table) {
    for (int column = 0; column < table->columnCount() - 1; ++column)
        table->resizeColumnToContents(column);
    fitRows(table);
}

}  // namespace dravel::extras
