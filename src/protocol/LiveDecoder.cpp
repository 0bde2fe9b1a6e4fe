#include "LiveDecoder.h"

#include "ControlStates.h"
#include "ControllerMirror.h"
#include "GeneralNumber.h"
#include "GeneralText.h"
#include "LangSource.h"
#include "MapCells.h"
#include "NumberText.h"
#include "PendingWrites.h"
#include "StateColour.h"

#include <QStringBuilder>

#include <cmath>

namespace {

constexpr bool bit(int value, int n) {
    return ((value >> n) & 1) != 0;
}

// Configuration-source refresh: runs when the mode byte differs from the last one seen.
LiveView::Refresh refreshLayout(ControllerMirror& m, bool k, bool p, const LangSource& lang,
                                const ControlStates& states) {
    LiveView::Refresh r;
    m.PcConfig = k && p;
    m.requestSettingsRead();
    r.pcConfig = m.PcConfig;
    r.statusText = lang.LangText(m.PcConfig ? 733 : 732);
    const bool map = bit(m.OpcjeH, 2) && p;
    r.mapPanelVisible = map;
    r.upDownKatMinimum = map ? -128 : 0;
    if (map) {
        m.PendingWrites |= PW_MAP_READ;
    }
    r.chartPanel = map && states.RGMapa == 2;
    const bool kp = k && p;
    r.CheckBoxPkVisible = kp && bit(m.OpcjeL, 0);
    r.CheckBoxOnVisible = kp && bit(m.OpcjeL, 1);
    r.CheckBoxRoVisible = kp && bit(m.OpcjeL, 2);
    r.CheckBoxBGVisible = kp && bit(m.OpcjeL, 3);
    r.CheckBoxKPVisible = kp && bit(m.OpcjeH, 3);
    r.radioGroupsEnabled = kp;
    r.riseFallVisible = kp && bit(m.OpcjeH, 7);
    return r;
}

// Built in one allocation: a live frame makes a dozen labels several times a second.
QString spaced(double value, QLatin1String unit) {
    return QLatin1Char(' ') % GeneralNumber(value) % unit;
}

} // namespace

LiveView LiveDecoder::Decode(ControllerMirror& m, int bodyLength, const LangSource& lang,
                             const ControlStates& states) {
    LiveView v;
    std::uint8_t* b = m.RxBuffer.data();
    m.LinkCounter = 0;

    // Controllers with a 20-byte body send the reset counter in byte 12.
    if (bodyLength == 20) {
        b[16] = b[12];
        b[12] = 0;
        b[15] = 0;
    }

    const bool k = bit(m.OpcjeH, 0);
    const bool p = !bit(b[1], 0);
    bool mapPanelVisible = states.PanelMapyVisible;
    if (b[1] != m.LiveMode || m.LayoutRefreshDue) {
        m.LayoutRefreshDue = false;
        v.refresh = refreshLayout(m, k, p, lang, states);
        mapPanelVisible = v.refresh->mapPanelVisible;
    }
    m.LiveStatus = b[0];
    m.LiveMode = b[1];

    // Engine speed from the revolution period (1/533333.333 s counts).
    const int period = b[10] + 256 * b[11] + 65536 * b[12];
    double rpm = 0.0;
    if (period > 0 && b[12] < 3) {
        rpm = static_cast<float>(32000000 / period);
        m.RevsPerSecond = static_cast<float>(533333.333 / period);
    } else {
        m.RevsPerSecond = 0.0F;
    }
    v.rpm = rpm;

    // Variator status.
    const bool active = bodyLength == 19 ? bit(b[1], 4) : bit(b[0], 1);
    int staText = 402;
    if (!active) {
        v.PanelSta = StateColour::Bad;
        staText = 400;
    } else if (!states.CheckBoxOn) {
        v.PanelSta = StateColour::Bad;
        staText = 401;
    } else {
        v.PanelSta = StateColour::Good;
    }

    // Ignition pulses: present but unconfirmed pulses count up with the engine speed.
    int impText = 431;
    bool impWarning = false; // LangText(410) and " !"
    if (!bit(b[0], 2)) {
        v.PanelImp = StateColour::Bad;
        m.ImpulseErrorCount = 0;
    } else if (bit(b[0], 1) || !bit(m.OpcjeH, 3)) {
        v.PanelImp = StateColour::Good;
        m.ImpulseErrorCount = 0;
        impText = 411;
    } else {
        v.PanelImp = StateColour::Bad;
        if (m.ImpulseErrorCount >= 30) {
            impWarning = true;
        } else {
            m.ImpulseErrorCount = static_cast<int>(
                std::floor(m.ImpulseErrorCount + 1 + 0.01 * static_cast<double>(m.RevsPerSecond)));
        }
    }

    v.PanelPwr = StateColour::of(bit(b[0], 3));

    const bool gas = bit(b[0], 4);
    v.PanelGAZ = StateColour::of(gas);
    v.gas = gas;
    v.PanelRPM = StateColour::of(bit(b[0], 5));
    v.PanelTPS = StateColour::of(bit(b[0], 6));
    v.PanelKAT = StateColour::of(bit(b[0], 7));
    const bool measuredGas = states.CheckBoxBG ? !gas : gas;

    // Ignition advance: the measured pulse angle against the reference pulse angle.
    int m13 = b[13] + 256 * b[14];
    if (m13 > 900 && states.UpDownGMP < 180) {
        m13 -= 900;
    }
    const int z = 5 * states.UpDownGMP - m13;
    v.advance = z;

    v.tps = b[6] * 0.02;
    v.angle = static_cast<std::int8_t>(b[2]) * 0.2;

    // The labels, only for a window that shows them: the values above are all a scan reads.
    if (states.TextsShown) {
        v.LabelSta = lang.LangText(staText);
        v.LabelImp = impWarning ? lang.LangText(410) % QLatin1String(" !") : lang.LangText(impText);
        v.LabelGaz = QLatin1Char(' ') % lang.LangText(measuredGas ? 144 : 142);
        v.EditKat = GeneralText(static_cast<std::int8_t>(b[3]) * 0.2);
        if (bit(b[1], 0) || !k) {
            const int tps = states.CheckBoxTp ? 255 - b[8] : b[8];
            v.EditTPS = GeneralText(tps * 0.02);
        }
        v.LabelTps = spaced(b[6] * 0.02, QLatin1String(" V"));
        v.LabelRpm = QLatin1Char(' ') % NumberText(static_cast<qint64>(rpm)) % lang.LangText(150);
        v.LabelObc = QLatin1Char(' ') % NumberText(b[4] * 100 / 255) % QLatin1String(" %");
        v.LabelRoz = bit(b[0], 0) ? QStringLiteral(" HI") : QStringLiteral(" LO");
        if (bit(m.Zworki, 7)) {
            v.LabelSyg = spaced(b[5] * 0.04 * 3, QLatin1String(" Vpp"));
        } else {
            v.LabelSyg = spaced(b[5] * 0.04, QLatin1String(" V"));
        }
        v.LabelMap = spaced(b[7] * 0.02, QLatin1String(" V"));
        v.LabelPot = spaced(b[8] * 0.02, QLatin1String(" V"));
        v.LabelPwr = spaced(b[9] * 0.08, QLatin1String(" V"));
        v.LabelKat = GeneralNumber(static_cast<std::int8_t>(b[2]) * 0.2) % QLatin1String(" '");
        v.LabelRes = QLatin1Char(' ') % NumberText(b[16]);
        v.PanelPrzeb = b[17] == 1   ? QStringLiteral("(60-2)")
                       : b[17] == 2 ? QStringLiteral("(36-1)")
                                    : QString();
        const GeneralNumber advanceText(z * 0.2); // LabelZap and the measurement cell
        v.LabelZap = QLatin1Char(' ') % advanceText % QLatin1String(" '");
        v.measure.text = advanceText.toString();
    }

    if (mapPanelVisible) {
        v.cursorMoved = true;
        v.oldLiveCell = m.LiveCell;
        m.LiveCell = b[15];
    }

    LiveView::Measurement& meas = v.measure;
    meas.column = MapCells::liveColumn(b[15]);
    meas.row = MapCells::liveRow(b[15]);
    meas.gas = measuredGas;
    meas.chartSample = measuredGas && states.MapChartExists;
    meas.chartValue = z / 5;
    return v;
}
