#pragma once

#include <QStyledItemDelegate>
#include <cstdint>
#include <functional>

// Draws the cells of the ignition map grid: each data cell filled with the ramp colour of its
// value, the selection framed in white while the grid has the focus (or as the source says), and
// the cell the engine is in now (the live cell) hatched with white lines. Header cells, and every
// cell while the map is switched off, keep the plain look. A cell whose value the controller does
// not hold yet gets an orange corner in every colour mode.
class MapGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    struct Source {
        std::function<int(int column, int row)> value; // signed cell value
        std::function<std::uint8_t()> liveCell;        // column << 4 | row - 1
        std::function<bool()> mapOn;                   // RGMapa not at "off"
        // Whether the selection is framed; when empty, while the grid has the focus.
        std::function<bool()> selectionShown;
        // The cell holds a value the controller does not (a corner mark); may be empty.
        std::function<bool(int column, int row)> unwritten;
    };

    MapGridDelegate(Source source, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The mark of a cell whose value the controller does not hold.
    static void paintNotWrittenMark(QPainter* painter, const QRect& cell);

private:
    Source source_;
};
