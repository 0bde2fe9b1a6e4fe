#include "MapToolBar.h"

#include "MapCellValue.h"
#include "MapGridEditor.h"
#include "MapHost.h"
#include "MapTools.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QToolBar>

#include <cmath>

namespace {

QAction* action(QObject* parent, const char* name) {
    auto* a = new QAction(parent);
    a->setObjectName(QLatin1String(name));
    return a;
}

int steps(double degrees) {
    return MapCellValue::stepsOf(degrees);
}

} // namespace

MapToolBar::MapToolBar(MapHost& host, MapGridEditor& editor, QToolBar* toolBar, QObject* parent)
    : QObject(parent), host_(host), editor_(editor) {
    setObjectName(QStringLiteral("MapTools"));
    QWidget* window = toolBar->window();
    QStyle* style = toolBar->style();

    UndoAction = action(window, "MapUndo");
    UndoAction->setIcon(style->standardIcon(QStyle::SP_ArrowBack));
    UndoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    RedoAction = action(window, "MapRedo");
    RedoAction->setIcon(style->standardIcon(QStyle::SP_ArrowForward));
    RedoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    SetAction = action(window, "MapSet");
    AddAction = action(window, "MapAdd");
    SubtractAction = action(window, "MapSubtract");
    ScaleAction = action(window, "MapScale");
    RowsAction = action(window, "MapInterpolateRows");
    ColumnsAction = action(window, "MapInterpolateColumns");
    CornersAction = action(window, "MapInterpolateCorners");
    SmoothAction = action(window, "MapSmooth");
    CopyAction = action(window, "MapCopy");
    CopyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    CopyAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    PasteAction = action(window, "MapPaste");
    PasteAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    PasteAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    WriteAction = action(window, "MapWriteShown");
    WriteAction->setIcon(style->standardIcon(QStyle::SP_DialogApplyButton));
    // Copy and paste belong to the grid: elsewhere they are the text fields' own keys.
    editor_.grid()->addAction(CopyAction);
    editor_.grid()->addAction(PasteAction);

    ValueBox = new QDoubleSpinBox(toolBar);
    ValueBox->setObjectName(QStringLiteral("MapToolValue"));
    ValueBox->setRange(-25.6, 25.4);
    ValueBox->setDecimals(1);
    ValueBox->setSingleStep(0.2);
    ValueBox->setValue(1.0);
    PercentBox = new QSpinBox(toolBar);
    PercentBox->setObjectName(QStringLiteral("MapToolPercent"));
    PercentBox->setRange(0, 1000);
    PercentBox->setValue(100);
    PercentBox->setSuffix(QStringLiteral(" %"));

    toolBar->addSeparator();
    toolBar->addAction(UndoAction);
    toolBar->addAction(RedoAction);
    toolBar->addSeparator();
    toolBar->addWidget(ValueBox);
    toolBar->addAction(SetAction);
    toolBar->addAction(AddAction);
    toolBar->addAction(SubtractAction);
    toolBar->addWidget(PercentBox);
    toolBar->addAction(ScaleAction);
    toolBar->addSeparator();
    toolBar->addAction(RowsAction);
    toolBar->addAction(ColumnsAction);
    toolBar->addAction(CornersAction);
    toolBar->addAction(SmoothAction);
    toolBar->addSeparator();
    toolBar->addAction(WriteAction);
    FileNotice = new QLabel(toolBar);
    FileNotice->setObjectName(QStringLiteral("MapFileNotice"));
    // A long file name must not widen the panel: the text is cut, the tooltip holds it all.
    FileNotice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    FileNotice->setStyleSheet(
        QStringLiteral("QLabel { background: #ffd24d; color: black; padding: 1px 4px; }"));
    // The notice stands in its own line under the toolbar, where a narrow panel cannot push it
    // into the toolbar's overflow menu.
    auto* column = toolBar->parentWidget() != nullptr
                       ? qobject_cast<QBoxLayout*>(toolBar->parentWidget()->layout())
                       : nullptr;
    if (column != nullptr && column->indexOf(toolBar) >= 0) {
        FileNotice->setParent(toolBar->parentWidget());
        column->insertWidget(column->indexOf(toolBar) + 1, FileNotice);
    } else {
        // A widget on a toolbar is shown and hidden through its action.
        fileNoticeAction_ = toolBar->addWidget(FileNotice);
    }

    menu_ = new QMenu(editor_.grid());
    menu_->setObjectName(QStringLiteral("MapToolsMenu"));
    menu_->addAction(UndoAction);
    menu_->addAction(RedoAction);
    menu_->addSeparator();
    menu_->addAction(CopyAction);
    menu_->addAction(PasteAction);
    menu_->addSeparator();
    menu_->addAction(SetAction);
    menu_->addAction(AddAction);
    menu_->addAction(SubtractAction);
    menu_->addAction(ScaleAction);
    menu_->addSeparator();
    menu_->addAction(RowsAction);
    menu_->addAction(ColumnsAction);
    menu_->addAction(CornersAction);
    menu_->addAction(SmoothAction);
    menu_->addSeparator();
    menu_->addAction(WriteAction);

    connect(UndoAction, &QAction::triggered, &editor_, &MapGridEditor::undo);
    connect(RedoAction, &QAction::triggered, &editor_, &MapGridEditor::redo);
    connect(SetAction, &QAction::triggered, this, [this] { setSelection(ValueBox->value()); });
    connect(AddAction, &QAction::triggered, this, [this] { addToSelection(ValueBox->value()); });
    connect(SubtractAction, &QAction::triggered, this,
            [this] { addToSelection(-ValueBox->value()); });
    connect(ScaleAction, &QAction::triggered, this,
            [this] { scaleSelection(PercentBox->value()); });
    connect(RowsAction, &QAction::triggered, this,
            [this] { interpolateSelection(int(MapTools::Direction::Rows)); });
    connect(ColumnsAction, &QAction::triggered, this,
            [this] { interpolateSelection(int(MapTools::Direction::Columns)); });
    connect(CornersAction, &QAction::triggered, this,
            [this] { interpolateSelection(int(MapTools::Direction::Both)); });
    connect(SmoothAction, &QAction::triggered, this, &MapToolBar::smoothSelection);
    connect(CopyAction, &QAction::triggered, this, &MapToolBar::copySelection);
    connect(PasteAction, &QAction::triggered, this,
            [this] { pasteText(QApplication::clipboard()->text()); });
    connect(WriteAction, &QAction::triggered, &editor_, &MapGridEditor::writeShownMap);
    connect(&editor_, &MapGridEditor::toolsStateChanged, this, &MapToolBar::updateState);
    // popup, not exec: the poll cycle goes on while the menu is open.
    connect(&editor_, &MapGridEditor::contextMenuRequested, menu_,
            [this](const QPoint& at) { menu_->popup(at); });
    setTexts();
    updateState();
}

void MapToolBar::setTexts() {
    const std::pair<QAction*, int> texts[] = {
        {UndoAction, 800},     {RedoAction, 801},   {SetAction, 802},  {AddAction, 803},
        {SubtractAction, 804}, {ScaleAction, 805},  {RowsAction, 806}, {ColumnsAction, 807},
        {CornersAction, 808},  {SmoothAction, 809}, {CopyAction, 810}, {PasteAction, 811},
        {WriteAction, 812}};
    for (const auto& [a, id] : texts) {
        a->setText(host_.mapText(id));
        const QString keys = a->shortcut().toString(QKeySequence::NativeText);
        a->setToolTip(keys.isEmpty() ? a->text()
                                     : a->text() + QStringLiteral(" (") + keys + QLatin1Char(')'));
    }
    // Short captions on the toolbar, the full text in the menu and the tooltip.
    SetAction->setIconText(QStringLiteral("="));
    AddAction->setIconText(QStringLiteral("+"));
    SubtractAction->setIconText(QStringLiteral("\u2212"));
    ScaleAction->setIconText(QStringLiteral("\u00d7%"));
    RowsAction->setIconText(QStringLiteral("\u2194"));
    ColumnsAction->setIconText(QStringLiteral("\u2195"));
    CornersAction->setIconText(QStringLiteral("\u2922"));
    SmoothAction->setIconText(QStringLiteral("\u2248"));
    ValueBox->setToolTip(host_.mapText(813));
    PercentBox->setToolTip(host_.mapText(814));
    updateState();
}

void MapToolBar::updateState() {
    UndoAction->setEnabled(editor_.canUndo());
    RedoAction->setEnabled(editor_.canRedo());
    const bool file = editor_.showsUnwrittenFile();
    WriteAction->setEnabled(file);
    WriteAction->setVisible(file);
    QString notice;
    if (file) {
        notice = editor_.shownFileName().isEmpty()
                     ? host_.mapText(881)
                     : host_.mapText(820).arg(editor_.shownFileName());
    }
    FileNotice->setText(notice);
    FileNotice->setToolTip(FileNotice->text());
    if (fileNoticeAction_ != nullptr) {
        fileNoticeAction_->setVisible(file);
    } else {
        FileNotice->setVisible(file);
    }
    // The grid itself says it is not the controller's map.
    editor_.grid()->setStyleSheet(
        file ? QStringLiteral("QTableWidget { border: 3px solid #ffb000; }") : QString());
}

bool MapToolBar::ready() {
    if (!host_.mapEditable()) {
        host_.beep(); // nothing to change before the controller's map was read
        return false;
    }
    return true;
}

void MapToolBar::applied(int changed) {
    host_.setStatusText(changed == 0 ? host_.mapText(821) : host_.mapText(822).arg(changed));
}

void MapToolBar::setSelection(double degrees) {
    if (ready()) {
        applied(editor_.applyBlock(editor_.selection(),
                                   MapTools::setTo(editor_.selectedBlock(), steps(degrees))));
    }
}

void MapToolBar::addToSelection(double degrees) {
    if (ready()) {
        applied(editor_.applyBlock(editor_.selection(),
                                   MapTools::add(editor_.selectedBlock(), steps(degrees))));
    }
}

void MapToolBar::scaleSelection(int percent) {
    if (ready()) {
        applied(editor_.applyBlock(editor_.selection(),
                                   MapTools::scale(editor_.selectedBlock(), percent)));
    }
}

void MapToolBar::interpolateSelection(int direction) {
    if (ready()) {
        applied(editor_.applyBlock(
            editor_.selection(),
            MapTools::interpolate(editor_.selectedBlock(), MapTools::Direction(direction))));
    }
}

void MapToolBar::smoothSelection() {
    if (ready()) {
        applied(editor_.applyBlock(editor_.selection(), MapTools::smooth(editor_.selectedBlock())));
    }
}

void MapToolBar::copySelection() {
    QApplication::clipboard()->setText(MapTools::toText(editor_.selectedBlock()));
}

void MapToolBar::pasteText(const QString& text) {
    if (!ready()) {
        return;
    }
    const MapTools::Pasted pasted = MapTools::fromText(text);
    if (pasted.badLine != 0) {
        host_.beep();
        host_.setStatusText(host_.mapText(817).arg(pasted.badLine).arg(pasted.badField));
        return;
    }
    if (pasted.block.values.isEmpty()) {
        host_.beep();
        host_.setStatusText(host_.mapText(824));
        return;
    }
    const QRect at = editor_.selection();
    int outside = 0;
    for (int c = 0; c < pasted.block.columns; ++c) {
        for (int r = 0; r < pasted.block.rows; ++r) {
            const bool beyond = at.left() + c > 15 || at.top() + r > 16;
            if (beyond && !pasted.keep[r * pasted.block.columns + c]) {
                ++outside;
            }
        }
    }
    const int changed = editor_.applyBlock(at, pasted.block, &pasted.keep);
    QString status = changed == 0 ? host_.mapText(821) : host_.mapText(822).arg(changed);
    if (pasted.clamped > 0) {
        // The limits as the grid writes its numbers (the locale's decimal sign).
        status += QLatin1Char(' ') + host_.mapText(815)
                                         .arg(pasted.clamped)
                                         .arg(MapCellValue::text(-128), MapCellValue::text(127));
    }
    if (outside > 0) {
        status += QLatin1Char(' ') + host_.mapText(816).arg(outside);
    }
    host_.setStatusText(status);
}
