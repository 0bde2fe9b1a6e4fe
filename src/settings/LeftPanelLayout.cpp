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

// Plain stacking (no splitter): the panel gets its height.
void setPanelHeight(QWidget* panel, int height) {
    if (panel == nullptr) {
        return;
    }
    if (panel->parentWidget() != nullptr && panel->parentWidget()->layout() != nullptr) {
        panel->setFixedHeight(height);
    } else {
        panel->setMaximumHeight(height);
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

int mapTopHeight(const Inputs& in, int b) {
    return in.mapMode > 1 ? 2 * b + 30 : b + 26;
}

int sensorPanelHeight(bool camshaft, int b) {
    return camshaft ? 3 * b + 26 : b + 24;
}

bool shownIn(const QWidget* control, const Frame& frame) {
    return frame.PanelLeft != nullptr ? control->isVisibleTo(frame.PanelLeft)
                                      : !control->isHidden();
}

// The tagged controls that are shown, with the kind that places them.
template <class F> void forEachShown(const LeftPanelControls& controls, const Frame& frame, F f) {
    for (QWidget* control : controls.taggedControls()) {
        const std::uint32_t tag = ControlTag::of(control);
        bool known = false;
        const Kind kind = kindOf(control, known);
        if (known && ControlTag::isLaidOut(tag) && shownIn(control, frame)) {
            f(control, kind, tag);
        }
    }
}

// What the stack takes with this cell size: the heights of the three panels and how far right
// the controls reach. Each panel has its designed height, grown to the lowest control it is
// meant to show whole: a radio group reaches past its row (0.8 b + 12 from 2 px above it, half
// a row lower with the drop), and the settings panel shows every row it has (potentiometer,
// MAP sensor, resets), not only the first seven. Controls in rows below a panel's designed
// height are not meant to show (the camshaft row of a controller without that channel, the
// load row of the two-row map) and take no room.
struct Extent {
    int nas = 0;
    int czuj = 0;
    int mapTop = 0;
    int right = 0;
};

Extent measure(const LeftPanelControls& controls, const Frame& frame, const Inputs& in, Cell cell) {
    const int b = cell.b;
    Extent e{7 * b + 24, sensorPanelHeight(in.camshaft, b), mapTopHeight(in, b), 0};
    forEachShown(controls, frame, [&](QWidget* control, Kind kind, std::uint32_t tag) {
        const QRect r = place(kind, tag, cell, in.pcConfig).rect;
        const QWidget* parent = control->parentWidget();
        int* height = nullptr;
        int designed = 0;
        int margin = 0;
        if (parent == frame.PanelNas1) {
            height = &e.nas;
            designed = 10 * b + 24;
            margin = 4;
        } else if (parent == frame.PanelCzuj) {
            height = &e.czuj;
            designed = sensorPanelHeight(in.camshaft, b);
        } else if (parent == frame.PanelMapyTop) {
            height = &e.mapTop;
            designed = mapTopHeight(in, b);
        }
        if (height != nullptr) {
            if (r.top() >= designed) {
                return;
            }
            *height = std::max(*height, r.bottom() + 1 + margin);
        }
        e.right = std::max(e.right, r.right() + 1);
    });
    return e;
}

// The height the stack needs: the settings and sensor panels whole, the map panel's top strip,
// toolbar and a few grid rows, and the splitter handles between them.
int stackHeight(const Frame& frame, const Inputs& in, const Extent& h) {
    int total = h.nas + h.czuj;
    const QSplitter* split = splitterOf(frame.PanelNas1);
    const int handle = split != nullptr ? split->handleWidth() : 0;
    total += handle;
    if (in.mapPanelVisible) {
        total += handle + h.mapTop + mapPanelRest(frame);
    }
    return total;
}

// The panels above the map have one height, with every row whole: dragging a boundary between
// them can neither hide a row nor cut a caption. The map takes the rest of the height.
void sizeSplitterStack(QSplitter* split, const Frame& frame, const Inputs& in, const Extent& h) {
    frame.PanelNas1->setFixedHeight(h.nas);
    if (frame.PanelCzuj != nullptr) {
        frame.PanelCzuj->setFixedHeight(h.czuj);
    }
    // Without the map nothing below takes the rest of the height: the splitter stays as tall
    // as its two panels, and the free room is left below it.
    split->setMaximumHeight(in.mapPanelVisible ? QWIDGETSIZE_MAX
                                               : h.nas + h.czuj + split->handleWidth());
    QList<int> sizes;
    for (int i = 0; i < split->count(); ++i) {
        const QWidget* w = split->widget(i);
        sizes << (w == frame.PanelNas1   ? h.nas
                  : w == frame.PanelCzuj ? h.czuj
                                         : std::max(1, split->height() - h.nas - h.czuj));
    }
    if (split->sizes() != sizes) {
        split->setSizes(sizes);
    }
}

// Whether the control's text, in this font, fits a control of this size. A live value is
// checked with one character more: the next value may be a digit longer.
bool textFits(const QWidget* control, Kind kind, bool caption, const QFont& font, QSize size) {
    const QFontMetrics fm(font);
    switch (kind) {
    case Kind::RadioGroup:
        return caption ? static_cast<const TRadioGroup*>(control)->captionFits(font, size)
                       : static_cast<const TRadioGroup*>(control)->itemsFit(font, size);
    case Kind::CheckBox: {
        const QStyle* st = control->style();
        const int box = st->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, control) +
                        st->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, control);
        return box + fm.horizontalAdvance(static_cast<const QCheckBox*>(control)->text()) + 2 <=
                   size.width() &&
               fm.height() <= size.height();
    }
    case Kind::Edit:
        return fm.horizontalAdvance(static_cast<const QLineEdit*>(control)->text()) + 6 <=
                   size.width() &&
               fm.height() <= size.height();
    case Kind::Panel: {
        QString text = static_cast<const QLabel*>(control)->text();
        if (control->property("liveValue").toBool() && !text.isEmpty()) {
            text += QLatin1Char('0');
        }
        return fm.horizontalAdvance(text) + 6 <= size.width() && fm.height() <= size.height();
    }
    case Kind::UpDown:
        break;
    }
    return true;
}

// Controls of one kind and one font rule (panels of one style, check boxes, option groups,
// edits) share one font size: the rule's size, raised to ReadablePointSize where every text of
// the kind still fits, and lowered together where one does not.
struct FontClass {
    Kind kind = Kind::Panel;
    int rulePt = 0;
    bool captions = false;   // the captions of option groups, apart from their items
    QList<QWidget*> members; // shown: their texts decide the size
    QList<QSize> sizes;
    QList<QWidget*> hidden;
};

int commonPointSize(const FontClass& fc) {
    const int top = std::max(fc.rulePt, ReadablePointSize);
    const int bottom = std::min(fc.rulePt, SmallestPointSize);
    for (int pt = top; pt > bottom; --pt) {
        bool all = true;
        for (int i = 0; i < fc.members.size() && all; ++i) {
            QFont f = fc.members[i]->font();
            f.setPointSize(pt);
            all = textFits(fc.members[i], fc.kind, fc.captions, f, fc.sizes[i]);
        }
        if (all) {
            return pt;
        }
    }
    return bottom;
}

// The largest cell at most as large as the rule's with which the stack fits the panel: all its
// rows in the height (not below MinimumRowHeight: below that the stack scrolls), and every
// shown control in the width (down to NarrowestRowHeight for a panel with a chart beside it).
Cell fitCell(const LeftPanelControls& controls, const Frame& frame, Inputs& in) {
    int b = cellSize(in).b;
    auto cellOf = [](int row) { return Cell{row, row * 36 / 10}; };
    auto fitsHeight = [&](int row) {
        return stackHeight(frame, in, measure(controls, frame, in, cellOf(row))) <= in.panelHeight;
    };
    while (b > MinimumRowHeight && !fitsHeight(b)) {
        --b;
    }
    if (frame.Content != nullptr && !fitsHeight(b)) {
        // The stack will scroll: its scroll bar takes a strip off the width.
        in.panelWidth -= frame.Content->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    }
    auto fitsWidth = [&](int row) {
        return measure(controls, frame, in, cellOf(row)).right + 4 <= in.panelWidth;
    };
    while (b > MinimumRowHeight && !fitsWidth(b)) {
        --b;
    }
    if (!fitsWidth(b)) {
        // Cells below the smallest are taken only when they spare a sideways scroll; when
        // even they do not, the stack scrolls with the smallest cells, whose texts are larger.
        int narrow = b;
        while (narrow > NarrowestRowHeight && !fitsWidth(narrow)) {
            --narrow;
        }
        if (fitsWidth(narrow)) {
            b = narrow;
        }
    }
    return cellOf(b);
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
    // Column 0 holds the titles of the rows (loads, or "Rpm"/"Angle" of the two-row table): it
    // widens to them alone; the other columns hold speeds and angles.
    QStringList titles;
    QStringList speeds;
    for (int c = 1; c < cols; ++c) {
        speeds << model->index(0, c).data().toString();
    }
    for (int r = 0; r < rows; ++r) {
        titles << model->index(r, 0).data().toString();
    }
    // The map values are drawn 2 px in; the headers by the item view, which shortens ("100...")
    // a text that does not leave its focus margins and the grid line free in the column.
    const int headerMargins =
        2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 1;
    auto widest = [headerMargins](const QFontMetrics& fm, const QStringList& texts, int least) {
        int need = least;
        for (const QString& t : texts) {
            need = std::max(need, fm.horizontalAdvance(t) + headerMargins);
        }
        return need;
    };
    QFont font = grid->font();
    int need = 0;
    for (int pt = designed.toInt(); pt >= 7; --pt) {
        font.setPointSize(pt);
        const QFontMetrics fm(font);
        need = widest(fm, speeds, fm.horizontalAdvance(QStringLiteral("-25.6")) + 4);
        if (widest(fm, titles, need) <= colWidth) {
            break;
        }
    }
    if (grid->font().pointSize() != font.pointSize()) {
        grid->setFont(font);
    }
    const int titleWidth = std::max(colWidth, widest(QFontMetrics(font), titles, need));
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
        grid->setColumnWidth(c, c == 0 ? titleWidth : colWidth);
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
    const Cell cell = fitCell(controls, frame, in);
    const int b = cell.b;
    const int w = cell.w;
    const Extent extent = measure(controls, frame, in, cell);
    if (frame.narrowestWidth != nullptr) {
        const Cell smallest{NarrowestRowHeight, NarrowestRowHeight * 36 / 10};
        *frame.narrowestWidth = measure(controls, frame, in, smallest).right + 4;
    }

    // Captions keep their designed places but get the room up to the left panel's edge, so
    // that a longer text (another language, the frame log) is not cut short. The left panel's
    // width is taken, not the caption's own panel's, which may not have its size yet.
    auto widen = [&in](QLabel* label) {
        if (label != nullptr) {
            const QSize hint = label->sizeHint();
            label->resize(std::max(in.panelWidth - label->x() - 4, hint.width()), hint.height());
        }
    };
    if (QSplitter* split = splitterOf(frame.PanelNas1)) {
        sizeSplitterStack(split, frame, in, extent);
    } else {
        setPanelHeight(frame.PanelNas1, extent.nas);
        setPanelHeight(frame.PanelCzuj, extent.czuj);
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
            frame.PanelMapyTop->setFixedHeight(extent.mapTop);
        }
        sizeMapGrid(frame.GridMapa);
    }

    struct Placed {
        QWidget* control;
        Kind kind;
        Placement p;
        bool shown;
    };
    QList<Placed> placed;
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
            // A group that still overhangs the panel a little (a panel too narrow even for the
            // smallest cells) is kept inside it; one further out keeps its width and the stack
            // scrolls to it.
            p.rect.setRight(in.panelWidth - 2);
        }
        placed.append(Placed{control, kind, p, shownIn(control, frame)});
    }
    // A check box with nothing beside it to the right takes the room up to the panel's edge,
    // so that a longer text (another language) keeps the size of its neighbours' texts.
    for (Placed& a : placed) {
        if (a.kind != Kind::CheckBox || !a.shown) {
            continue;
        }
        // As wide as its text needs in a readable size, no wider: a click beside the text
        // does not toggle a box.
        QFont readable = a.control->font();
        readable.setPointSize(std::max(a.p.fontPointSize, ReadablePointSize));
        const QStyle* st = a.control->style();
        const int need = st->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, a.control) +
                         st->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, a.control) +
                         QFontMetrics(readable).horizontalAdvance(
                             static_cast<const QCheckBox*>(a.control)->text()) +
                         2;
        QRect wide = a.p.rect;
        wide.setWidth(std::max(wide.width(), std::min(need, in.panelWidth - 4 - wide.left())));
        for (const Placed& other : placed) {
            if (&other != &a && other.shown &&
                other.control->parentWidget() == a.control->parentWidget() &&
                other.p.rect.intersects(wide)) {
                wide.setRight(std::max(a.p.rect.right(), other.p.rect.left() - 1));
            }
        }
        a.p.rect = wide;
    }
    QList<FontClass> fonts;
    for (const Placed& a : placed) {
        a.control->setGeometry(a.p.rect);
        if (a.p.fontPointSize <= 0) {
            continue;
        }
        for (const bool captions : {false, true}) {
            if (captions && a.kind != Kind::RadioGroup) {
                break;
            }
            auto fc = std::find_if(fonts.begin(), fonts.end(), [&](const FontClass& f) {
                return f.kind == a.kind && f.rulePt == a.p.fontPointSize && f.captions == captions;
            });
            if (fc == fonts.end()) {
                fonts.append(FontClass{a.kind, a.p.fontPointSize, captions, {}, {}, {}});
                fc = fonts.end() - 1;
            }
            // Hidden controls take the size of their kind but do not decide it; nor do live
            // values: their text is whatever the controller said last, and a size that followed
            // it would change with every layout (a dialog, a panel closed, another language).
            const bool decides = a.shown && !a.control->property("liveValue").toBool();
            (decides ? fc->members : fc->hidden) << a.control;
            if (decides) {
                fc->sizes << a.p.rect.size();
            }
        }
    }
    for (const FontClass& fc : fonts) {
        const int pt = commonPointSize(fc);
        for (QWidget* control : fc.members + fc.hidden) {
            if (fc.captions) {
                static_cast<TRadioGroup*>(control)->setCaptionPointSize(pt);
            } else if (control->font().pointSize() != pt) {
                QFont f = control->font();
                f.setPointSize(pt);
                control->setFont(f);
            }
        }
    }
    if (controls.CheckBoxOn != nullptr && controls.CheckBoxRo != nullptr &&
        controls.CheckBoxOn->isHidden() && !controls.CheckBoxRo->isHidden()) {
        controls.CheckBoxRo->move(2 * w + 4, controls.CheckBoxRo->y());
    }
    if (frame.Content != nullptr) {
        frame.Content->setMinimumSize(extent.right + 4, stackHeight(frame, in, extent));
    }
    return cell;
}

} // namespace LeftPanelLayout
