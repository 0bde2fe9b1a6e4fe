#include "MapGridDelegate.h"

#include "MapColorRamp.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

MapGridDelegate::MapGridDelegate(Source source, QObject* parent)
    : QStyledItemDelegate(parent), source_(std::move(source)) {}

void MapGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const int column = index.column();
    const int row = index.row();
    const bool dataCell = column >= 1 && row >= 1 && column <= 15 && row <= 16;
    const bool unwritten = dataCell && source_.unwritten && source_.unwritten(column, row);
    if (!dataCell || !source_.mapOn || !source_.mapOn()) {
        QStyledItemDelegate::paint(painter, option, index);
        if (unwritten) {
            paintNotWrittenMark(painter, option.rect);
        }
        return;
    }
    const QRect r = option.rect;
    painter->save();
    painter->fillRect(r, mapColorRamp(source_.value(column, row) + 128));
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const bool framed =
        source_.selectionShown ? source_.selectionShown() : view != nullptr && view->hasFocus();
    if (framed && (option.state & QStyle::State_Selected)) {
        painter->setPen(QPen(Qt::white, 2));
        painter->drawRect(r.adjusted(1, 1, -1, -1));
    }
    const std::uint8_t live = source_.liveCell();
    if ((live >> 4) == column && (live & 15) + 1 == row) {
        painter->setPen(QPen(Qt::white, 1));
        for (int y = r.top() + 1; y < r.bottom(); y += 2) {
            painter->drawLine(r.left() + 1, y, r.right() - 1, y);
        }
    }
    painter->setPen(Qt::black);
    painter->drawText(r.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
    if (unwritten) {
        paintNotWrittenMark(painter, option.rect);
    }
}

void MapGridDelegate::paintNotWrittenMark(QPainter* painter, const QRect& cell) {
    // A corner that reads on every colour of the ramp and on the plain cells: orange with a
    // dark edge, in the top right corner (the value stands at the left).
    const int size = std::max(6, std::min(cell.width(), cell.height()) / 2);
    const QPoint tr = cell.topRight();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(QColor(0x40, 0x20, 0x00), 1));
    painter->setBrush(QColor(0xFF, 0x8C, 0x00));
    painter->drawPolygon(
        QPolygon({tr, QPoint(tr.x() - size, tr.y()), QPoint(tr.x(), tr.y() + size)}));
    painter->restore();
}
