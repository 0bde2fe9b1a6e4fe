#pragma once

class QString;
class QTableWidget;

// Writes one text cell of a string grid, creating the item on first use. A cell outside the
// grid is left alone (an item set there would never be shown or freed).
void setGridCell(QTableWidget* grid, int column, int row, const QString& text);
