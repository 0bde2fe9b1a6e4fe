#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

class MapHost;
class QLineEdit;
class QMouseEvent;
class QTableWidget;

// Editing the ignition map in GridMapa: Ctrl+Up/Down (and right-button dragging, and the
// set-angle arrows) raise or lower the selected cells by one 0.2 degree step, a typed value is
// stored as soon as it reads as a number, the left button selects a range. Every change goes
// into MapTable at once, into layer 0 of the chart when it exists, and is queued for the
// controller as a write of the selection's cell range.
class MapGridEditor : public QObject {
    Q_OBJECT
public:
    MapGridEditor(MapHost& host, QTableWidget* grid, QObject* parent = nullptr);
    ~MapGridEditor() override;

    // Raise (up) or lower every selected cell by one step, held at -128 and 127; the write of
    // the selection's range is queued even when no cell could move.
    void StepSelectedCells(bool up);
    // The text being typed into the current cell, after every key release.
    void GridMapaKeyUp();
    // Stores a typed text into the current cell (see MapCellValue::typed); false while the
    // text is still being typed.
    bool CommitCellText(const QString& text);
    // The current cell changed (mouse or keys): chart cursor and the status-bar hint.
    void GridMapaClick();
    // The erase button: the controller clears its map; identity, settings and map are read
    // again afterwards.
    void ToolBtnMapKasujClick();

    // Every cell's text from MapTable (and layer 0 of the chart), e.g. after a file was read.
    void showMapTable();
    // The selection as columns left..right and rows top..bottom, always within the data cells.
    QRect selection() const;
    QTableWidget* grid() const { return grid_; }

    // For the cell delegate.
    bool mayType(int column, int row) const;
    void editorOpened(QLineEdit* editor);
    QString cellText(int column, int row) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int value(int column, int row) const;
    void setValue(int column, int row, int v);
    void queueWrite();
    void moveChartCursor(int column, int row, double angle);
    bool viewportMouse(QMouseEvent* e);
    QPoint dataCellAt(const QPoint& pos) const;
    void markHeaderCells();

    MapHost& host_;
    QTableWidget* grid_;
    QObject* viewport_ = nullptr; // compared only
    QPointer<QLineEdit> typing_;  // the open cell editor, while the user types
    QPoint SelectionAnchor{1, 1};
    int LastDragY = 0;
};
