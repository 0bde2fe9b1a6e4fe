// Construction, start-up, the delayed port opening and the orderly close.
#include "TForm1.h"

#include "SettingEditMarks.h"

#include "BgrColor.h"
#include "EventPump.h"
#include "FirmwareTab.h"
#include "MapGridEditor.h"
#include "ParametersTab.h"
#include "PersistedSettings.h"
#include "TFormAboud.h"
#include "TFormHelp.h"
#include "TFormInfo.h"
#include "TMySerial.h"
#include "TNvScope.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <QVBoxLayout>

#include <algorithm>

static void initResources() {
    Q_INIT_RESOURCE(app);
}

namespace {
constexpr const char* ProgramName = "Orvex";
constexpr const char* ProgramVersion = " V1.03";
} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    initResources();
    setObjectName("Form1");
    resize(800, 600);
    setMinimumSize(620, 460);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    CreateMenus();
    CreateClientArea();
    CreateMapPanel();
    createLeftPanelControls({PanelNas1, PanelCzuj, PanelMapyTop, PanelInne});
    Parameters = new ParametersTab(*this);
    CreateMapEditor();
    Firmware = new FirmwareTab(*this);

    // The small windows exist for the whole run and are only shown and hidden.
    FormInfo = new TFormInfo();
    FormAboud = new TFormAboud();
    FormHelp = new TFormHelp();
    UrlOpener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    NoticeBox = [this](const QString& text) {
        QMessageBox::information(isVisible() ? this : nullptr, ApplicationTitle(), text);
    };
    // A link that nothing opens is said, not dropped.
    FormAboud->UrlOpener = [this](const QUrl& url) {
        if (!OpenUrl(url)) {
            NoticeBox(LangText(189).arg(url.toDisplayString()));
        }
    };

    ConnectHandlers();
    CreateMeasurements();
    CreateServiceTools();
    CreateHeldEdits();
    // The window sees every key first, whichever control has the focus.
    qApp->installEventFilter(this);

    FormCreate();
}

TForm1::~TForm1() {
    qApp->removeEventFilter(this);
    // The map editor watches GridMapa: it goes before the window's controls do.
    delete MapEditor;
    MapEditor = nullptr;
    if (!closed_) {
        // Destroyed without a close (tests, or the application quitting): still release the port.
        Timer1->stop();
        Timer2->stop();
        Serial1.reset();
    }
    // The tab filters and paints controls that the base class deletes after this body: it goes
    // first.
    delete Parameters;
    Parameters = nullptr;
    delete FormInfo;
    delete FormAboud;
    delete FormHelp;
}

void TForm1::FormCreate() {
    setWindowTitle(QString::fromLatin1(ProgramName) + QString::fromLatin1(ProgramVersion));
    SetApplicationTitle(QString::fromLatin1(ProgramName));

    const QPixmap logo(QStringLiteral(":/bitmaps/1000"));
    Image1->setPixmap(logo.scaled(Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));

    ZakladkaParam->setChecked(true);
    SetPanelLeftWidth(width() * 2 / 3); // kept for when the chart panel stands beside it
    SetPanelLeftFills(true);

    Serial1 = std::make_unique<TMySerial>();
    Serial1->setObjectName("Serial1");
    Scope1 = new TNvScope(this);
    Scope1->setObjectName(QStringLiteral("Scope1"));
    Scope1->hide();

    // Measurement grids: rows twice the font size, columns 3.4 times it.
    // They hold short numbers in 16 narrow columns: a small font, cells without padding.
    QFont gridFont = GridB->font();
    gridFont.setPointSize(8);
    for (QTableWidget* g : {GridB, GridG}) {
        g->setFont(gridFont);
        g->setStyleSheet(
            QStringLiteral("QTableView { font-size: 8pt; } QTableView::item { padding: 0px; }"));
        g->setTextElideMode(Qt::ElideNone);
    }
    const int fontSize = gridFont.pointSize();
    const int rowHeight = 2 * fontSize;
    // ...but never too narrow for the widest header, "10000".
    const int colWidth =
        std::max(static_cast<int>(3.4 * fontSize),
                 QFontMetrics(gridFont).horizontalAdvance(QStringLiteral("10000")) + 4);
    for (QTableWidget* g : {GridMapa, GridB, GridG}) {
        g->setColumnCount(16);
        g->setRowCount(17);
    }
    for (QTableWidget* g : {GridB, GridG}) {
        g->verticalHeader()->setMinimumSectionSize(1);
        g->verticalHeader()->setDefaultSectionSize(rowHeight);
        g->horizontalHeader()->setMinimumSectionSize(1);
        g->horizontalHeader()->setDefaultSectionSize(colWidth);
    }
    SetCell(GridB, 0, 0, QStringLiteral("Ben"));
    SetCell(GridG, 0, 0, QStringLiteral("Gaz"));
    Panel1->resize(colWidth, rowHeight);

    KeyHistory.fill(0);
}

void TForm1::FormShow() {
    Mirror.LinkCounter = 0;
    Mirror.SettingIndex = 0;
    Mirror.IdentityState = 0;

    // Grid headers: engine speed across, load down.
    SetCell(GridMapa, 0, 0, QStringLiteral("0"));
    for (int c = 1; c <= 15; ++c) {
        for (QTableWidget* g : {GridMapa, GridB, GridG}) {
            SetCell(g, c, 0, QString::number((c + 1) * 400));
        }
    }
    for (QTableWidget* g : {GridMapa, GridB, GridG}) {
        SetCell(g, 15, 0, QStringLiteral("10000"));
    }
    for (int r = 1; r < GridMapa->rowCount(); ++r) {
        const QString load = QString::number(static_cast<int>(r * 6.25)) + QLatin1Char('%');
        for (QTableWidget* g : {GridMapa, GridB, GridG}) {
            SetCell(g, 0, r, load);
        }
    }

    const PersistedSettings::Values stored = PersistedSettings::Read();
    startPortNumber_ = stored.Comm;

    // Whether the store can take the settings is known before anything is written: the
    // note stands from the start, and the reason is said once in the message too.
    settingsSaved_ = PersistedSettings::Writable();
    ApplyLanguage(stored.Lang);
    if (!SettingsNote->isHidden()) {
        SetStatusText(SettingsNote->toolTip());
    }
    if (PanelLeftResizeHandler) {
        PanelLeftResizeHandler();
    }
    Timer2->start();
}

void TForm1::UseSessionDevice(const QString& path) {
    sessionDevice_ = path;
}

void TForm1::UseSessionWire(std::shared_ptr<MemoryWire> wire, const QString& name) {
    sessionWire_ = std::move(wire);
    sessionWireName_ = name;
}

void TForm1::Timer2Timer() {
    Timer2->stop();
    if (Serial1 == nullptr) {
        return;
    }
    // The open pauses with the window running: a close asked for meanwhile waits for it.
    ExchangeStarted();
    // A failure is not reported here: the poll cycle sees the port closed.
    if (sessionWire_ != nullptr) {
        Serial1->SerialOpenWire(sessionWire_, sessionWireName_, 9600);
    } else if (!sessionDevice_.isEmpty()) {
        Serial1->SerialOpenDevice(sessionDevice_, 9600);
    } else {
        Serial1->SerialOpen(startPortNumber_, 9600);
    }
    if (!closing_) {
        Timer1->start();
    }
    ExchangeFinished();
}

void TForm1::FormCloseQuery() {
    Timer1->stop();
    Timer2->stop();
    closing_ = true; // no layout code runs while the window is torn down
    Measurements.RecordingFile.close();
    EventPump::sleepBlocking(200);
    EventPump::processEvents();
}

bool TForm1::SaveSettings() {
    if (Serial1 == nullptr) {
        return false;
    }
    // A device given for this session only means nothing next time: keep the user's port.
    const int comm = Serial1->PortIsSessionOnly() ? startPortNumber_ : Serial1->PortNumber();
    settingsSaved_ = PersistedSettings::Write(comm, Language());
    ShowSettingsNote();
    return settingsSaved_;
}

void TForm1::ShowSettingsNote() {
    if (SettingsNote == nullptr) {
        return;
    }
    const bool homeless = !PersistedSettings::Storable();
    QString why;
    if (homeless) {
        why = LangText(864); // no home folder
    } else if (!settingsSaved_) {
        why = LangText(994).arg(QDir::toNativeSeparators(PersistedSettings::Location()));
    }
    SettingsNote->setText(LangText(993));
    // A language without the reason's text still has the note.
    SettingsNote->setToolTip(why.isEmpty() ? LangText(993) : why);
    SettingsNote->setVisible(homeless || !settingsSaved_);
}

void TForm1::FormClose() {
    SaveSettings();
    FormInfo->hide(); // the small windows go with the main one
    try {
        Serial1.reset();
    } catch (...) {
        // Closing a port that vanished must not stop the program from closing.
    }
    delete Scope1;
    Scope1 = nullptr;
    EventPump::processEvents();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (busy_ > 0) {
        // An exchange with the controller is waiting for its answer on this very call stack:
        // close once it has finished instead of pulling the port away from under it.
        closePending_ = true;
        event->ignore();
        return;
    }
    if (Serial1 != nullptr && Serial1->Opening()) {
        // A port chosen in the menu is being opened further down this call stack.
        event->ignore();
        QTimer::singleShot(20, this, &QWidget::close);
        return;
    }
    if (!closed_ && !ConfirmCloseWithEdits()) {
        event->ignore();
        return;
    }
    if (!closed_) {
        FormCloseQuery();
        FormClose();
        closed_ = true;
    }
    event->accept();
}

void TForm1::ExchangeFinished() {
    if (--busy_ != 0) {
        return;
    }
    if (closePending_) {
        closePending_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    } else if (serviceTextWanted_) {
        // Ctrl+F pressed during the exchange that just ended.
        QTimer::singleShot(0, this, [this] {
            if (serviceTextWanted_ && busy_ == 0 && Serial1 != nullptr && !closing_) {
                RequestServiceText();
            }
        });
    }
}

void TForm1::SetApplicationTitle(const QString& title) {
    // Linux has no separate application title; it is kept for the tests and the Windows build.
    qApp->setProperty("Title", title);
}

QString TForm1::ApplicationTitle() {
    return qApp->property("Title").toString();
}

void TForm1::ConnectHandlers() {
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(PlikiZamknij, &QAction::triggered, this, &QWidget::close);
    connect(MenuPort, &QMenu::aboutToShow, this, &TForm1::MenuPortClick);
    connect(MenuPortZmien, &QAction::triggered, this, &TForm1::MenuPortZmienClick);
    connect(PopupMenuPort, &QMenu::aboutToShow, this, &TForm1::PopupMenuPortPopup);
    connect(PopupMenuPortZmien, &QAction::triggered, this, &TForm1::MenuPortZmienClick);
    for (QAction* a : {MunuJezykPl, MunuJezykDU, MunuJezykGB, MunuJezykRU}) {
        connect(a, &QAction::triggered, this, [this, a] { MunuJezykPlClick(a); });
    }
    connect(MenuPomocDok, &QAction::triggered, this, &TForm1::MenuPomocDokClick);
    connect(MenuPomocOProg, &QAction::triggered, this, &TForm1::MenuPomocOProgClick);
    for (QToolButton* b : {ZakladkaParam, ZakladkaProg}) {
        connect(b, &QToolButton::clicked, this, [this, b] { ZakladkaParamClick(b); });
    }
}
