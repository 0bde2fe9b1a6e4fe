#include "MapGridEditor.h"

#include "ControllerMirror.h"
#include "GeneralText.h"
#include "GridCell.h"
#include "MapCellDelegate.h"
#include "MapCellValue.h"
#include "MapCells.h"
#include "MapFile.h"
#include "MapHost.h"
#include "MapUpdate.h"
#include "PendingWrites.h"
#include "TChart3D.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTableWidget>
#include <QTimer>

#include <memory>

namespace {

bool isStepKey(const QKeyEvent* e) {
    if (e->key() != Qt::Key_Up && e->key() != Qt::Key_Down) {
        return false;
    }
    return e->modifiers().testFlag(Qt::ControlModifier) ||
           QApplication::mouseButtons().testFlag(Qt::RightButton);
}

// Keys that tie the steps of one drag or the keys of one typed value into one edit; never
// reused (an editor's address may be).
quintptr nextEditKey() {
    static quintptr last = 0;
    return ++last;
}

} // namespace

MapGridEditor::MapGridEditor(MapHost& host, QTableWidget* grid, QObject* parent)
    : QObject(parent), host_(host), grid_(grid) {
    setObjectName(QStringLiteral("MapGridEditor"));
    grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                           QAbstractItemView::EditKeyPressed);
    // Tab leaves the grid for the next control; the arrows move from cell to cell.
    grid_->setTabKeyNavigation(false);

    MapGridDelegate::Source cells;
    cells.value = [this](int column, int row) { return value(column, row); };
    cells.liveCell = [this] { return host_.mirror().LiveCell; };
    // A map not read yet has no values to colour: its cells stay plain.
    cells.mapOn = [this] { return host_.mapOn() && host_.mapEditable(); };
    cells.selectionShown = [this] { return selectionShown(); };
    cells.unwritten = [this](int column, int row) {
        return unwrittenCells().test(static_cast<std::size_t>(MapCells::cellAt(column, row)));
    };
    grid_->setItemDelegate(new MapCellDelegate(cells, *this, grid_));

    viewport_ = grid_->viewport();
    // The frame follows the focus and the window's activation.
    connect(qApp, &QApplication::focusChanged, this,
            // Plain widget pointers: while the grid is being destroyed it is no longer a
            // QTableWidget, and its focus still moves.
            [grid = QPointer<QWidget>(grid_),
             viewport = QPointer<QWidget>(grid_->viewport())](QWidget* before, QWidget* now) {
                if (grid == nullptr || viewport == nullptr) {
                    return; // the window is being taken down
                }
                (void)before;
                (void)now;
                viewport->update(); // the frame follows the window's activation too
            });
    grid_->installEventFilter(this);
    viewport_->installEventFilter(this);
    connect(static_cast<MapCellDelegate*>(grid_->itemDelegate()),
            &QAbstractItemDelegate::closeEditor, this, [this] { typing_ = nullptr; });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { GridMapaClick(); });
    // Header cells (speeds, loads, the two-row titles) can be neither selected nor typed into,
    // also when rows come back after the two-row table.
    connect(grid_->model(), &QAbstractItemModel::dataChanged, this, [this] { markHeaderCells(); });
    markHeaderCells();
}

// A deleted filter drops out of the grid's filter lists by itself.
MapGridEditor::~MapGridEditor() = default;

bool MapGridEditor::selectionShown() const {
    // A selection the next tool would change is always framed while its window is the one in
    // use, wherever the focus went meanwhile (an Undo from the menu, a settings box).
    if (!grid_->selectionModel()->hasSelection() || !grid_->isVisible()) {
        return false;
    }
    const QWidget* focus = QApplication::focusWidget();
    const QWidget* panel = grid_->parentWidget();
    const bool near = focus != nullptr && (focus == grid_ || grid_->isAncestorOf(focus) ||
                                           (panel != nullptr && panel->isAncestorOf(focus)));
    return near || grid_->isActiveWindow();
}

void MapGridEditor::markHeaderCells() {
    for (int r = 0; r < grid_->rowCount(); ++r) {
        for (int c = 0; c < grid_->columnCount(); ++c) {
            if (r != 0 && c != 0) {
                continue;
            }
            QTableWidgetItem* cell = grid_->item(r, c);
            if (cell != nullptr && cell->flags() != Qt::NoItemFlags) {
                cell->setFlags(Qt::NoItemFlags);
            }
        }
    }
}

int MapGridEditor::value(int column, int row) const {
    return static_cast<std::int8_t>(
        host_.mirror().MapTable[static_cast<std::size_t>(MapCells::byteAt(column, row))]);
}

void MapGridEditor::setValue(int column, int row, int v) {
    host_.mirror().MapTable[static_cast<std::size_t>(MapCells::byteAt(column, row))] =
        static_cast<std::uint8_t>(static_cast<std::int8_t>(v));
    setGridCell(grid_, column, row, MapCellValue::text(v));
    if (TChart3D* chart = host_.mapChart()) {
        chart->SetPoint(0, column, row, MapCellValue::chartValue(v));
    }
}

QString MapGridEditor::cellText(int column, int row) const {
    return MapCellValue::text(value(column, row));
}

QString MapGridEditor::cellToolTip(int column, int row) const {
    if (column < 1 || row < 1 || column > 15 || row > 16) {
        return {};
    }
    const int cell = MapCells::cellAt(column, row);
    if (!unwrittenCells().test(static_cast<std::size_t>(cell))) {
        return {};
    }
    const ControllerMirror& m = host_.mirror();
    const auto held = static_cast<std::int8_t>(m.Held.controllerCell(m.MapTable, cell));
    // Written and waiting for the controller's answer: its old value is not known here.
    const bool known = m.Held.mapAside || !m.MapCheck.waitsFor(cell);
    return host_.mapText(960).arg(known ? MapCellValue::text(held) : host_.mapText(961));
}

QRect MapGridEditor::selection() const {
    QRect r;
    for (const QItemSelectionRange& range : grid_->selectionModel()->selection()) {
        r |= QRect(QPoint(range.left(), range.top()), QPoint(range.right(), range.bottom()));
    }
    if (r.isEmpty()) {
        const QModelIndex current = grid_->currentIndex();
        r = QRect(current.column(), current.row(), 1, 1);
    }
    const int lastColumn = std::min(15, grid_->columnCount() - 1);
    const int lastRow = std::min(16, grid_->rowCount() - 1);
    QPoint tl(std::clamp(r.left(), 1, lastColumn), std::clamp(r.top(), 1, lastRow));
    QPoint br(std::clamp(r.right(), 1, lastColumn), std::clamp(r.bottom(), 1, lastRow));
    return QRect(tl, br);
}

void MapGridEditor::queueWrite() {
    const MapCellValue::WriteRange range = MapCellValue::writeRange(selection());
    queueCells(range.first, range.last);
}

void MapGridEditor::queueCells(int first, int last) {
    if (held().mapAside) {
        return; // the grid shows cells not written: they go together, after a question
    }
    if (!host_.controllerAnswering()) {
        // Nobody would take the write: the edit stays in the grid, not written, and is
        // offered to the controller once it answers and its map has been read.
        holdUnwritten({}, true);
        return;
    }
    ControllerMirror& m = host_.mirror();
    if ((m.PendingWrites & PW_MAP_WRITE) != 0) {
        // A write not sent yet keeps its cells: the new range covers both. A pending range
        // that is not valid already stands for the whole map.
        const bool valid = m.MapWriteFirst >= 0 && m.MapWriteLast < MapCells::CellCount &&
                           m.MapWriteFirst <= m.MapWriteLast;
        if (!valid) {
            return;
        }
        first = std::min(first, m.MapWriteFirst);
        last = std::max(last, m.MapWriteLast);
    }
    m.MapWriteFirst = first;
    m.MapWriteLast = last;
    m.PendingWrites |= PW_MAP_WRITE;
}

MapHistory::Change MapGridEditor::change(int column, int row, int before, int after) const {
    return {MapCells::byteAt(column, row), static_cast<std::int8_t>(before),
            static_cast<std::int8_t>(after)};
}

void MapGridEditor::noteMapShown() {
    std::copy(host_.mirror().MapTable.begin(), host_.mirror().MapTable.end(), shown_.begin());
    emit toolsStateChanged();
}

void MapGridEditor::applyEdit(const MapHistory::Edit& edit, bool forward) {
    if (edit.isEmpty()) {
        return;
    }
    int first = MapCells::CellCount;
    int last = -1;
    for (const MapHistory::Change& c : edit) {
        const int column = c.byte / MapCells::Rows;
        const int row = c.byte % MapCells::Rows;
        const std::int8_t v = forward ? c.after : c.before;
        if (column < 1 || row < 1) {
            host_.mirror().MapTable[static_cast<std::size_t>(c.byte)] =
                static_cast<std::uint8_t>(v);
            continue;
        }
        setValue(column, row, v);
        first = std::min(first, MapCells::cellAt(column, row));
        last = std::max(last, MapCells::cellAt(column, row));
    }
    if (TChart3D* chart = host_.mapChart()) {
        chart->RefreshChart();
    }
    if (last < 0) {
        return;
    }
    if (held().mapAside) {
        // Back at the controller's own map: the grid is the controller's again, and the file
        // cannot come back through redo without the question.
        const auto& now = host_.mirror().MapTable;
        bool same = true;
        for (int n = 0; n < MapCells::CellCount && same; ++n) {
            const auto b = static_cast<std::size_t>(MapCells::byteOfCell(n));
            same = now[b] == held().controllerMap[b];
        }
        if (same) {
            held().mapAside = false;
            fileName_.clear();
            history_.dropRedo();
        }
        return;
    }
    queueCells(first, last);
}

MapTools::Block MapGridEditor::selectedBlock() const {
    const QRect sel = selection();
    MapTools::Block block(sel.width(), sel.height());
    for (int c = 0; c < sel.width(); ++c) {
        for (int r = 0; r < sel.height(); ++r) {
            block.at(c, r) = value(sel.left() + c, sel.top() + r);
        }
    }
    return block;
}

int MapGridEditor::applyBlock(const QRect& area, const MapTools::Block& block,
                              const QVector<bool>* keep) {
    MapHistory::Edit edit;
    for (int c = 0; c < block.columns; ++c) {
        for (int r = 0; r < block.rows; ++r) {
            const int column = area.left() + c;
            const int row = area.top() + r;
            if (column < 1 || row < 1 || column > 15 || row > 16 ||
                (keep != nullptr && keep->value(r * block.columns + c))) {
                continue;
            }
            const int before = value(column, row);
            const int after = std::clamp(block.at(c, r), MapTools::CellMin, MapTools::CellMax);
            if (before != after) {
                edit << change(column, row, before, after);
            }
        }
    }
    if (edit.isEmpty()) {
        return 0;
    }
    history_.record(edit);
    applyEdit(edit, true);
    noteMapShown();
    return int(edit.size());
}

void MapGridEditor::undo() {
    if (!host_.mapEditable() || !history_.canUndo()) {
        host_.beep();
        return;
    }
    applyEdit(history_.undo(), false);
    noteMapShown();
}

void MapGridEditor::redo() {
    if (!host_.mapEditable() || !history_.canRedo()) {
        host_.beep();
        return;
    }
    applyEdit(history_.redo(), true);
    noteMapShown();
}

void MapGridEditor::mapFileLoaded(const MapBytes& before, const QString& fileName, bool written) {
    const auto& now = host_.mirror().MapTable;
    MapHistory::Edit edit;
    for (std::size_t b = 0; b < now.size(); ++b) {
        if (before[b] != now[b]) {
            edit << MapHistory::Change{int(b), static_cast<std::int8_t>(before[b]),
                                       static_cast<std::int8_t>(now[b])};
        }
    }
    history_.record(edit);
    if (written) {
        held().mapAside = false;
        fileName_.clear();
        held().offerCells.reset();
        offerOnRead_ = false;
    } else {
        if (!held().mapAside) {
            held().controllerMap = before;
        }
        held().mapAside = true;
        fileName_ = fileName;
    }
    noteMapShown();
}

void MapGridEditor::mapFileLoadedAside(const MapBytes& before, const QString& fileName,
                                       const CellMask& cells, std::uint32_t fileDevice,
                                       int fileBytes) {
    mapFileLoaded(before, fileName, false);
    fileDevice_ = fileDevice;
    fileBytes_ = fileBytes;
    holdUnwritten(cells, true);
}

void MapGridEditor::holdUnwritten(const CellMask& cells, bool offer) {
    if (!held().mapAside) {
        held().controllerMap = shown_; // MapTable before the edit that is being made
        held().mapAside = true;
        fileName_.clear();
        fileDevice_ = 0;
        fileBytes_ = 0;
    }
    held().offerCells |= cells;
    if (offer) {
        offerOnRead_ = true;
        freshRead_ = false;
    }
    emit toolsStateChanged();
}

HeldWrites& MapGridEditor::held() const {
    return host_.mirror().Held;
}

MapGridEditor::CellMask MapGridEditor::unwrittenCells() const {
    const ControllerMirror& m = host_.mirror();
    return m.Held.unwrittenCells(m.MapTable, m.MapCheck);
}

void MapGridEditor::keepUnwrittenOnRead() {
    if (held().mapAside) {
        // Offered again against the map about to be read, never overwritten by it.
        offerOnRead_ = true;
        freshRead_ = false;
    }
}

void MapGridEditor::discardUnwritten() {
    ControllerMirror& m = host_.mirror();
    m.MapCheck.takeUnconfirmed(m); // nothing of it is written again
    if (held().mapAside) {
        m.MapTable = held().controllerMap;
        held().mapAside = false;
        fileName_.clear();
        held().offerCells.reset();
        offerOnRead_ = false;
        showMapTable();
        if (TChart3D* chart = host_.mapChart()) {
            chart->RefreshChart();
        }
    }
    noteMapShown();
    grid_->viewport()->update();
}

void MapGridEditor::connectionLost(const QVector<MapWriteCheck::Cell>& cells) {
    if (cells.isEmpty()) {
        return;
    }
    CellMask mask;
    for (const MapWriteCheck::Cell& c : cells) {
        mask.set(static_cast<std::size_t>(c.cell));
    }
    if (!held().mapAside) {
        // What the controller held before these cells is not known: the read on its return
        // tells. Until then the grid keeps the user's values.
        shown_ = host_.mirror().MapTable;
    }
    holdUnwritten(mask, true);
}

void MapGridEditor::mapNotTaken(const QVector<MapWriteCheck::Cell>& cells, int tries) {
    if (cells.isEmpty()) {
        return;
    }
    auto& table = host_.mirror().MapTable;
    if (!held().mapAside) {
        held().controllerMap = table; // the controller's values, the cells it did not take included
        held().mapAside = true;
        fileName_.clear();
        fileDevice_ = 0;
        fileBytes_ = 0;
    }
    CellMask mask;
    for (const MapWriteCheck::Cell& c : cells) {
        mask.set(static_cast<std::size_t>(c.cell));
        held().controllerMap[static_cast<std::size_t>(MapCells::byteOfCell(c.cell))] =
            table[static_cast<std::size_t>(MapCells::byteOfCell(c.cell))];
        setValue(MapCells::column(c.cell), MapCells::row(c.cell),
                 static_cast<std::int8_t>(c.value));
    }
    held().offerCells |= mask;
    // The user is told now and writes again with the write button; nothing is sent by itself.
    offerOnRead_ = false;
    if (TChart3D* chart = host_.mapChart()) {
        chart->RefreshChart();
    }
    noteMapShown();
    const QString text = host_.mapText(880).arg(cells.size()).arg(tries);
    // After the poll tick that brought the map: the link goes on while the box is open.
    QTimer::singleShot(0, this, [this, text] { host_.showFileError(text); });
}

QString MapGridEditor::writeQuestion(const MapBytes& controller, const MapBytes& user,
                                     bool fromFile, std::uint32_t fileDevice, int fileBytes) const {
    const MapFile::Difference d = MapFile::difference(controller, user);
    QString text = host_.mapText(818).arg(d.cells).arg(GeneralText(d.largest * 0.2));
    const std::uint32_t device = host_.mirror().DeviceId;
    if (fromFile && fileDevice != 0 && fileDevice != device) {
        text += QStringLiteral("\n\n") + host_.mapText(819)
                                             .arg(MapFile::deviceIdText(fileDevice))
                                             .arg(MapFile::deviceIdText(device));
    }
    if (fromFile && fileBytes < MapFile::FileSize) {
        const int mapBytes = std::max(0, fileBytes - MapFile::HeaderSize);
        int cells = 0;
        for (int n = 0; n < MapCells::CellCount; ++n) {
            cells += MapCells::byteOfCell(n) < mapBytes ? 1 : 0;
        }
        text += QStringLiteral("\n\n") +
                host_.mapText(883).arg(fileBytes).arg(MapFile::FileSize).arg(cells);
    }
    if (fromFile && fileBytes > MapFile::FileSize) {
        constexpr int LongerFileText = 990; // only the first 320 bytes are the map file
        text += QStringLiteral("\n\n") +
                host_.mapText(LongerFileText).arg(fileBytes).arg(MapFile::FileSize);
    }
    return text + QStringLiteral("\n\n") + host_.mapText(fromFile ? 823 : 882);
}

void MapGridEditor::offerUnwrittenWhenReady() {
    if (!held().mapAside || !offerOnRead_ || !freshRead_ || offering_ || !host_.controllerReady()) {
        return;
    }
    const QScopedValueRollback<bool> asking(offering_, true);
    const auto& user = host_.mirror().MapTable;
    if (MapFile::difference(held().controllerMap, user).cells == 0) {
        // The controller holds these cells already.
        held().mapAside = false;
        fileName_.clear();
        held().offerCells.reset();
        offerOnRead_ = false;
        noteMapShown();
        host_.setStatusText(host_.mapText(821));
        return;
    }
    const bool fromFile = !fileName_.isEmpty();
    const bool full =
        !fromFile || MapFile::yesByDefault(fileDevice_, host_.mirror().DeviceId, fileBytes_);
    const bool yes = host_.askYesNo(
        writeQuestion(held().controllerMap, user, fromFile, fileDevice_, fileBytes_), full);
    offerOnRead_ = false;
    if (!held().mapAside) {
        return; // written or dropped meanwhile
    }
    if (!yes) {
        noteMapShown(); // shown, not written, until the write button or the next map read
        return;
    }
    writeWholeShownMap();
}

void MapGridEditor::writeShownMap() {
    if (!held().mapAside) {
        return;
    }
    if (!host_.mapEditable() || !host_.controllerAnswering()) {
        host_.beep();
        return;
    }
    writeWholeShownMap();
}

void MapGridEditor::writeWholeShownMap() {
    {
        // What the controller holds now is what a backup before the write must keep.
        auto controller = std::make_unique<ControllerMirror>(host_.mirror());
        controller->MapTable = held().controllerMap;
        if (!host_.mapFileAboutToBeWritten(*controller)) {
            return;
        }
    }
    held().mapAside = false;
    fileName_.clear();
    held().offerCells.reset();
    offerOnRead_ = false;
    ControllerMirror& m = host_.mirror();
    m.MapWriteFirst = 0;
    m.MapWriteLast = MapCells::CellCount - 1;
    m.PendingWrites |= PW_MAP_WRITE;
    noteMapShown();
}

void MapGridEditor::controllerMapRead() {
    // The map arrived: the grid's colours follow the values just read.
    grid_->viewport()->update();
    auto& table = host_.mirror().MapTable;
    if (held().mapAside && (offerOnRead_ || offering_)) {
        // Cells not written are offered against the map just read: the grid keeps showing
        // them over the controller's other cells.
        CellMask cells = held().offerCells;
        for (int n = 0; n < MapCells::CellCount; ++n) {
            const auto b = static_cast<std::size_t>(MapCells::byteOfCell(n));
            if (shown_[b] != held().controllerMap[b]) {
                cells.set(static_cast<std::size_t>(n));
            }
        }
        held().offerCells = cells;
        held().controllerMap = table;
        for (int n = 0; n < MapCells::CellCount; ++n) {
            if (cells.test(static_cast<std::size_t>(n))) {
                const auto b = static_cast<std::size_t>(MapCells::byteOfCell(n));
                table[b] = shown_[b];
            }
        }
        showMapTable();
        if (TChart3D* chart = host_.mapChart()) {
            chart->RefreshChart();
        }
        freshRead_ = true;
        noteMapShown();
        return;
    }
    const auto& now = table;
    for (int n = 0; n < MapCells::CellCount; ++n) {
        const auto b = static_cast<std::size_t>(MapCells::byteOfCell(n));
        if (now[b] != shown_[b]) {
            history_.clear();
            break;
        }
    }
    held().mapAside = false;
    fileName_.clear();
    held().offerCells.reset();
    offerOnRead_ = false;
    noteMapShown();
}

bool MapGridEditor::controllerCellsAcknowledged(const MapUpdate& update) {
    if (!held().mapAside || update.wholeMapRead) {
        return false;
    }
    auto& table = host_.mirror().MapTable;
    for (const MapCellUpdate& cell : update.cells) {
        const auto b = static_cast<std::size_t>(MapCells::byteAt(cell.column, cell.row));
        held().controllerMap[b] = table[b];
        table[b] = shown_[b];
    }
    return true;
}

void MapGridEditor::moveChartCursor(int column, int row, double angle) {
    if (TChart3D* chart = host_.mapChart()) {
        chart->SetCursor(column * 400 + 400, row * 100 / 16, angle + 25.6);
    }
}

void MapGridEditor::StepSelectedCells(bool up) {
    if (!host_.mapEditable()) {
        host_.beep(); // nothing to step before the controller's map was read
        return;
    }
    if (typing_ != nullptr) {
        // A value being typed is stored first; the step then applies to it.
        auto* delegate = static_cast<MapCellDelegate*>(grid_->itemDelegate());
        emit delegate->commitData(typing_);
        emit delegate->closeEditor(typing_, QAbstractItemDelegate::NoHint);
    }
    const QRect sel = selection();
    MapHistory::Edit edit;
    for (int i = sel.left(); i <= sel.right(); ++i) {
        for (int j = sel.top(); j <= sel.bottom(); ++j) {
            const int before = value(i, j);
            setValue(i, j, MapCellValue::stepped(before, up));
            edit << change(i, j, before, value(i, j));
        }
    }
    history_.record(edit, QApplication::mouseButtons().testFlag(Qt::RightButton) ? dragKey_ : 0);
    const QModelIndex current = grid_->currentIndex();
    if (current.isValid() && current.row() >= 1 && current.column() >= 1) {
        moveChartCursor(
            current.column(), current.row(),
            MapCellValue::angleOf(grid_->item(current.row(), current.column()) != nullptr
                                      ? grid_->item(current.row(), current.column())->text()
                                      : QString()));
    }
    queueWrite();
    noteMapShown();
}

bool MapGridEditor::mayType(int column, int row) const {
    if (column < 1 || row < 1 || column > 15 || row > 16) {
        return false;
    }
    if (!host_.mapEditable()) {
        host_.beep();
        return false;
    }
    return true;
}

void MapGridEditor::editorOpened(QLineEdit* editor) {
    typing_ = editor;
    typingKey_ = nextEditKey();
    editor->installEventFilter(this);
}

void MapGridEditor::GridMapaKeyUp() {
    if (typing_ != nullptr) {
        CommitCellText(typing_->text());
    }
}

bool MapGridEditor::CommitCellText(const QString& text) {
    const auto typed = MapCellValue::typed(text);
    const QModelIndex current = grid_->currentIndex();
    if (!current.isValid() || current.column() < 1 || current.row() < 1 || !host_.mapEditable()) {
        return false;
    }
    if (!typed) {
        if (MapCellValue::notANumber(text)) {
            // A stray key is no value: the cell keeps what it holds, and the user hears why.
            constexpr int NotANumberText = 992; // "%1" is not a number: the cell keeps %2.
            host_.beep();
            host_.setStatusText(
                host_.mapText(NotANumberText)
                    .arg(text.trimmed(), cellText(current.column(), current.row())));
        }
        return false;
    }
    const int i = current.column();
    const int j = current.row();
    const int before = value(i, j);
    host_.mirror().MapTable[static_cast<std::size_t>(MapCells::byteAt(i, j))] =
        static_cast<std::uint8_t>(static_cast<std::int8_t>(typed->v));
    const QString shown = MapCellValue::text(typed->v);
    if (shown != text) {
        if (typing_ != nullptr) {
            typing_->setText(shown);
        }
        setGridCell(grid_, i, j, shown);
    }
    if (TChart3D* chart = host_.mapChart()) {
        chart->SetPoint(0, i, j, MapCellValue::chartValue(typed->v));
    }
    // Every key of one typed value makes one edit.
    history_.record({change(i, j, before, typed->v)}, typing_ != nullptr ? typingKey_ : 0);
    moveChartCursor(i, j, typed->angle);
    queueWrite();
    noteMapShown();
    return true;
}

void MapGridEditor::GridMapaClick() {
    const QModelIndex current = grid_->currentIndex();
    if (!current.isValid() || current.column() < 1 || current.row() < 1) {
        return;
    }
    const QTableWidgetItem* cell = grid_->item(current.row(), current.column());
    moveChartCursor(current.column(), current.row(),
                    MapCellValue::angleOf(cell != nullptr ? cell->text() : QString()));
    host_.setStatusText(host_.mapText(734));
}

void MapGridEditor::ToolBtnMapKasujClick() {
    // The whole map goes with one click: asked first (No is the default), backed up first.
    if (!host_.askYesNo(host_.mapText(884), false)) {
        return;
    }
    ControllerMirror& m = host_.mirror();
    if (held().mapAside) {
        // The grid shows cells not written: what the controller holds is what is erased.
        m.MapTable = held().controllerMap;
        showMapTable();
        held().mapAside = false;
        fileName_.clear();
        held().offerCells.reset();
        offerOnRead_ = false;
    }
    if (!host_.mapFileAboutToBeWritten(m)) {
        noteMapShown();
        return;
    }
    // Cells still on their way would be written again over the erased map.
    m.MapCheck.takeUnconfirmed(m);
    if (host_.mapEditable()) {
        // The erased map reads back as zeros; undo writes the cells as they were.
        MapHistory::Edit edit;
        for (int i = 1; i <= 15; ++i) {
            for (int j = 1; j <= 16; ++j) {
                const int before = value(i, j);
                if (before != 0) {
                    edit << change(i, j, before, 0);
                    setValue(i, j, 0);
                }
            }
        }
        history_.record(edit);
        if (TChart3D* chart = host_.mapChart()) {
            chart->RefreshChart();
        }
    }
    noteMapShown();
    m.PendingWrites |= PW_CLEAR_MAP;
    // Read the cleared map back, so the grid shows what the controller now holds.
    m.PendingWrites |= PW_MAP_READ;
    m.clearRxHead();
    m.SettingIndex = 0;
    m.IdentityState = 0;
}

void MapGridEditor::showMapTable() {
    TChart3D* chart = host_.mapChart();
    for (int i = 1; i <= 15; ++i) {
        for (int j = 1; j <= 16; ++j) {
            const int v = value(i, j);
            setGridCell(grid_, i, j, MapCellValue::text(v));
            if (chart != nullptr) {
                chart->SetPoint(0, i, j, MapCellValue::chartValue(v));
            }
        }
    }
}

QPoint MapGridEditor::dataCellAt(const QPoint& pos) const {
    int column = grid_->columnAt(pos.x());
    int row = grid_->rowAt(pos.y());
    if (column < 0) {
        column = pos.x() < 0 ? 1 : grid_->columnCount() - 1;
    }
    if (row < 0) {
        row = pos.y() < 0 ? 1 : grid_->rowCount() - 1;
    }
    return {std::clamp(column, 1, std::min(15, grid_->columnCount() - 1)),
            std::clamp(row, 1, std::min(16, grid_->rowCount() - 1))};
}

bool MapGridEditor::viewportMouse(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (e->button() == Qt::RightButton) {
            LastDragY = pos.y(); // dragging with the right button steps; a click selects nothing
            rightPress_ = e->globalPosition().toPoint();
            rightDragged_ = false;
            dragKey_ = nextEditKey();
            return true;
        }
        if (e->button() == Qt::LeftButton) {
            const int column = grid_->columnAt(pos.x());
            const int row = grid_->rowAt(pos.y());
            if (column < 1 || row < 1) {
                return true; // header cells are not map cells
            }
            if (!e->modifiers().testFlag(Qt::ShiftModifier)) {
                SelectionAnchor = QPoint(column, row);
            }
        }
        return false;
    case QEvent::MouseMove:
        if (e->buttons().testFlag(Qt::LeftButton)) {
            const QPoint cell = dataCellAt(pos);
            const QRect span(QPoint(std::min(SelectionAnchor.x(), cell.x()),
                                    std::min(SelectionAnchor.y(), cell.y())),
                             QPoint(std::max(SelectionAnchor.x(), cell.x()),
                                    std::max(SelectionAnchor.y(), cell.y())));
            QAbstractItemModel* model = grid_->model();
            grid_->selectionModel()->select(
                QItemSelection(model->index(span.top(), span.left()),
                               model->index(span.bottom(), span.right())),
                QItemSelectionModel::ClearAndSelect);
            return true;
        }
        if (e->buttons().testFlag(Qt::RightButton)) {
            if (pos.y() < LastDragY) {
                rightDragged_ = true;
                StepSelectedCells(true);
            } else if (pos.y() > LastDragY) {
                rightDragged_ = true;
                StepSelectedCells(false);
            }
            LastDragY = pos.y();
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (e->button() != Qt::RightButton) {
            return false;
        }
        // A right click that stepped nothing opens the tools menu.
        if (!rightDragged_) {
            emit contextMenuRequested(rightPress_);
        }
        rightDragged_ = true;
        return true;
    default:
        return false;
    }
}

bool MapGridEditor::eventFilter(QObject* watched, QEvent* event) {
    // Only pointers are compared before the event is known to be the user's: the grid may be
    // in the middle of its destruction when other events arrive.
    const QEvent::Type type = event->type();
    if (watched == viewport_ &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
         type == QEvent::MouseMove || type == QEvent::MouseButtonRelease)) {
        return viewportMouse(static_cast<QMouseEvent*>(event));
    }
    if ((watched == grid_ || watched == viewport_) && type == QEvent::ContextMenu) {
        // The mouse's menu opens on the right button's release (pressing and dragging steps).
        auto* menu = static_cast<QContextMenuEvent*>(event);
        if (menu->reason() != QContextMenuEvent::Mouse) {
            const QModelIndex current = grid_->currentIndex();
            const QPoint at = current.isValid() ? grid_->visualRect(current).center() : QPoint();
            emit contextMenuRequested(grid_->viewport()->mapToGlobal(at));
        }
        return true;
    }
    // Key events first: the cell editor is looked at only then (while it is being destroyed
    // it still filters events, and is no longer a line edit).
    if (type == QEvent::KeyPress &&
        (watched == grid_ || (typing_ != nullptr && watched == typing_)) &&
        isStepKey(static_cast<QKeyEvent*>(event))) {
        StepSelectedCells(static_cast<QKeyEvent*>(event)->key() == Qt::Key_Up);
        return true; // the selection stays where it is for the next step
    }
    // The release of the key that opened the editor still goes to the grid.
    if (type == QEvent::KeyRelease && typing_ != nullptr &&
        (watched == typing_ || watched == grid_)) {
        GridMapaKeyUp();
    }
    return QObject::eventFilter(watched, event);
}
