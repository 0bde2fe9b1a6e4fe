#pragma once

#include "HeldWrites.h"
#include "MapHistory.h"
#include "MapTools.h"
#include "MapWriteCheck.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <array>
#include <bitset>
#include <cstdint>

struct MapUpdate;

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

    // --- map tools, undo and redo. Every change goes through applyEdit: MapTable, the grid,
    // the chart, the history, and a write of the cells from the first to the last one changed.
    using MapBytes = std::array<std::uint8_t, 272>;
    MapTools::Block selectedBlock() const;
    // Puts a block at the top left of `area` (cells beyond the map are left out; a false in
    // `keep` leaves its cell alone). Returns how many cells changed.
    int applyBlock(const QRect& area, const MapTools::Block& block,
                   const QVector<bool>* keep = nullptr);
    void undo();
    void redo();
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }

    // A map file's cells went into MapTable (`before`: the map until then): shown and recorded
    // as one edit. `written` false: the grid now shows the file, not the controller's map;
    // edits are not written until writeShownMap() or until the controller's map is read again.
    void mapFileLoaded(const MapBytes& before, const QString& fileName, bool written);
    // Map cells (0..239) shown in the grid that the controller does not hold.
    using CellMask = HeldWrites::CellMask;
    // A map file loaded while the controller's map is not known (not read yet, or no
    // connection): shown as not written, and offered once the controller's identity, settings
    // and map have been read. Only the cells in `cells` come from the file; the others will be
    // the controller's. `fileDevice` and `fileBytes` describe the file for the question.
    void mapFileLoadedAside(const MapBytes& before, const QString& fileName, const CellMask& cells,
                            std::uint32_t fileDevice, int fileBytes);
    // The question before a map is written: how many cells change, by how much at most,
    // another controller's file, a short file, and what is asked.
    QString writeQuestion(const MapBytes& controller, const MapBytes& user, bool fromFile,
                          std::uint32_t fileDevice, int fileBytes) const;
    bool showsUnwrittenFile() const { return held().mapAside; }
    // Cells the grid shows that the controller does not hold (shown aside, or written and not
    // confirmed yet).
    CellMask unwrittenCells() const;
    // The controller's map is about to be read again while cells are not written: keep them
    // over it and offer them again, or throw them away (the grid shows the controller's map).
    void keepUnwrittenOnRead();
    void discardUnwritten();
    // A selection is framed while its window is in use (or the grid or a control beside it
    // has the focus): after Set, Add or Undo the user still sees which cells the next tool
    // changes.
    bool selectionShown() const;
    QString shownFileName() const { return fileName_; }
    // The controller's map as the program last knew it, while the grid shows a file.
    const MapBytes& controllerMap() const { return held().controllerMap; }
    // Writes the shown file's whole map to the controller.
    void writeShownMap();
    // The controller's whole map was read into MapTable: the grid is the controller's again;
    // the history goes when the map read differs from what the grid showed (another
    // controller, or one changed elsewhere).
    void controllerMapRead();
    // A map write acknowledgement stored the controller's cells into MapTable. While the grid
    // shows a file those cells belong to the controller's map kept aside: the file's values go
    // back into MapTable and true says the grid must not show the update.
    bool controllerCellsAcknowledged(const MapUpdate& update);
    // The link was lost with cells written but not confirmed (or still to be written): they
    // stay in the grid as not written and are offered again once the controller is read.
    void connectionLost(const QVector<MapWriteCheck::Cell>& cells);
    // Once the controller is known again, asks whether to write the cells not written
    // (differences, Yes/No; a backup first). Called after every poll tick.
    void offerUnwrittenWhenReady();
    // A map read showed cells that the controller did not take after every write: they stay
    // in the grid as not written, and the user is told (`tries` writes were made).
    void mapNotTaken(const QVector<MapWriteCheck::Cell>& cells, int tries);

    // For the cell delegate.
    bool mayType(int column, int row) const;
    void editorOpened(QLineEdit* editor);
    QString cellText(int column, int row) const;
    // "Not written to the controller; it holds: ..." for a cell not written, else empty.
    QString cellToolTip(int column, int row) const;

signals:
    // Undo/redo availability or the shown-file state changed.
    void toolsStateChanged();
    // A right-button click without dragging, or the keyboard's menu key.
    void contextMenuRequested(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int value(int column, int row) const;
    void setValue(int column, int row, int v);
    void queueWrite();
    MapHistory::Change change(int column, int row, int before, int after) const;
    // Queues cells first..last for the controller, joined with a write not sent yet.
    void queueCells(int first, int last);
    void applyEdit(const MapHistory::Edit& edit, bool forward);
    void noteMapShown();
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
    QPoint rightPress_;
    bool rightDragged_ = false;
    quintptr dragKey_ = 0;   // one right-button drag is one edit
    quintptr typingKey_ = 0; // one typed value is one edit

    MapHistory history_;
    MapBytes shown_{}; // MapTable as the grid last showed it
    // What the grid shows aside from the controller's map is kept in the mirror's HeldWrites.
    HeldWrites& held() const;
    QString fileName_;
    // Whether to offer the cells not written once the controller's map is read.
    bool offerOnRead_ = false;
    bool offering_ = false;
    bool freshRead_ = false; // the controller's map was read since the cells were held
    std::uint32_t fileDevice_ = 0;
    int fileBytes_ = 0;
    // Enters (or extends) the not-written state: the grid keeps the user's cells.
    void holdUnwritten(const CellMask& cells, bool offer);
    void writeWholeShownMap();
};
