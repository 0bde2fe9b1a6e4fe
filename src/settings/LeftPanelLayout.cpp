#include "LeftPanelLayout.h"

#include "ControlTag.h"
#include "LeftPanelControls.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "TUpDown.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTableView>
#include <algorithm>

namespace LeftPanelLayout {

Cell cellSize(const Inputs& in) {
    const int n = in.camshaft ? 28 : 21;
    int b = in.panelHeight / 13;
    if (in.mapPanelVisible && in.mapMode == 2) {
        b = in.panelHeight / 30; // the 3-D map needs the room
    }
    if (in.panelWidth < n * b) {
        b = in.panelWidth / n;
    }
    b = std::max(b, 20);
    return Cell{b, b * 36 / 10};
}

Placement place(Kind kind, std::uint32_t tag, Cell cell, bool pcConfig) {
    using namespace ControlTag;
    const int b = cell.b;
    const int w = cell.w;
    const int c = column(tag);
    const int r = row(tag);
    const int ox = offsetX(tag) * 4;
    const int oy = offsetY(tag) * 4;
    const std::uint32_t st = style(tag);
    Placement p;
    int left = c * w + ox;
    int top = r * b + oy;
    int width = w;
    int height = b;
    switch (kind) {
    case Kind::Panel:
        p.fontPointSize = b * 5 / 11;
        if (st & SmallFont) {
            p.fontPointSize = b / 3;
        }
        if (st & SmallerFont) {
            p.fontPointSize = b / 4;
        }
        if (st & DoubleWidth) {
            width = 2 * w;
        }
        break;
    case Kind::CheckBox:
        p.fontPointSize = b / 3;
        width = 2 * w;
        break;
    case Kind::Edit:
        p.fontPointSize = b / 2 - 1;
        width = pcConfig ? w / 2 : w;
        break;
    case Kind::UpDown:
        left = c * w + w / 2 + ox;
        width = w / 2;
        height = pcConfig ? b : b - 4;
        break;
    case Kind::RadioGroup:
        p.fontPointSize = b / 3;
        width = w * 19 / 10;
        top = r * b + oy - 2;
        height = (8 * b + 120) / 10;
        if (st & SmallFont) {
            top += b / 2;
        }
        break;
    }
    p.rect = QRect(left, top, width, height);
    return p;
}

namespace {

bool shown(const QWidget* w) {
    return w != nullptr && !w->isHidden();
}

// The stacked panels may sit in a splitter (the user drags the boundary, up to the maximum) or
// in a plain layout, where `room` (if larger) lets the panel show more rows by itself.
void setPanelHeight(QWidget* panel, int height, int maxHeight, int room = 0) {
    if (panel == nullptr) {
        return;
    }
    panel->setMaximumHeight(maxHeight);
    if (auto* split = qobject_cast<QSplitter*>(panel->parentWidget())) {
        QList<int> sizes = split->sizes();
        const int i = split->indexOf(panel);
        if (i >= 0 && i < sizes.size() && sizes[i] != height) {
            const int delta = sizes[i] - height;
            sizes[i] = height;
            // Give or take the difference from the last panel (the map grid fills the rest).
            const int last = static_cast<int>(sizes.size()) - 1;
            if (last != i) {
                sizes[last] = std::max(0, sizes[last] + delta);
            }
            split->setSizes(sizes);
        }
    } else if (panel->parentWidget() != nullptr && panel->parentWidget()->layout() != nullptr) {
        panel->setFixedHeight(std::clamp(room, height, maxHeight));
    } else {
        panel->resize(panel->width(), height);
    }
}

Kind kindOf(const QWidget* w, bool& known) {
    known = true;
    if (qobject_cast<const TPanel*>(w)) {
        return Kind::Panel;
    }
    if (qobject_cast<const QCheckBox*>(w)) {
        return Kind::CheckBox;
    }
    if (qobject_cast<const QLineEdit*>(w)) {
        return Kind::Edit;
    }
    if (qobject_cast<const TUpDown*>(w)) {
        return Kind::UpDown;
    }
    if (qobject_cast<const TRadioGroup*>(w)) {
        return Kind::RadioGroup;
    }
    known = false;
    return Kind::Panel;
}

void sizeMapGrid(QTableView* grid) {
    if (grid == nullptr || grid->model() == nullptr) {
        return;
    }
    const int cols = grid->model()->columnCount();
    const int rows = grid->model()->rowCount();
    int colWidth = grid->width() < 368 ? 22 : grid->width() / 16 - 2;
    int rowHeight = 0;
    if (rows < 3) {
        // The two-row speed/angle table: taller rows, narrower columns.
        rowHeight = 3 * std::max(1, grid->font().pointSize());
        colWidth = std::min(colWidth, 40);
    } else {
        rowHeight = grid->height() / 17 < 16 ? 15 : grid->height() / 17 - 2;
    }
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->horizontalHeader()->setDefaultSectionSize(colWidth);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    for (int c = 0; c < cols; ++c) {
        grid->setColumnWidth(c, colWidth);
    }
    for (int r = 0; r < rows; ++r) {
        grid->setRowHeight(r, rowHeight);
    }
}

} // namespace

Cell apply(LeftPanelControls& controls, const Frame& frame, bool camshaft, bool pcConfig) {
    Inputs in;
    in.panelWidth = frame.PanelLeft != nullptr ? frame.PanelLeft->width() : 0;
    in.panelHeight = frame.PanelLeft != nullptr ? frame.PanelLeft->height() : 0;
    in.camshaft = camshaft;
    in.pcConfig = pcConfig;
    in.mapPanelVisible = shown(frame.PanelMapy);
    in.mapMode = controls.RGMapa != nullptr ? controls.RGMapa->ItemIndex() : -1;
    const Cell cell = cellSize(in);
    const int b = cell.b;
    const int w = cell.w;

    // Captions keep their designed places but get the room up to the next caption or the
    // panel's edge, so that a longer text (another language, the frame log) is not cut short.
    auto widen = [](QLabel* label, int width) {
        if (label != nullptr) {
            label->resize(std::max(width, label->sizeHint().width()), label->sizeHint().height());
        }
    };
    auto roomRight = [](const QLabel* label) {
        return label != nullptr && label->parentWidget() != nullptr
                   ? label->parentWidget()->width() - label->x() - 4
                   : 0;
    };
    const int czuj = camshaft ? 3 * b + 26 : b + 24;
    // Without the map panel below, the settings panel may use the free height for its last
    // rows (potentiometer, MAP sensor, resets), which otherwise only a dragged splitter shows.
    const int room = in.mapPanelVisible ? 0 : in.panelHeight - czuj - 8;
    setPanelHeight(frame.PanelNas1, 7 * b + 24, 10 * b + 24, room);
    if (controls.OpisNastawy != nullptr) {
        controls.OpisNastawy->move(2 * w + 4, controls.OpisNastawy->y());
    }
    setPanelHeight(frame.PanelCzuj, czuj, czuj);
    if (controls.OpisRoz != nullptr) {
        controls.OpisRoz->move(controls.OpisRoz->x(), camshaft ? 2 * b : 3 * b);
    }
    if (controls.OpisSygaly != nullptr) {
        controls.OpisSygaly->resize(2 * w - controls.OpisSygaly->x(),
                                    controls.OpisSygaly->sizeHint().height());
    }
    for (QLabel* label :
         {controls.OpisNastawy, controls.OpisKor, controls.OpisRoz, controls.Label14}) {
        widen(label, roomRight(label));
    }
    if (in.mapPanelVisible) {
        if (frame.PanelMapyTop != nullptr) {
            frame.PanelMapyTop->setFixedHeight(in.mapMode > 1 ? 2 * b + 30 : b + 26);
        }
        sizeMapGrid(frame.GridMapa);
    }

    for (QWidget* control : controls.taggedControls()) {
        const std::uint32_t tag = ControlTag::of(control);
        bool known = false;
        const Kind kind = kindOf(control, known);
        if (!known || !ControlTag::isLaidOut(tag)) {
            continue;
        }
        Placement p = place(kind, tag, cell, pcConfig);
        const QWidget* parent = control->parentWidget();
        if (kind == Kind::RadioGroup && parent != nullptr && p.rect.right() >= parent->width()) {
            // The last group of the camshaft row reaches 0.44 b past 28 b: keep it whole.
            p.rect.setRight(std::max(p.rect.left() + w, parent->width() - 2));
        }
        control->setGeometry(p.rect);
        if (p.fontPointSize > 0) {
            QFont f = control->font();
            f.setPointSize(p.fontPointSize);
            control->setFont(f);
        }
    }
    if (controls.CheckBoxOn != nullptr && controls.CheckBoxRo != nullptr &&
        controls.CheckBoxOn->isHidden() && !controls.CheckBoxRo->isHidden()) {
        controls.CheckBoxRo->move(2 * w + 4, controls.CheckBoxRo->y());
    }
    return cell;
}

} // namespace LeftPanelLayout
