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
#include <QStyle>
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

QSplitter* splitterOf(const QWidget* panel) {
    return panel != nullptr ? qobject_cast<QSplitter*>(panel->parentWidget()) : nullptr;
}

// Plain stacking (no splitter): the panel gets its height, or `room` if that is larger, up to
// its maximum.
void setPanelHeight(QWidget* panel, int height, int maxHeight, int room = 0) {
    if (panel == nullptr) {
        return;
    }
    panel->setMaximumHeight(maxHeight);
    if (panel->parentWidget() != nullptr && panel->parentWidget()->layout() != nullptr) {
        panel->setFixedHeight(std::clamp(room, height, maxHeight));
    } else {
        panel->resize(panel->width(), height);
    }
}

// The part of the map panel that does not depend on the cell size: toolbar and grid minimum.
int mapPanelRest(const Frame& frame) {
    if (!shown(frame.PanelMapy)) {
        return 0;
    }
    const int top = frame.PanelMapyTop != nullptr ? frame.PanelMapyTop->minimumHeight() : 0;
    return std::max(0, frame.PanelMapy->minimumSizeHint().height() - top);
}

int mapTopHeight(const Inputs& in, int b) {
    return in.mapMode > 1 ? 2 * b + 30 : b + 26;
}

int sensorPanelHeight(bool camshaft, int b) {
    return camshaft ? 3 * b + 26 : b + 24;
}

// The height the stack needs with this cell size: settings rows 0..6, the sensor panel, the
// map panel's top strip, toolbar and a few grid rows, and the splitter handles between them.
int stackHeight(const Frame& frame, const Inputs& in, Cell cell) {
    const int b = cell.b;
    int h = 7 * b + 24 + sensorPanelHeight(in.camshaft, b);
    const QSplitter* split = splitterOf(frame.PanelNas1);
    const int handle = split != nullptr ? split->handleWidth() : 0;
    h += handle;
    if (in.mapPanelVisible) {
        h += handle + mapTopHeight(in, b) + mapPanelRest(frame);
    }
    return h;
}

// In the splitter the panels get their designed heights whenever the cell size (or what is
// shown) changes; in between, a boundary the user dragged stays where it was put.
void sizeSplitterStack(QSplitter* split, const Frame& frame, const Inputs& in, Cell cell,
                       int room) {
    const int b = cell.b;
    const int czuj = sensorPanelHeight(in.camshaft, b);
    const int nasMax = 10 * b + 24;
    const int nas = in.mapPanelVisible ? 7 * b + 24 : std::clamp(room, 7 * b + 24, nasMax);
    // Dragged smaller, a panel still shows its first row.
    frame.PanelNas1->setMinimumHeight(b + 24);
    frame.PanelNas1->setMaximumHeight(nasMax);
    if (frame.PanelCzuj != nullptr) {
        frame.PanelCzuj->setMinimumHeight(b + 24);
        frame.PanelCzuj->setMaximumHeight(czuj);
    }
    // Without the map nothing below takes the rest of the height: the splitter stays as tall
    // as its two panels, and the free room is left below it.
    split->setMaximumHeight(in.mapPanelVisible ? QWIDGETSIZE_MAX
                                               : nas + czuj + split->handleWidth());
    const QString key = QStringLiteral("%1/%2/%3/%4")
                            .arg(b)
                            .arg(nas)
                            .arg(czuj)
                            .arg(in.mapPanelVisible ? mapTopHeight(in, b) : 0);
    if (split->property("layoutKey").toString() == key) {
        return;
    }
    split->setProperty("layoutKey", key);
    QList<int> sizes;
    for (int i = 0; i < split->count(); ++i) {
        const QWidget* w = split->widget(i);
        sizes << (w == frame.PanelNas1   ? nas
                  : w == frame.PanelCzuj ? czuj
                                         : std::max(1, split->height() - nas - czuj));
    }
    split->setSizes(sizes);
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

// The largest size from ReadablePointSize down to the rule's size at which the control's text
// fits it; the rule's size when even that is too big (or the rule already gives more).
int readableFont(const QWidget* control, Kind kind, int rulePt, QSize size) {
    if (control->property("liveValue").toBool()) {
        return rulePt; // a longer value may come at any time: the rule's size keeps it whole
    }
    for (int pt = ReadablePointSize; pt > rulePt; --pt) {
        QFont f = control->font();
        f.setPointSize(pt);
        const QFontMetrics fm(f);
        bool fits = false;
        if (kind == Kind::RadioGroup) {
            fits = static_cast<const TRadioGroup*>(control)->fits(f, size);
        } else if (kind == Kind::CheckBox) {
            const QStyle* st = control->style();
            const int box = st->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, control) +
                            st->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, control);
            fits = box + fm.horizontalAdvance(static_cast<const QCheckBox*>(control)->text()) + 2 <=
                       size.width() &&
                   fm.height() <= size.height();
        } else {
            // Captions of panels: they change only with the language, which lays out again.
            fits = fm.horizontalAdvance(static_cast<const QLabel*>(control)->text()) + 6 <=
                       size.width() &&
                   fm.height() <= size.height();
        }
        if (fits) {
            return pt;
        }
    }
    return rulePt;
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
        // The two-row speed/angle table: taller rows (set below, from the font), narrower
        // columns.
        colWidth = std::min(colWidth, 40);
    } else {
        rowHeight = grid->height() / 17 < 16 ? 15 : grid->height() / 17 - 2;
    }
    // The texts (speeds up to "10000", loads, angles down to -25.6) must fit their columns: the
    // font steps down from its designed size to 7 pt, and a column still too narrow widens (the
    // grid scrolls then).
    QVariant designed = grid->property("designedPointSize");
    if (!designed.isValid()) {
        designed = grid->font().pointSize();
        grid->setProperty("designedPointSize", designed);
    }
    const QAbstractItemModel* model = grid->model();
    QStringList headers;
    for (int c = 0; c < cols; ++c) {
        headers << model->index(0, c).data().toString();
    }
    for (int r = 0; r < rows; ++r) {
        headers << model->index(r, 0).data().toString();
    }
    // The map values are drawn 2 px in; the headers by the item view, which shortens ("100...")
    // a text that does not leave its focus margins and the grid line free in the column.
    const int headerMargins =
        2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 1;
    QFont font = grid->font();
    int need = 0;
    for (int pt = designed.toInt(); pt >= 7; --pt) {
        font.setPointSize(pt);
        const QFontMetrics fm(font);
        need = fm.horizontalAdvance(QStringLiteral("-25.6")) + 4;
        for (const QString& t : headers) {
            need = std::max(need, fm.horizontalAdvance(t) + headerMargins);
        }
        if (need <= colWidth) {
            break;
        }
    }
    if (grid->font().pointSize() != font.pointSize()) {
        grid->setFont(font);
    }
    colWidth = std::max(colWidth, need);
    if (rows < 3) {
        rowHeight = 3 * std::max(1, font.pointSize());
    }
    rowHeight = std::max(rowHeight, QFontMetrics(font).height() + 2);
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
    Cell cell = cellSize(in);
    if (frame.Content != nullptr && stackHeight(frame, in, cell) > in.panelHeight) {
        // The stack will scroll: its scroll bar takes a strip off the width.
        in.panelWidth -= frame.Content->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        cell = cellSize(in);
    }
    const int b = cell.b;
    const int w = cell.w;

    // Captions keep their designed places but get the room up to the left panel's edge, so
    // that a longer text (another language, the frame log) is not cut short. The left panel's
    // width is taken, not the caption's own panel's, which may not have its size yet.
    auto widen = [&in](QLabel* label) {
        if (label != nullptr) {
            const QSize hint = label->sizeHint();
            label->resize(std::max(in.panelWidth - label->x() - 4, hint.width()), hint.height());
        }
    };
    const int czuj = sensorPanelHeight(camshaft, b);
    // Without the map panel below, the settings panel may use the free height for its last
    // rows (potentiometer, MAP sensor, resets), which otherwise only a dragged splitter shows.
    const int room = in.mapPanelVisible ? 0 : in.panelHeight - czuj - 8;
    if (QSplitter* split = splitterOf(frame.PanelNas1)) {
        sizeSplitterStack(split, frame, in, cell, room);
    } else {
        setPanelHeight(frame.PanelNas1, 7 * b + 24, 10 * b + 24, room);
        setPanelHeight(frame.PanelCzuj, czuj, czuj);
    }
    if (controls.OpisNastawy != nullptr) {
        controls.OpisNastawy->move(2 * w + 4, controls.OpisNastawy->y());
    }
    if (controls.OpisRoz != nullptr) {
        controls.OpisRoz->move(controls.OpisRoz->x(), camshaft ? 2 * b : 3 * b);
    }
    for (QLabel* label :
         {controls.OpisNastawy, controls.OpisKor, controls.OpisRoz, controls.Label14}) {
        widen(label);
    }
    if (controls.OpisSygaly != nullptr) {
        controls.OpisSygaly->resize(2 * w - controls.OpisSygaly->x(),
                                    controls.OpisSygaly->sizeHint().height());
    }
    if (in.mapPanelVisible) {
        if (frame.PanelMapyTop != nullptr) {
            frame.PanelMapyTop->setFixedHeight(mapTopHeight(in, b));
        }
        sizeMapGrid(frame.GridMapa);
    }

    int right = 0; // the right edge of the widest row, for the scrolled widget's width
    for (QWidget* control : controls.taggedControls()) {
        const std::uint32_t tag = ControlTag::of(control);
        bool known = false;
        const Kind kind = kindOf(control, known);
        if (!known || !ControlTag::isLaidOut(tag)) {
            continue;
        }
        Placement p = place(kind, tag, cell, pcConfig);
        if (kind == Kind::RadioGroup && p.rect.right() >= in.panelWidth &&
            p.rect.right() - in.panelWidth < b) {
            // The last group of the camshaft row reaches 0.44 b past 28 b: keep it inside the
            // panel. A group further out (b raised to 20 on a narrow panel) keeps its width;
            // the stack scrolls to it.
            p.rect.setRight(in.panelWidth - 2);
        }
        control->setGeometry(p.rect);
        if (p.fontPointSize > 0) {
            QFont f = control->font();
            f.setPointSize(readableFont(control, kind, p.fontPointSize, p.rect.size()));
            control->setFont(f);
        }
        if (frame.Content != nullptr && control->isVisibleTo(frame.Content)) {
            right = std::max(right, p.rect.right() + 1);
        }
    }
    if (controls.CheckBoxOn != nullptr && controls.CheckBoxRo != nullptr &&
        controls.CheckBoxOn->isHidden() && !controls.CheckBoxRo->isHidden()) {
        controls.CheckBoxRo->move(2 * w + 4, controls.CheckBoxRo->y());
    }
    if (frame.Content != nullptr) {
        int height = stackHeight(frame, in, cell);
        if (!in.mapPanelVisible) {
            height = std::max(height, std::min(room, 10 * b + 24) + czuj + 8);
        }
        frame.Content->setMinimumSize(right + 4, height);
    }
    return cell;
}

} // namespace LeftPanelLayout
