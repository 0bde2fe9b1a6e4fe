#pragma once

#include "ControllerMirror.h"
#include "FileFolders.h"
#include "LanguageTable.h"
#include "LeftPanelControls.h"
#include "MapHost.h"
#include "Recordings.h"
#include "RecordingsHost.h"
#include "ServiceReport.h"

#include <QMainWindow>
#include <QString>
#include <QUrl>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QFileDialog;
class QFrame;
class QHBoxLayout;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QScrollBar;
class QSplitter;
class QSplitterHandle;
class QStatusBar;
class QTableWidget;
class QTextEdit;
class QTimer;
class QTranslator;
class QToolButton;
class QTreeWidget;
class QWidget;
class QToolBar;
class RecordingIndicator;
class StatusLine;
class SettingEditMarks;
class MemoryWire;
class TFormAboud;
class TFormHelp;
class TFormInfo;
class MapFileCommands;
class MapGridEditor;
class MapToolBar;
class TChart3D;
class TMySerial;
class TNvScope;
class ScopeChart;
class ParametersTab;
class FirmwareTab;
struct ControlStates;
struct IdentityResult;
struct LiveView;
struct MapUpdate;
struct PollTickResult;
struct ResponseResult;
struct SettingsView;

// The main window. Its controls keep their design names as member names and objectName; its
// handlers are spread over several files by concern (start-up and close, poll cycle, languages,
// keyboard and tabs, help, port menu).
class TForm1 : public QMainWindow, public LeftPanelControls, public RecordingsHost, public MapHost {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // --- start-up and close (MainWindowStartup.cpp)
    void FormCreate();
    void FormShow();
    void Timer2Timer();
    void FormCloseQuery();
    void FormClose();
    // Stores the port and the language now (at close, and when the user picks a language);
    // false when they could not be stored.
    bool SaveSettings();
    // The status bar's own section for settings that cannot be saved (no home folder, a
    // store that takes nothing): shown for as long as that holds, the reason in its tooltip.
    QLabel* SettingsNote = nullptr;
    void ShowSettingsNote();
    // True from the close query on: layout code must not run while the window is torn down.
    bool Closing() const { return closing_; }
    // The left-panel layout, run by the parameters tab's code when it is present.
    std::function<void()> PanelLeftResizeHandler;
    static void SetApplicationTitle(const QString& title);
    static QString ApplicationTitle();

    // An exchange with the controller that waits (and processes events) is running; a close
    // asked for meanwhile is carried out when it ends.
    void ExchangeStarted() { ++busy_; }
    void ExchangeFinished();
    bool ExchangeBusy() const { return busy_ > 0; }

    // The controller as the program knows it; the one instance of the program.
    ControllerMirror Mirror;
    // The transport facade "Serial1": created at start, destroyed by FormClose.
    std::unique_ptr<TMySerial> Serial1;
    TMySerial* Serial() const { return Serial1.get(); }

    // A device that exists for this session only (the simulator's pseudo-terminal, or a path
    // from the command line): it is opened instead of the saved port and never saved as "Comm".
    void UseSessionDevice(const QString& path);
    // The same for an in-memory wire (the demo's simulator where there is no pseudo-terminal),
    // listed in the Port menu under `name`.
    void UseSessionWire(std::shared_ptr<MemoryWire> wire, const QString& name);

    // --- poll cycle (PollCycle.cpp)
    void Timer1Timer();
    ControlStates CurrentControlStates() const;
    void ApplyTickResult(const PollTickResult& result);
    void ApplyResponse(const ResponseResult& result);
    void ApplyIdentity(const IdentityResult& identity);
    void ApplyMapUpdate(const MapUpdate& update);
    void ApplyLossReset(const QString& caption, const QString& title, bool switchToParameters);
    // The views of the parameters tab are applied by its own code (ParametersTab*.cpp), which
    // sets these when it is created; the window calls them after each accepted answer.
    ParametersTab* Parameters = nullptr;
    std::function<void(const LiveView&)> LiveViewHandler;
    std::function<void(const SettingsView&)> SettingsViewHandler;
    // Message boxes of the protocol (loader, newer program); tests replace it.
    std::function<void(const QString& text)> ErrorBox;

    // --- languages (Languages.cpp)
    QString LangText(int id) const;
    void ApplyLanguage(int language);
    int Language() const;
    void MunuJezykPlClick(QAction* sender);
    // Installs Qt's own translation for the language (standard dialog buttons) in place of the
    // one before; false when it is not installed on this machine.
    bool LoadQtTranslation(int language);
    void DropFileDialogs();

    // --- keyboard, tabs, service mode (Keyboard.cpp, Tabs.cpp)
    void FormKeyDown(int key, Qt::KeyboardModifiers shift);
    // Ctrl+F: asks for the service text and reads the answer at once.
    void RequestServiceText();
    void ShowTab(int tab);
    void ZakladkaParamClick(QToolButton* sender);
    void SetServiceMode(bool on);
    // The firmware catalogue fills TreeView1 when the update tab opens (firmware code sets it).
    std::function<void()> BuildFirmwareCatalogueHandler;
    // The update tab's catalogue, signal picture and programming (FirmwareTab.cpp).
    FirmwareTab* Firmware = nullptr;
    // PanelLeft either fills the client area or stands at the left with a fixed width (while
    // the chart panel is shown beside it).
    void SetPanelLeftWidth(int width);
    void SetPanelLeftFills(bool fills);
    bool PanelLeftFills() const { return panelLeftFills_; }
    bool ServiceMode = false;
    std::array<std::uint8_t, 8> KeyHistory{};
    static constexpr const char* AccessCode = "qevu";

    // --- help menu (HelpMenu.cpp)
    void MenuPomocDokClick();
    void MenuPomocOProgClick();
    // Which file or folder the documentation command opens for a language.
    static QString DocumentationTarget(const QString& dir, int language);
    static QString DocumentationFileName(int language);
    // Where the manual of a language is looked for, in order (empty: no manual in it).
    static QStringList DocumentationCandidates(const QString& dir, int language);
    // The folder the manual is looked for in (empty: the program's own folder).
    QString DocumentationFolder;
    // How documents and links are opened (false: nothing could open it); tests replace it.
    std::function<bool(const QUrl&)> UrlOpener;
    bool OpenUrl(const QUrl& url);
    // An information box over the window; tests replace it.
    std::function<void(const QString& text)> NoticeBox;

    TFormInfo* FormInfo = nullptr;
    TFormAboud* FormAboud = nullptr;
    TFormHelp* FormHelp = nullptr;

    // Frame log lines (with LogFrames): the request under "Sygnały", the answer under "Nastawy".
    void ShowTxLog(const QString& line);
    void ShowRxLog(const QString& line);

    // --- port menu (PortMenu.cpp)
    void MenuPortClick();
    void MenuPortZmienClick();
    void PopupMenuPortPopup();

    // --- controls of the window (MainWindowLayout.cpp)
    QMenuBar* MainMenu1 = nullptr;
    QMenu* MenuPliki = nullptr;
    QAction* MenuPikiOtworz = nullptr;
    QAction* MenuPlikiZapisz = nullptr;
    QAction* PlikiUstawZapis = nullptr;
    QAction* MenuPikiOtworzPom = nullptr;
    QAction* PlikiZamknij = nullptr;
    QMenu* MenuPort = nullptr;
    QAction* MenuPortZmien = nullptr;
    QAction* N1 = nullptr;
    QMenu* MenuJezyk = nullptr;
    QActionGroup* JezykGroup = nullptr;
    QAction* MunuJezykPl = nullptr;
    QAction* MunuJezykDU = nullptr;
    QAction* MunuJezykGB = nullptr;
    QAction* MunuJezykRU = nullptr;
    QMenu* MenuPomoc = nullptr;
    QAction* MenuPomocDok = nullptr;
    QAction* MenuPomocOProg = nullptr;
    QMenu* PopupMenuPort = nullptr;
    QAction* PopupMenuPortZmien = nullptr;
    QAction* N2 = nullptr;

    QFrame* PanelTop = nullptr;
    QToolButton* ZakladkaParam = nullptr;
    QToolButton* ZakladkaProg = nullptr;
    QLabel* LabelOpis = nullptr;
    QLabel* PanelError = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    QWidget* ClientArea = nullptr;
    QFrame* PanelLeft = nullptr;
    QScrollArea* PanelLeftScroll = nullptr; // inside PanelLeft: scrolls when the window is small
    QWidget* PanelLeftContent = nullptr;    // the scrolled widget holding the stack
    QSplitter* PanelLeftSplitter = nullptr; // PanelNas1, PanelCzuj and PanelMapy
    QFrame* PanelNas1 = nullptr;
    QSplitterHandle* Splitter1 = nullptr;
    QFrame* PanelCzuj = nullptr;
    QSplitterHandle* Splitter2 = nullptr;
    QFrame* PanelMapy = nullptr;
    QFrame* PanelMapyTop = nullptr;
    QToolBar* ToolBarMap = nullptr;
    QAction* ToolBtnMapKasuj = nullptr;
    QAction* ToolBtnOpen = nullptr;
    QAction* ToolBtnSave = nullptr;
    QTableWidget* GridMapa = nullptr;
    QFrame* PanelInne = nullptr;
    QFrame* SplitterLeft = nullptr;
    QFrame* Panel2 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    QWidget* PaintBox1 = nullptr;
    QFrame* SplitterRight = nullptr;
    QFrame* PanelRight = nullptr;
    QLabel* Panel10 = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    QTableWidget* GridB = nullptr;
    QFrame* Panel9 = nullptr;
    QTableWidget* GridG = nullptr;
    QLabel* Panel1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    // Made when a file is first asked for: a file dialog lists and watches its folder from the
    // moment it exists, and the program's folder may hold thousands of files.
    QFileDialog* OpenDialog1 = nullptr;
    QFileDialog* SaveDialog1 = nullptr;
    QFileDialog* FileDialog(bool save);
    // A file dialog of `kind` starts in its kind's last folder; a save dialog proposes a name
    // from the vehicle and the date. FileChosen keeps the folder of the file the user took.
    QFileDialog* FileDialog(FileFolders::Kind kind, bool save, const QString& suffix);
    static void FileChosen(FileFolders::Kind kind, const QString& path);
    // The vehicle name of the controller that answered last (empty: none named).
    QString VehicleName;

    // Grid cells are addressed (column, row) as in the rest of the program.
    static void SetCell(QTableWidget* grid, int col, int row, const QString& text);
    static QString Cell(const QTableWidget* grid, int col, int row);

    // The status bar's one text.
    void SetStatusText(const QString& text);
    QString StatusText() const;

    // --- recordings, replay and the live chart (Measurements.cpp)
    // The scope component "Scope1": created hidden at start, destroyed by FormClose.
    TNvScope* Scope1 = nullptr;
    Recordings Measurements{*this};
    void PlikiUstawZapisClick();
    void MenuPikiOtworzPomClick();
    void ScrollBar1Change(int position);
    // After every live answer shown (from the line or a replay): the chart and the recording.
    void LiveAnswerShown(const LiveView& view);
    QMenu* MenuWidok = nullptr;
    QAction* WidokWykres = nullptr;
    QFrame* PanelScope = nullptr;
    ScopeChart* ChartScope = nullptr;
    // In the status bar: a recording running, or a recording file shown instead of a controller.
    RecordingIndicator* RecordingMark = nullptr;
    void ShowRecordingMark();
    // The file dialogs of the recordings; tests replace them.
    std::function<QString()> AskRecordingToSave;
    std::function<QString()> AskRecordingToOpen;
    std::function<void(const QString&)> WarningBox;

    // RecordingsHost
    ControllerMirror& mirror() override { return Mirror; }
    const LangSource& lang() const override { return Lang; }
    ControlStates controlStates() const override;
    QString askRecordingToSave() override;
    QString askRecordingToOpen() override;
    void warningBox(const QString& text) override;
    void setStatusText(const QString& text) override { SetStatusText(text); }
    bool recordingChecked() const override;
    void setRecordingChecked(bool checked) override;
    void closePort() override;
    void stopPolling() override;
    void startPolling() override;
    void exchangeStarted() override { ExchangeStarted(); }
    void exchangeFinished() override { ExchangeFinished(); }
    bool closeRequested() const override { return closePending_ || closing_; }
    void showReplayControls(const QString& caption, const QString& title) override;
    void setReplayRange(int maximum) override;
    void showProgress(qint64 maximum) override;
    void setProgress(qint64 position) override;
    void hideProgress() override;
    void showRecord(const ResponseResult& result) override;
    void showRecordingTrace(std::vector<LiveTracePoint> points) override;
    void showReplayPosition(int record) override;

    // --- ignition maps (Maps.cpp): the grid editor, the map files, the 3-D chart
    MapGridEditor* MapEditor = nullptr;
    MapFileCommands* MapFiles = nullptr;
    MapToolBar* MapTools = nullptr; // undo, redo and the map tools on ToolBarMap
    // The controller's map grid and its toolbar are on the window (a map is offered).
    bool MapPanelShown() const;
    // Answers the map's Yes/No questions instead of a message box (tests): the text and
    // whether Yes is the default button.
    std::function<bool(const QString& text, bool yesIsDefault)> AskMapWrite;
    TChart3D* MapChart = nullptr; // created the first time the map is shown in 3-D
    // Panel2 with the chart beside PanelLeft (show), or PanelLeft alone.
    void ShowChartPanel(bool show);
    bool ChartPanelShown() const { return chartPanelShown_; }
    // Beside the chart: PanelLeft's share of the width, never narrower than its rows. A window
    // too narrow for the rows and a usable chart folds the chart away until it is wide enough;
    // service mode's measured maps give way to the rows too (their grids scroll instead).
    void FitPanelLeftBesideChart();
    // The chart stands beside the rows now (shown, on its tab, and with room for it).
    bool ChartBesideRows() const { return chartPanelShown_ && !chartFolded_; }
    // The width the left panel's rows need at their smallest cells (set by its layout).
    int PanelLeftNarrowest = 0;
    // Narrowest chart worth showing beside the rows.
    static constexpr int ChartNarrowest = 180;
    // Narrowest strip of service mode's measured maps.
    static constexpr int MeasuredMapsNarrowest = 120;
    // MapHost (mirror(), setStatusText() and closePort() are shared with RecordingsHost)
    QString mapText(int id) const override { return LangText(id); }
    bool mapOn() const override;
    bool mapEditable() const override;
    TChart3D* mapChart() override { return MapChart; }
    void beep() override;
    QString askFileName(bool save, const QString& title, const QString& filter,
                        const QString& defaultSuffix, int* chosenFilter = nullptr) override;
    // The file dialog of a kind of file: the chosen file, empty when the user cancelled;
    // `chosenFilter` gets the index of the filter chosen.
    QString AskFileName(FileFolders::Kind kind, bool save, const QString& title,
                        const QString& filter, const QString& defaultSuffix,
                        int* chosenFilter = nullptr);
    void showFileError(const QString& text) override;
    void setFileCaption(const QString& caption, const QString& title) override;
    bool askYesNo(const QString& text, bool yesIsDefault) override;
    bool controllerAnswering() const override;
    bool controllerReady() const override;

    // --- a device that vanished while open (DeviceWatch.cpp): while the facade waits for it,
    // ReconnectTimer tries every 1.5 s to open it again; the status bar says what happens.
    void WatchForDevice();
    void ReconnectTimerTimer();
    QTimer* ReconnectTimer = nullptr;

    // --- link health, backups and the service report (ServiceTools.cpp)
    // The status bar's link figures, refreshed once a second by LinkHealthTimer.
    QLabel* LinkHealthText = nullptr;
    QTimer* LinkHealthTimer = nullptr;
    void ShowLinkHealth();
    // How much of the port the figures name: all of it, "COM n" only, or nothing (in a narrow
    // window the figures give way before the status text does).
    enum class PortShown { Whole, Number, None };
    static QString LinkHealthCaption(const LinkHealth::Figures& figures, const QString& port,
                                     const LangSource& lang, PortShown shown = PortShown::Whole);
    // "COM n device" of the open port; empty while none is open.
    QString PortCaption() const;
    QAction* MenuPomocKopie = nullptr;  // Help: open the backups folder
    QAction* MenuPlikiRaport = nullptr; // File: the service report
    void MenuPomocKopieClick();
    void MenuPlikiRaportClick();
    // The controller's settings and map (as `controller` holds them) into the backups folder;
    // false with `problem` when no backup was written.
    bool SaveControllerBackup(const ControllerMirror& controller, QString* problem);
    // MapHost: a map file's cells go to the controller only after its backup, or after the user
    // agreed to go on without one.
    bool mapFileAboutToBeWritten(const ControllerMirror& controller) override;
    // Writes the service report; empty on success, else why not.
    QString WriteServiceReport(const QString& path);
    // The information window's lines as the report's form: each "Name :<tab>value" a name and
    // a value, the window's heading (in any language: `headings`) and blank lines around it
    // left out.
    static QList<ServiceReport::Field> InfoFields(const QStringList& lines,
                                                  const QStringList& headings);
    // The report's file dialog; tests replace it.
    std::function<QString()> AskReportToSave;

    // The demo's engine, started and stopped from the View menu (F8); `run` gets the new state.
    void AddDemoEngineSwitch(std::function<void(bool running)> run);
    QAction* DemoEngine = nullptr;

    // --- edits the controller does not hold yet (HeldEdits.cpp)
    // A setting edit from a control: queued while the controller answers, else held.
    void SettingEdited(int index, int value);
    // Marks the controls of the settings not written (after every change of them).
    void ShowHeldSettings();
    // After each poll tick: settings not taken are reported, held ones offered once the
    // controller is read again.
    void AfterTickHeldEdits(const PollTickResult& result);
    void OfferHeldSettings();
    // Any setting or map cell the controller does not hold.
    bool HoldsEdits() const;
    // Identity, settings and map read again (refresh, Ctrl+I); asks first whether to keep the
    // edits not written.
    void ReadControllerAgain();
    // Closing with edits not written: save them, close anyway or stay (the default).
    bool ConfirmCloseWithEdits();
    // The factory settings (Button2): asked with No as the default, backed up first.
    void SetDefaultSettings();
    // File: restore settings from a backup (a map file's settings image).
    void MenuPlikiPrzywrocClick();
    bool RestoreSettingsFrom(const QString& path);
    QAction* MenuPlikiPrzywroc = nullptr;
    // A question with buttons, `defaultButton` the index of the default; the last button is
    // the one Esc chooses. Returns the index chosen. Tests replace it.
    std::function<int(const QString& text, const QStringList& buttons, int defaultButton)>
        AskChoice;
    int AskChoiceBox(const QString& text, const QStringList& buttons, int defaultButton);
    // The backup file to restore settings from, and the map file the edits are saved to
    // before closing; tests replace the dialogs.
    std::function<QString()> AskBackupToRestore;
    std::function<QString()> AskHeldEditsFile;
    std::unique_ptr<SettingEditMarks> HeldMarks;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Beside the chart PanelLeft keeps its share of the window's width (Maps.cpp).
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateMenus();
    void CreateTopPanel();
    void CreateClientArea();
    void CreateRightPanel();
    void CreateMapPanel();
    void ConnectHandlers();
    void CreateMeasurements();
    void ApplyMeasurementTexts();
    void ShowScopePanel(bool show);
    void FitScopePanel();
    void CreateMapEditor();
    void SetMapChartTexts();
    void CreateServiceTools();
    // The map chart's axes, texts and the map's values (the window's chart and the report's).
    void SetUpMapChart(TChart3D* chart);
    void ApplyServiceToolTexts();
    void CreateHeldEdits();
    void ApplyHeldEditTexts();
    QStringList HeldSettingLines(const QVector<HeldWrites::Setting>& settings) const;
    QStringList HeldSummary() const;
    bool offeringSettings_ = false;
    bool pollingStopped_ = false; // a replay holds the poll (stopPolling .. startPolling)
    std::uint32_t heldMarksShown_ = 0;
    bool markedCellsShown_ = false;
    QString lastBackup_;     // the backup written last
    QString defaultsBackup_; // the backup taken before the factory settings
    std::array<int, HeldWrites::SettingCount> defaultsSettings_{};

    LanguageTable Lang;
    int startPortNumber_ = 1;   // the port read from the store, kept when a session device runs
    bool settingsSaved_ = true; // the store took the settings (or, before a write, can take them)
    QString sessionDevice_;
    std::shared_ptr<MemoryWire> sessionWire_;
    QString sessionWireName_;
    bool shown_ = false;
    bool closed_ = false;
    bool closing_ = false;
    bool closePending_ = false;
    bool panelLeftFills_ = true;
    bool chartPanelShown_ = false;
    bool chartFolded_ = false; // shown, but no room beside the rows
    bool fitting_ = false;     // FitPanelLeftBesideChart runs (showing panels resizes again)
    int panelRightWanted_ = 0; // service mode's measured maps, when the window has room
    double panelLeftShare_ = 2.0 / 3.0; // of the window's width, beside the chart
    int panelLeftWidth_ = 533;
    QHBoxLayout* bodyLayout_ = nullptr;
    StatusLine* statusText_ = nullptr;          // the status bar's one text
    std::unique_ptr<QTranslator> qtTranslator_; // Qt's own texts in the window's language
    int busy_ = 0;
    bool serviceTextWanted_ = false; // Ctrl+F came during an exchange: sent when it ends
    // Key events travel up the parent chain; each press is seen once.
    const QEvent* lastKeyEvent_ = nullptr;
    QObject* lastKeyReceiver_ = nullptr;
};
