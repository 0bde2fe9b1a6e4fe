// The window's composition: menus, top panel, left panel containers, the hidden chart, update
// and measurement areas, and the status bar. What goes inside the left-panel containers is
// created by the settings controls.
#include "TForm1.h"

#include "GridCell.h"
#include "StatusLine.h"

#include <QAbstractItemView>
#include <QAction>
#include <QActionGroup>
#include <QCompleter>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace {

template <class T> T* named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

QFrame* panel(QWidget* parent, const char* name) {
    auto* p = named(new QFrame(parent), name);
    p->setFrameShape(QFrame::NoFrame);
    return p;
}

// A thin bar standing where the design has a splitter between two side-by-side areas.
QFrame* splitter(QWidget* parent, const char* name) {
    auto* s = named(new QFrame(parent), name);
    s->setFrameShape(QFrame::VLine);
    s->setFrameShadow(QFrame::Sunken);
    s->setFixedWidth(5);
    s->setCursor(Qt::SplitHCursor);
    return s;
}

// Dragging a bar sideways gives the panel beside it a new width: `width` reads the panel's
// width, `resize` applies a new one; `sign` is +1 when the panel is left of the bar.
class SideDrag : public QObject {
public:
    SideDrag(QWidget* bar, std::function<int()> width, std::function<void(int)> resize, int sign)
        : QObject(bar), width_(std::move(width)), resize_(std::move(resize)), sign_(sign) {
        bar->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::LeftButton) {
                startX_ = e->globalPosition().toPoint().x();
                startWidth_ = width_();
                dragging_ = true;
                return true;
            }
        } else if (event->type() == QEvent::MouseMove && dragging_) {
            const auto* e = static_cast<QMouseEvent*>(event);
            resize_(startWidth_ + sign_ * (e->globalPosition().toPoint().x() - startX_));
            return true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            dragging_ = false;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<int()> width_;
    std::function<void(int)> resize_;
    int sign_;
    int startX_ = 0;
    int startWidth_ = 0;
    bool dragging_ = false;
};

QAction* item(QMenu* menu, const char* name, const QString& text, bool visible = true) {
    auto* a = named(menu->addAction(text), name);
    a->setVisible(visible);
    return a;
}

QTableWidget* grid(QWidget* parent, const char* name) {
    auto* g = named(new QTableWidget(parent), name);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return g;
}

} // namespace

void TForm1::CreateMenus() {
    MainMenu1 = named(new QMenuBar(this), "MainMenu1");
    setMenuBar(MainMenu1);

    MenuPliki = named(MainMenu1->addMenu(QStringLiteral("&Pliki")), "MenuPliki");
    // The map-file and recording items exist but are never shown.
    MenuPikiOtworz = item(MenuPliki, "MenuPikiOtworz", QStringLiteral("Otwórz mapę"), false);
    MenuPlikiZapisz = item(MenuPliki, "MenuPlikiZapisz", QStringLiteral("Zapisz mapę"), false);
    PlikiUstawZapis = item(MenuPliki, "PlikiUstawZapis", QStringLiteral("Zapis do pliku"), false);
    PlikiUstawZapis->setCheckable(true);
    MenuPikiOtworzPom =
        item(MenuPliki, "MenuPikiOtworzPom", QStringLiteral("Otwórz pomiary"), false);
    PlikiZamknij = item(MenuPliki, "PlikiZamknij", QStringLiteral("Za&kończ"));

    MenuPort = named(MainMenu1->addMenu(QStringLiteral("P&ort")), "MenuPort");
    MenuPortZmien = item(MenuPort, "MenuPortZmien", QString());
    N1 = named(MenuPort->addSeparator(), "N1");

    MenuJezyk = named(MainMenu1->addMenu(QStringLiteral("&Język")), "MenuJezyk");
    JezykGroup = named(new QActionGroup(this), "JezykGroup");
    JezykGroup->setExclusive(true);
    const struct {
        QAction** member;
        const char* name;
        const char* text;
        int tag;
    } languages[] = {{&MunuJezykPl, "MunuJezykPl", "polski", 0},
                     {&MunuJezykDU, "MunuJezykDU", "deutsch", 1},
                     {&MunuJezykGB, "MunuJezykGB", "english", 2},
                     {&MunuJezykRU, "MunuJezykRU", "russian", 4}};
    for (const auto& l : languages) {
        QAction* a = item(MenuJezyk, l.name, QString::fromLatin1(l.text));
        a->setCheckable(true);
        a->setProperty("Tag", l.tag);
        JezykGroup->addAction(a);
        *l.member = a;
    }
    // German texts are incomplete: reachable only through a stored language value.
    MunuJezykDU->setVisible(false);

    MenuPomoc = named(MainMenu1->addMenu(QStringLiteral("Pomo&c")), "MenuPomoc");
    MenuPomocDok = item(MenuPomoc, "MenuPomocDok", QStringLiteral("&Dokumentacja"));
    MenuPomocOProg = item(MenuPomoc, "MenuPomocOProg", QStringLiteral("&O programie"));

    // Same structure as the Port menu; no control has it attached.
    PopupMenuPort = named(new QMenu(this), "PopupMenuPort");
    PopupMenuPortZmien = item(PopupMenuPort, "PopupMenuPortZmien", QString());
    N2 = named(PopupMenuPort->addSeparator(), "N2");
}

void TForm1::CreateTopPanel() {
    PanelTop = panel(this, "PanelTop");
    PanelTop->setFixedHeight(44);
    auto* row = new QHBoxLayout(PanelTop);
    row->setContentsMargins(4, 4, 4, 4);

    auto tab = [this](const char* name, const QString& text, int tag) {
        auto* b = named(new QToolButton(PanelTop), name);
        b->setText(text);
        b->setCheckable(true);
        b->setAutoExclusive(true); // one group: exactly one tab is down
        b->setProperty("Tag", tag);
        b->setMinimumSize(110, 34);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        return b;
    };
    ZakladkaParam = tab("ZakladkaParam", QStringLiteral("Parametry"), 0);
    ZakladkaProg = tab("ZakladkaProg", QStringLiteral("Aktualizacja"), 2);
    row->addWidget(ZakladkaParam);
    row->addWidget(ZakladkaProg);

    LabelOpis = named(new QLabel(PanelTop), "LabelOpis");
    LabelOpis->hide();
    row->addWidget(LabelOpis, 1);
    row->addStretch(0);

    Button1 = named(new QPushButton(QStringLiteral("Odśwież"), PanelTop), "Button1");
    Button1->setProperty("Tag", 0);
    Button1->setMinimumSize(100, 34);
    Button2 = named(new QPushButton(QStringLiteral("Domyślne"), PanelTop), "Button2");
    Button2->setMinimumSize(100, 34);
    row->addWidget(Button1);
    row->addWidget(Button2);

    // The connection picture covers the "no connection" caption while the link is up.
    PanelError = named(new QLabel(PanelTop), "PanelError");
    PanelError->setAlignment(Qt::AlignCenter);
    PanelError->setFixedSize(205, 36);
    PanelError->setFrameShape(QFrame::Panel);
    PanelError->setFrameShadow(QFrame::Sunken);
    Image1 = named(new QLabel(PanelError), "Image1");
    Image1->setGeometry(0, 0, 205, 36);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setAutoFillBackground(true);
    row->addWidget(PanelError);
}

void TForm1::CreateRightPanel() {
    PanelRight = panel(ClientArea, "PanelRight");
    PanelRight->hide();
    auto* column = new QVBoxLayout(PanelRight);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);

    Panel10 = named(new QLabel(QStringLiteral("Mapy zapłonu"), PanelRight), "Panel10");
    Panel10->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Panel10->setFixedHeight(40);
    // The replay position runs under the caption across the whole panel.
    auto* replay = new QVBoxLayout(Panel10);
    replay->setContentsMargins(4, 20, 4, 2);
    ScrollBar1 = named(new QScrollBar(Qt::Horizontal, Panel10), "ScrollBar1");
    ScrollBar1->hide(); // until a replay shows it
    replay->addWidget(ScrollBar1);
    column->addWidget(Panel10);

    GridB = grid(PanelRight, "GridB");
    column->addWidget(GridB, 1);
    Panel9 = panel(PanelRight, "Panel9");
    auto* lower = new QVBoxLayout(Panel9);
    lower->setContentsMargins(0, 0, 0, 0);
    GridG = grid(Panel9, "GridG");
    lower->addWidget(GridG);
    column->addWidget(Panel9, 1);

    // The marker that follows the measured cell floats above the grids.
    Panel1 = named(new QLabel(PanelRight), "Panel1");
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setAutoFillBackground(true);
    Panel1->hide();
}

void TForm1::CreateClientArea() {
    ClientArea = named(new QWidget(this), "ClientArea");
    auto* outer = new QVBoxLayout(ClientArea);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    CreateTopPanel();
    outer->addWidget(PanelTop);

    auto* body = new QHBoxLayout();
    bodyLayout_ = body;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    outer->addLayout(body, 1);

    // The left stack scrolls when the window is too small for it (it never squeezes its
    // panels into each other), and its two boundaries can be dragged.
    PanelLeft = panel(ClientArea, "PanelLeft");
    auto* leftFrame = new QVBoxLayout(PanelLeft);
    leftFrame->setContentsMargins(0, 0, 0, 0);
    PanelLeftScroll = named(new QScrollArea(PanelLeft), "PanelLeftScroll");
    PanelLeftScroll->setFrameShape(QFrame::NoFrame);
    PanelLeftScroll->setWidgetResizable(true);
    leftFrame->addWidget(PanelLeftScroll);
    PanelLeftContent = named(new QWidget(), "PanelLeftContent");
    auto* stack = new QVBoxLayout(PanelLeftContent);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    PanelLeftSplitter = named(new QSplitter(Qt::Vertical, PanelLeftContent), "PanelLeftSplitter");
    PanelLeftSplitter->setChildrenCollapsible(false);
    PanelLeftSplitter->setHandleWidth(4);
    PanelNas1 = panel(PanelLeftSplitter, "PanelNas1");
    PanelCzuj = panel(PanelLeftSplitter, "PanelCzuj");
    PanelMapy = panel(PanelLeftSplitter, "PanelMapy");
    PanelLeftSplitter->addWidget(PanelNas1);
    PanelLeftSplitter->addWidget(PanelCzuj);
    PanelLeftSplitter->addWidget(PanelMapy);
    // The map grid takes what the window gains or loses.
    PanelLeftSplitter->setStretchFactor(0, 0);
    PanelLeftSplitter->setStretchFactor(1, 0);
    PanelLeftSplitter->setStretchFactor(2, 1);
    Splitter1 = PanelLeftSplitter->handle(1);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter2 = PanelLeftSplitter->handle(2);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    PanelMapy->hide(); // shown when a controller offers a map
    PanelInne = panel(PanelLeftContent, "PanelInne");
    PanelInne->hide(); // hidden by design and never shown, so its controls stay out of sight
    stack->addWidget(PanelLeftSplitter, 1);
    stack->addWidget(PanelInne);
    stack->addStretch(0); // takes the free height when the splitter has its maximum
    PanelLeftScroll->setWidget(PanelLeftContent);
    body->addWidget(PanelLeft, 1);

    SplitterLeft = splitter(ClientArea, "SplitterLeft");
    SplitterLeft->hide();
    body->addWidget(SplitterLeft);
    Panel2 = panel(ClientArea, "Panel2");
    Panel2->hide();
    body->addWidget(Panel2, 1);

    TreeView1 = named(new QTreeWidget(ClientArea), "TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->hide();
    body->addWidget(TreeView1, 1);
    RichEdit1 = named(new QTextEdit(ClientArea), "RichEdit1");
    RichEdit1->setReadOnly(true);
    RichEdit1->hide();
    body->addWidget(RichEdit1);
    // The signal picture under the catalogue, across the whole window.
    PaintBox1 = named(new QWidget(ClientArea), "PaintBox1");
    PaintBox1->hide();
    outer->addWidget(PaintBox1);

    SplitterRight = splitter(ClientArea, "SplitterRight");
    SplitterRight->hide();
    body->addWidget(SplitterRight);
    CreateRightPanel();
    body->addWidget(PanelRight);

    setCentralWidget(ClientArea);
    // Either side keeps at least a usable strip while the bars are dragged.
    auto room = [this](int width, int least) {
        return std::clamp(width, least, std::max(least, ClientArea->width() - 200));
    };
    new SideDrag(
        SplitterLeft, [this] { return PanelLeft->width(); },
        [this, room](int width) { SetPanelLeftWidth(room(width, 200)); }, +1);
    new SideDrag(
        SplitterRight, [this] { return PanelRight->width(); },
        [this, room](int width) {
            panelRightWanted_ = room(width, MeasuredMapsNarrowest);
            PanelRight->setFixedWidth(panelRightWanted_);
            FitPanelLeftBesideChart();
        },
        -1);

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    setStatusBar(StatusBar1);
    // The status text is a label in the bar, not a passing message: a menu's (empty) status
    // tips would wipe a message away as soon as the pointer crossed the menu.
    statusText_ = named(new StatusLine(StatusBar1), "StatusText");
    StatusBar1->addWidget(statusText_, 1);
    // Settings that cannot be saved stay said here, whatever passes through the message.
    SettingsNote = named(new QLabel(StatusBar1), "SettingsNote");
    SettingsNote->setTextFormat(Qt::PlainText);
    SettingsNote->hide();
    StatusBar1->addPermanentWidget(SettingsNote);
    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->hide();

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(100);
    Timer1->setTimerType(Qt::PreciseTimer); // the poll interval to the millisecond, not within 5 %
    Timer2 = named(new QTimer(this), "Timer2");
    Timer2->setInterval(500);
    Timer2->setSingleShot(true);
}

QFileDialog* TForm1::FileDialog(bool save) {
    QFileDialog*& dialog = save ? SaveDialog1 : OpenDialog1;
    if (dialog == nullptr) {
        dialog = named(new QFileDialog(this), save ? "SaveDialog1" : "OpenDialog1");
        dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        // The dialog is used again: a name completion still open must not stay over the
        // window once it closed.
        connect(dialog, &QDialog::finished, dialog, [dialog] {
            for (QCompleter* c : dialog->findChildren<QCompleter*>()) {
                if (c->popup() != nullptr) {
                    c->popup()->hide();
                }
            }
        });
    }
    return dialog;
}

QFileDialog* TForm1::FileDialog(FileFolders::Kind kind, bool save, const QString& suffix) {
    QFileDialog* dialog = FileDialog(save);
    dialog->setDirectory(FileFolders::folder(kind));
    dialog->selectFile(save ? FileFolders::proposedName(VehicleName, QDate::currentDate(), suffix)
                            : QString());
    if (!save) {
        // The name chosen last time (a recording's .bin) is no file of this kind.
        for (QLineEdit* name : dialog->findChildren<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            name->clear();
        }
    }
    return dialog;
}

void TForm1::FileChosen(FileFolders::Kind kind, const QString& path) {
    FileFolders::remember(kind, path);
}

void TForm1::CreateMapPanel() {
    auto* column = new QVBoxLayout(PanelMapy);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    PanelMapyTop = panel(PanelMapy, "PanelMapyTop");
    PanelMapyTop->setMinimumHeight(20);
    column->addWidget(PanelMapyTop);

    ToolBarMap = named(new QToolBar(PanelMapy), "ToolBarMap");
    ToolBarMap->setIconSize(QSize(16, 16));
    QStyle* style = PanelMapy->style();
    ToolBtnMapKasuj =
        named(ToolBarMap->addAction(style->standardIcon(QStyle::SP_TrashIcon), QString()),
              "ToolBtnMapKasuj");
    ToolBtnOpen =
        named(ToolBarMap->addAction(style->standardIcon(QStyle::SP_DialogOpenButton), QString()),
              "ToolBtnOpen");
    ToolBtnSave =
        named(ToolBarMap->addAction(style->standardIcon(QStyle::SP_DialogSaveButton), QString()),
              "ToolBtnSave");
    column->addWidget(ToolBarMap);

    GridMapa = grid(PanelMapy, "GridMapa");
    // At least the speed row and a few load rows; below that the left stack scrolls.
    GridMapa->setMinimumHeight(90);
    column->addWidget(GridMapa, 1);
}

void TForm1::SetCell(QTableWidget* grid, int col, int row, const QString& text) {
    setGridCell(grid, col, row, text);
}

QString TForm1::Cell(const QTableWidget* grid, int col, int row) {
    const QTableWidgetItem* cell = grid->item(row, col);
    return cell == nullptr ? QString() : cell->text();
}

void TForm1::SetStatusText(const QString& text) {
    statusText_->setFullText(text);
}

QString TForm1::StatusText() const {
    return statusText_->fullText();
}
