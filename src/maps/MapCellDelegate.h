#pragma once

#include "MapGridDelegate.h"

class MapGridEditor;

// The map grid's cells as MapGridDelegate draws them, plus typing: the editor opened on a cell
// reports every key release to the grid editor, and a closed editor leaves the cell showing the
// value that was stored. Header cells are drawn in the normal colours although they cannot be
// selected.
class MapCellDelegate : public MapGridDelegate {
    Q_OBJECT
public:
    MapCellDelegate(Source source, MapGridEditor& editor, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    // A cell not written says so, with the controller's value.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    MapGridEditor& editor_;
};
