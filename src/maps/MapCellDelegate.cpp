#include "MapCellDelegate.h"

#include "MapGridEditor.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QToolTip>

MapCellDelegate::MapCellDelegate(Source source, MapGridEditor& editor, QObject* parent)
    : MapGridDelegate(std::move(source), parent), editor_(editor) {}

void MapCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    if (index.row() == 0 || index.column() == 0) {
        QStyleOptionViewItem plain(option);
        plain.state |= QStyle::State_Enabled;
        plain.state &= ~QStyle::State_Selected;
        MapGridDelegate::paint(painter, plain, index);
        return;
    }
    MapGridDelegate::paint(painter, option, index);
}

QWidget* MapCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    if (!editor_.mayType(index.column(), index.row())) {
        return nullptr;
    }
    QWidget* w = MapGridDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        editor_.editorOpened(line);
    }
    return w;
}

void MapCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                   const QModelIndex& index) const {
    // Text that came without a key release (pasted) is stored too; then the cell shows what
    // was stored, not a half-typed "12.".
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        editor_.CommitCellText(line->text());
    }
    model->setData(index, editor_.cellText(index.column(), index.row()), Qt::EditRole);
}

bool MapCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::ToolTip && index.isValid()) {
        const QString tip = editor_.cellToolTip(index.column(), index.row());
        if (!tip.isEmpty()) {
            QToolTip::showText(event->globalPos(), tip, view, option.rect);
            return true;
        }
    }
    return MapGridDelegate::helpEvent(event, view, option, index);
}
