#include "GridCell.h"

#include <QTableWidget>

void setGridCell(QTableWidget* grid, int column, int row, const QString& text) {
    if (row < 0 || column < 0 || row >= grid->rowCount() || column >= grid->columnCount()) {
        return;
    }
    QTableWidgetItem* cell = grid->item(row, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem();
        grid->setItem(row, column, cell);
    }
    cell->setText(text);
}
