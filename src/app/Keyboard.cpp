// Keyboard commands and the service mode switched by typing the access code.
#include "TForm1.h"

#include "ControlStates.h"
#include "ControllerFrame.h"
#include "ParametersTab.h"
#include "ReadResponse.h"
#include "Requests.h"
#include "ResponseResult.h"
#include "TChart3D.h"
#include "TFormInfo.h"
#include "TMySerial.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "TUpDown.h"
#include "WindowPlacement.h"

#include <algorithm>

#include <QCheckBox>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>

namespace {

// The key codes the command table and the key history use are those of the platform the
// program was first written for: letters and digits are their upper-case ASCII codes, F1 is
// 112, and so on. Qt's own codes are mapped onto them here.
int virtualKeyCode(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return 112 + (qtKey - Qt::Key_F1);
    }
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Menu:
        return 93;
    default:
        break;
    }
    // Any other key beyond Latin-1 (media and volume keys, letters such as "Ű" or "Ų") must not
    // pass for F1..F4 or a letter through its low byte: it enters the history as a code that
    // neither commands nor spells anything.
    return qtKey <= 0xFF ? qtKey : 0xFF;
}

// The key's Latin meaning when its layout types something else (Russian, Greek, ...): what the
// platform's virtual-key codes call it, so that the access code and the Ctrl commands work by
// key whatever the layout, as shortcuts do.
int typedKeyCode(const QKeyEvent* event) {
    const int qtKey = event->key();
    const bool beyondLatin1 = qtKey == 0 || (qtKey > 0xFF && qtKey < Qt::Key_Escape);
    if (!beyondLatin1) {
        return virtualKeyCode(qtKey);
    }
    // Virtual-key codes name letters and digits by their upper-case Latin character whatever
    // the layout; key symbols of a Latin layout are the lower-case character.
    const quint32 native = event->nativeVirtualKey();
    if ((native >= 'A' && native <= 'Z') || (native >= '0' && native <= '9')) {
        return static_cast<int>(native);
    }
    if (native >= 'a' && native <= 'z') {
        return static_cast<int>(native - 'a' + 'A');
    }
#ifdef Q_OS_LINUX
    // The key symbol is the layout's own letter: the key code names the key's place, and the
    // letter there is the one the virtual-key code would name.
    static const char* const rows[] = {
        "1234567890", // key codes 10..19
        "QWERTYUIOP", // 24..33
        "ASDFGHJKL",  // 38..46
        "ZXCVBNM",    // 52..58
    };
    static const quint32 firstCode[] = {10, 24, 38, 52};
    const quint32 code = event->nativeScanCode();
    for (int r = 0; r < 4; ++r) {
        const quint32 place = code - firstCode[r];
        if (code >= firstCode[r] && place < qstrlen(rows[r])) {
            return rows[r][place];
        }
    }
#endif
    return virtualKeyCode(qtKey);
}

} // namespace

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        lastKeyEvent_ = nullptr;
        lastKeyReceiver_ = nullptr;
    } else if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
               static_cast<QWidget*>(watched)->window() == this) {
        // A key the focused control does not take travels up to its parents with the same event
        // object: act on its first delivery only.
        const bool repeatDelivery =
            event == lastKeyEvent_ && lastKeyReceiver_ != nullptr && watched != lastKeyReceiver_ &&
            static_cast<QWidget*>(watched)->isAncestorOf(static_cast<QWidget*>(lastKeyReceiver_));
        lastKeyEvent_ = event;
        lastKeyReceiver_ = watched;
        auto* key = static_cast<QKeyEvent*>(event);
        // A modifier pressed alone is not a typed key: holding Shift (or pressing it anew for
        // every letter) must not break the access code.
        const bool modifierOnly = key->key() == Qt::Key_Shift || key->key() == Qt::Key_Control ||
                                  key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta ||
                                  key->key() == Qt::Key_AltGr;
        if (!repeatDelivery && !modifierOnly) {
            FormKeyDown(typedKeyCode(key), key->modifiers());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormKeyDown(int key, Qt::KeyboardModifiers shift) {
    const bool ctrl = shift.testFlag(Qt::ControlModifier);

    if (ctrl && key == 'F' && Serial1 != nullptr) {
        if (busy_ == 0) {
            RequestServiceText();
        } else {
            // Pressed while another exchange waits for its answer on this call stack (mostly a
            // poll tick): a second request now would take the first one's answer. It goes out
            // as soon as that exchange is over.
            serviceTextWanted_ = true;
        }
    }
    if (ctrl && key == 'T') {
        // Frame logging exists only in service mode; outside it the switch turns it off.
        Mirror.LogFrames = !Mirror.LogFrames && ServiceMode;
        ApplyLanguage(-1);
        return;
    }
    if (ctrl && key == 'I') {
        FormInfo->setWindowTitle(QStringLiteral("Orvex"));
        FormInfo->show();
        WindowPlacement::keepOnScreen(FormInfo, this);
        FormInfo->raise();
        ReadControllerAgain();
        return;
    }

    switch (key) {
    case 112: // F1
        if (CheckBoxOn->isVisibleTo(this)) {
            CheckBoxOn->click();
        }
        break;
    case 113: // F2
        if (CheckBoxRo->isVisibleTo(this)) {
            CheckBoxRo->click();
        }
        break;
    case 114: // F3
        if (RGMapa->isVisibleTo(this)) {
            const int next = RGMapa->ItemIndex() >= 2 ? 0 : RGMapa->ItemIndex() + 1;
            RGMapa->setItemIndex(next);
        }
        break;
    case 115: // F4
        showNormal();
        move(0, 0); // the window's frame at the screen's top-left corner
        resize(800, 600);
        SetPanelLeftWidth(width() * 2 / 3);
        break;
    default:
        break;
    }

    for (int i = 3; i > 0; --i) {
        KeyHistory[static_cast<std::size_t>(i)] = KeyHistory[static_cast<std::size_t>(i - 1)];
    }
    KeyHistory[0] = static_cast<std::uint8_t>(key & 0xFF);

    // Read as a zero-terminated text: bytes 4..7 stay 0, so it has at most four characters.
    const auto* bytes = reinterpret_cast<const char*>(KeyHistory.data());
    const QString typed = QString::fromLatin1(bytes, static_cast<qsizetype>(qstrnlen(bytes, 8)));
    if (typed.compare(QString::fromLatin1(AccessCode), Qt::CaseInsensitive) == 0) {
        SetServiceMode(!ServiceMode);
    }
}

void TForm1::RequestServiceText() {
    serviceTextWanted_ = false;
    // The service text is asked for and read at once; it becomes the window caption. No poll
    // tick may start while its answer is awaited: the tick's request would drain that answer.
    const bool polling = Timer1->isActive();
    Timer1->stop();
    ExchangeStarted();
    const SentFrame sent =
        SendRequest(Mirror, *Serial1, CMD_SERVICE, 2, SERVICE_TEXT, SERVICE_TEXT);
    if (!sent.logLine.isEmpty()) {
        ShowTxLog(sent.logLine);
    }
    const ResponseResult answer = ReadResponse(Mirror, *Serial1, Lang, CurrentControlStates());
    ApplyResponse(answer);
    if (polling && !closing_) {
        Timer1->start();
    }
    ExchangeFinished();
}

void TForm1::SetServiceMode(bool on) {
    ServiceMode = on;
    // PanelRes, LabelRes, PanelZap, LabelZap, EditGMP, UpDownGMP, PanelTxt5 and CheckBoxZbo.
    Parameters->display().setServiceControlsVisible(on);
    if (on) {
        // Room for the 16 columns of the measurement grids, but never more than 2/5 of the window.
        const int full = 16 * GridB->horizontalHeader()->defaultSectionSize() +
                         GridB->verticalScrollBar()->sizeHint().width() + 4;
        panelRightWanted_ = std::min(full, width() * 2 / 5);
        PanelRight->setFixedWidth(panelRightWanted_);
    }
    for (QWidget* w : {static_cast<QWidget*>(PanelRight), static_cast<QWidget*>(SplitterRight),
                       static_cast<QWidget*>(Panel1)}) {
        w->setVisible(on);
    }
    if (MapChart != nullptr) {
        // Service mode shows the measured angles beside the map.
        MapChart->ViewMode = on ? 2 : 0;
        MapChart->RefreshChart();
    }
    FitPanelLeftBesideChart(); // the measured maps take their room from the chart's side
    ApplyLanguage(-1);
    // The resets row comes and goes: the left panel is laid out again (its width may not
    // change when the chart stands beside it).
    if (PanelLeftResizeHandler) {
        PanelLeftResizeHandler();
    }
}
