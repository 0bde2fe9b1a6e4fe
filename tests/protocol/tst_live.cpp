#include "ControlStates.h"
#include "ControllerMirror.h"
#include "FakeLang.h"
#include "FakeLink.h"
#include "LiveDecoder.h"
#include "ReadResponse.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

constexpr std::uint32_t Green = 0x00FF00;
constexpr std::uint32_t Red = 0x0000FF;

// A live frame with an even code and an 18-byte data part (19-byte body) unless told.
struct Live {
    QByteArray data = QByteArray(18, '\0');
    int len = 18;
    int cmd = 0x50;
    Live& set(int i, int v) {
        data[i] = char(v);
        return *this;
    }
    Live& period(int t) {
        return set(10, t & 0xFF).set(11, (t >> 8) & 0xFF).set(12, (t >> 16) & 0xFF);
    }
    Live& angle(int a) { return set(13, a & 0xFF).set(14, a >> 8); }
    QByteArray frame() const { return responseFrame(len, cmd, data); }
};

struct Rig {
    ControllerMirror m;
    FakeLink link;
    FakeLang lang;
    ControlStates states;
    LiveView run(const Live& live) {
        link.deliver(live.frame());
        const ResponseResult r = ReadResponse(m, link, lang, states);
        if (!r.live) {
            qFatal("live frame not accepted");
        }
        return *r.live;
    }
};

} // namespace

class LiveTest : public QObject {
    Q_OBJECT
private slots:
    void engineSpeedComesFromTheRevolutionPeriod_data();
    void engineSpeedComesFromTheRevolutionPeriod();
    void unconfirmedPulsesCountUpWithEngineSpeed_data();
    void unconfirmedPulsesCountUpWithEngineSpeed();
    void confirmedOrAbsentPulsesResetTheCount();
    void ignitionAdvanceCorrectsLargeAngles_data();
    void ignitionAdvanceCorrectsLargeAngles();
    void twentyByteBodyCarriesTheResetCounterInByteTwelve();
    void nineteenByteBodyTakesTheVariatorFlagFromTheModeByte();
    void variatorStatusFollowsTheShiftSwitch_data();
    void variatorStatusFollowsTheShiftSwitch();
    void fuelTextIsSwappedByTheFuelChangeBox();
    void labelsCarryTheirUnits();
    void peakToPeakJumperTriplesTheSignal();
    void modeChangeRefreshesTheLayoutOnce();
    void eachOptionBitShowsItsOwnControl_data();
    void eachOptionBitShowsItsOwnControl();
    void firstFrameAfterAnIdentityRefreshesEvenWithModeByteZero();
    void switchConfigurationHidesTheMapAndShowsTheThrottleEdit();
    void mapCursorFollowsTheLiveCellOnlyWithTheMapPanel();
    void measurementCellGoesToTheGasOrPetrolGrid();
    void valuesOnlyScanDecodesTheSameValues_data();
    void valuesOnlyScanDecodesTheSameValues();
};

void LiveTest::engineSpeedComesFromTheRevolutionPeriod_data() {
    QTest::addColumn<int>("period");
    QTest::addColumn<QString>("label");
    QTest::addColumn<double>("revs");
    QTest::newRow("16000 counts") << 16000 << " 2000 obr/min" << 33.333;
    QTest::newRow("zero period") << 0 << " 0 obr/min" << 0.0;
    QTest::newRow("top byte 3 is invalid") << 0x030000 << " 0 obr/min" << 0.0;
    QTest::newRow("top byte 2 is valid") << 0x020000 << " 244 obr/min" << 4.069;
    QTest::newRow("shortest period") << 1 << " 32000000 obr/min" << 533333.333;
}

void LiveTest::engineSpeedComesFromTheRevolutionPeriod() {
    QFETCH(int, period);
    QFETCH(QString, label);
    QFETCH(double, revs);
    Rig rig;
    rig.m.RevsPerSecond = 99.0F;
    const LiveView v = rig.run(Live().period(period));
    QCOMPARE(v.LabelRpm, label);
    QVERIFY(qAbs(rig.m.RevsPerSecond - revs) < 0.01 + revs * 1e-6);
}

void LiveTest::unconfirmedPulsesCountUpWithEngineSpeed_data() {
    QTest::addColumn<int>("period");
    QTest::addColumn<int>("step");
    QTest::newRow("engine stopped") << 0 << 1;
    QTest::newRow("about 33 revolutions per second") << 16000 << 1;
    QTest::newRow("about 99 revolutions per second") << 5390 << 1;
    QTest::newRow("just over 100 revolutions per second") << 5330 << 2;
    QTest::newRow("about 199 revolutions per second") << 2680 << 2;
}

void LiveTest::unconfirmedPulsesCountUpWithEngineSpeed() {
    QFETCH(int, period);
    QFETCH(int, step);
    Rig rig;
    rig.m.OpcjeH = 0x08; // pulse check present
    // Pulses present, variator not confirming them.
    const Live live = Live().set(0, 0x04).period(period);
    int expected = 0;
    LiveView v;
    while (expected < 30) {
        v = rig.run(live);
        expected += step;
        QCOMPARE(rig.m.ImpulseErrorCount, expected);
        QCOMPARE(v.LabelImp, QStringLiteral(" Brak"));
        QCOMPARE(v.PanelImp, Red);
    }
    v = rig.run(live);
    QCOMPARE(v.LabelImp, QStringLiteral(" Błąd !"));
    QCOMPARE(rig.m.ImpulseErrorCount, expected);
}

void LiveTest::confirmedOrAbsentPulsesResetTheCount() {
    Rig rig;
    rig.m.OpcjeH = 0x08;
    rig.m.ImpulseErrorCount = 40;
    LiveView v = rig.run(Live().set(0, 0x06)); // pulses and variator active
    QCOMPARE(v.LabelImp, QStringLiteral(" OK"));
    QCOMPARE(v.PanelImp, Green);
    QCOMPARE(rig.m.ImpulseErrorCount, 0);
    rig.m.ImpulseErrorCount = 12;
    v = rig.run(Live().set(0, 0x00)); // no pulses at all
    QCOMPARE(v.LabelImp, QStringLiteral(" Brak"));
    QCOMPARE(rig.m.ImpulseErrorCount, 0);
    rig.m.OpcjeH = 0x00; // no pulse check: present pulses are fine
    rig.m.ImpulseErrorCount = 12;
    v = rig.run(Live().set(0, 0x04));
    QCOMPARE(v.PanelImp, Green);
    QCOMPARE(rig.m.ImpulseErrorCount, 0);
}

void LiveTest::ignitionAdvanceCorrectsLargeAngles_data() {
    QTest::addColumn<int>("gmp");
    QTest::addColumn<int>("angle");
    QTest::addColumn<QString>("label");
    QTest::newRow("plain") << 60 << 250 << " 10 '";
    QTest::newRow("over 900 is corrected") << 60 << 1150 << " 10 '";
    QTest::newRow("exactly 900 is not") << 60 << 900 << " -120 '";
    QTest::newRow("no correction from 180 degrees") << 180 << 1150 << " -50 '";
    QTest::newRow("fraction") << 10 << 47 << " 0.6 '";
}

void LiveTest::ignitionAdvanceCorrectsLargeAngles() {
    QFETCH(int, gmp);
    QFETCH(int, angle);
    QFETCH(QString, label);
    Rig rig;
    rig.states.UpDownGMP = gmp;
    const LiveView v = rig.run(Live().angle(angle));
    QCOMPARE(v.LabelZap, label);
    QCOMPARE(v.measure.text, label.mid(1, label.size() - 3));
}

void LiveTest::twentyByteBodyCarriesTheResetCounterInByteTwelve() {
    Rig rig;
    rig.states.PanelMapyVisible = true;
    Live live;
    live.cmd = 0x51; // odd code: LEN 18 gives a 20-byte body
    live.data.resize(19);
    live.set(10, 0x80).set(11, 0x3E).set(12, 7).set(15, 0x35);
    const LiveView v = rig.run(live);
    QCOMPARE(v.LabelRes, QStringLiteral(" 7"));
    QCOMPARE(v.LabelRpm, QStringLiteral(" 2000 obr/min"));
    QCOMPARE(rig.m.LiveCell, std::uint8_t(0));

    Live longer; // a 21-byte body uses every byte as it stands
    longer.len = 20;
    longer.data.resize(20);
    longer.set(12, 1).set(16, 4);
    QCOMPARE(rig.run(longer).LabelRes, QStringLiteral(" 4"));
    QCOMPARE(rig.m.RevsPerSecond > 0.0F, true);
}

void LiveTest::nineteenByteBodyTakesTheVariatorFlagFromTheModeByte() {
    Rig rig;
    rig.states.CheckBoxOn = true;
    QCOMPARE(rig.run(Live().set(1, 0x10)).PanelSta, Green);
    QCOMPARE(rig.run(Live().set(0, 0x02)).PanelSta, Red);
    Live wider;
    wider.len = 19;
    wider.data.resize(19);
    wider.set(0, 0x02);
    QCOMPARE(rig.run(wider).PanelSta, Green);
}

void LiveTest::variatorStatusFollowsTheShiftSwitch_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("switchOn");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("green");
    QTest::newRow("not active") << 0x00 << true << " Odłączony" << false;
    QTest::newRow("active, shifting off") << 0x02 << false << " Wyłączony" << false;
    QTest::newRow("active, shifting on") << 0x02 << true << " Włączony" << true;
}

void LiveTest::variatorStatusFollowsTheShiftSwitch() {
    QFETCH(int, status);
    QFETCH(bool, switchOn);
    QFETCH(QString, text);
    QFETCH(bool, green);
    Rig rig;
    rig.states.CheckBoxOn = switchOn;
    Live live;
    live.len = 19;
    live.data.resize(19);
    const LiveView v = rig.run(live.set(0, status));
    QCOMPARE(v.LabelSta, text);
    QCOMPARE(v.PanelSta, green ? Green : Red);
}

void LiveTest::fuelTextIsSwappedByTheFuelChangeBox() {
    Rig rig;
    LiveView v = rig.run(Live().set(0, 0x10));
    QCOMPARE(v.LabelGaz, QStringLiteral(" GAZ"));
    QCOMPARE(v.PanelGAZ, Green);
    QVERIFY(v.measure.gas);
    rig.states.CheckBoxBG = true;
    v = rig.run(Live().set(0, 0x10));
    QCOMPARE(v.LabelGaz, QStringLiteral(" BENZYNA"));
    QCOMPARE(v.PanelGAZ, Green);
    QVERIFY(!v.measure.gas);
    v = rig.run(Live().set(0, 0x00));
    QCOMPARE(v.LabelGaz, QStringLiteral(" GAZ"));
    QCOMPARE(v.PanelGAZ, Red);
}

void LiveTest::labelsCarryTheirUnits() {
    Rig rig;
    const LiveView v = rig.run(Live()
                                   .set(0, 0xE9)
                                   .set(2, 0x80) // -128 * 0.2
                                   .set(3, 0x03)
                                   .set(4, 128)
                                   .set(5, 25)
                                   .set(6, 249)
                                   .set(7, 128)
                                   .set(8, 50)
                                   .set(9, 172)
                                   .set(17, 2));
    QCOMPARE(v.LabelTps, QStringLiteral(" 4.98 V"));
    QCOMPARE(v.LabelObc, QStringLiteral(" 50 %"));
    QCOMPARE(v.LabelRoz, QStringLiteral(" HI"));
    QCOMPARE(v.LabelSyg, QStringLiteral(" 1 V"));
    QCOMPARE(v.LabelMap, QStringLiteral(" 2.56 V"));
    QCOMPARE(v.LabelPot, QStringLiteral(" 1 V"));
    QCOMPARE(v.LabelPwr, QStringLiteral(" 13.76 V"));
    QCOMPARE(v.LabelKat, QStringLiteral("-25.6 '"));
    QCOMPARE(v.EditKat, QStringLiteral("0.6"));
    QCOMPARE(v.PanelPrzeb, QStringLiteral("(36-1)"));
    QCOMPARE(v.PanelPwr, Green);
    QCOMPARE(v.PanelRPM, Green);
    QCOMPARE(v.PanelTPS, Green);
    QCOMPARE(v.PanelKAT, Green);
    QCOMPARE(rig.m.LiveStatus, std::uint8_t(0xE9));
    const LiveView low = rig.run(Live());
    QCOMPARE(low.LabelRoz, QStringLiteral(" LO"));
    QCOMPARE(low.PanelPwr, Red);
    QCOMPARE(low.PanelKAT, Red);
    QCOMPARE(low.PanelPrzeb, QString());
}

void LiveTest::peakToPeakJumperTriplesTheSignal() {
    Rig rig;
    rig.m.Zworki = 0x80;
    QCOMPARE(rig.run(Live().set(5, 25)).LabelSyg, QStringLiteral(" 3 Vpp"));
}

void LiveTest::modeChangeRefreshesTheLayoutOnce() {
    Rig rig;
    rig.m.OpcjeL = 0x0B;
    rig.m.OpcjeH = 0x8D; // PC configuration, map, pulse check, rise/fall times
    rig.m.SettingIndex = -1;
    rig.m.LiveMode = 255; // after a loss
    rig.states.RGMapa = 2;
    LiveView v = rig.run(Live()); // mode byte 0: configured from the PC
    QVERIFY(v.refresh.has_value());
    QVERIFY(rig.m.PcConfig);
    QCOMPARE(rig.m.SettingIndex, 0);
    QCOMPARE(v.refresh->statusText, QStringLiteral("Konfiguracja wariatora z komputera PC"));
    QVERIFY(v.refresh->mapPanelVisible);
    QCOMPARE(v.refresh->upDownKatMinimum, -128);
    QVERIFY(v.refresh->chartPanel);
    QVERIFY(rig.m.PendingWrites & 0x0800);
    QVERIFY(v.refresh->CheckBoxPkVisible && v.refresh->CheckBoxOnVisible);
    QVERIFY(!v.refresh->CheckBoxRoVisible && v.refresh->CheckBoxBGVisible);
    QVERIFY(v.refresh->CheckBoxKPVisible && v.refresh->radioGroupsEnabled);
    QVERIFY(v.refresh->riseFallVisible);
    QVERIFY(!v.EditTPS.has_value());

    rig.m.SettingIndex = -1;
    rig.m.PendingWrites = 0;
    v = rig.run(Live());
    QVERIFY(!v.refresh.has_value());
    QCOMPARE(rig.m.SettingIndex, -1);
    QCOMPARE(rig.m.PendingWrites, 0u);
}

void LiveTest::eachOptionBitShowsItsOwnControl_data() {
    QTest::addColumn<int>("opcjeL");
    QTest::addColumn<int>("opcjeH");
    QTest::addColumn<int>("rgMapa");
    // Shown: relay, shifting, speed limit, fuel change, connection check, rise/fall, map panel,
    // chart, as bits 0..7.
    QTest::addColumn<int>("shown");
    QTest::newRow("relay box, bit 0") << 0x01 << 0x01 << 0 << 0x01;
    QTest::newRow("shifting box, bit 1") << 0x02 << 0x01 << 0 << 0x02;
    QTest::newRow("speed limit box, bit 2") << 0x04 << 0x01 << 0 << 0x04;
    QTest::newRow("fuel change box, bit 3") << 0x08 << 0x01 << 0 << 0x08;
    QTest::newRow("bits 4..7 show no box") << 0xF0 << 0x01 << 0 << 0x00;
    QTest::newRow("connection check, high bit 3") << 0x00 << 0x09 << 0 << 0x10;
    QTest::newRow("rise and fall times, high bit 7") << 0x00 << 0x81 << 0 << 0x20;
    QTest::newRow("map, 2D") << 0x00 << 0x05 << 1 << 0x40;
    QTest::newRow("map, 3D: the chart too") << 0x00 << 0x05 << 2 << 0xC0;
    QTest::newRow("3D chosen without the map option") << 0x00 << 0x01 << 2 << 0x00;
    // Without PC configuration the map still follows the map option and the mode byte.
    QTest::newRow("everything but PC configuration") << 0xFF << 0xFE << 2 << 0xC0;
}

void LiveTest::eachOptionBitShowsItsOwnControl() {
    QFETCH(int, opcjeL);
    QFETCH(int, opcjeH);
    QFETCH(int, rgMapa);
    QFETCH(int, shown);
    Rig rig;
    rig.m.OpcjeL = std::uint8_t(opcjeL);
    rig.m.OpcjeH = std::uint8_t(opcjeH);
    rig.m.LiveMode = 255;
    rig.states.RGMapa = rgMapa;
    const LiveView v = rig.run(Live());
    QVERIFY(v.refresh.has_value());
    const LiveView::Refresh& r = *v.refresh;
    const int got = int(r.CheckBoxPkVisible) | int(r.CheckBoxOnVisible) << 1 |
                    int(r.CheckBoxRoVisible) << 2 | int(r.CheckBoxBGVisible) << 3 |
                    int(r.CheckBoxKPVisible) << 4 | int(r.riseFallVisible) << 5 |
                    int(r.mapPanelVisible) << 6 | int(r.chartPanel) << 7;
    QCOMPARE(got, shown);
    QCOMPARE(r.radioGroupsEnabled, (opcjeH & 1) != 0);
    QCOMPARE(r.upDownKatMinimum, (shown & 0x40) != 0 ? -128 : 0);
}

void LiveTest::firstFrameAfterAnIdentityRefreshesEvenWithModeByteZero() {
    Rig rig;
    QByteArray id(99, '\0');
    id[18] = char(0x05); // PC configuration possible, map present
    rig.link.deliver(responseFrame(99, 0x52, id));
    ReadResponse(rig.m, rig.link, rig.lang, rig.states);
    QCOMPARE(rig.m.LiveMode, std::uint8_t(0));
    rig.m.SettingIndex = -1;
    LiveView v = rig.run(Live());
    QVERIFY(v.refresh.has_value());
    QVERIFY(v.refresh->mapPanelVisible);
    QVERIFY(rig.m.PendingWrites & 0x0800);
    QCOMPARE(rig.m.SettingIndex, 0);
    QVERIFY(!rig.run(Live()).refresh.has_value());
}

void LiveTest::switchConfigurationHidesTheMapAndShowsTheThrottleEdit() {
    Rig rig;
    rig.m.OpcjeL = 0x0F;
    rig.m.OpcjeH = 0x8D;
    rig.states.CheckBoxTp = true;
    const LiveView v = rig.run(Live().set(1, 0x01).set(8, 5));
    QVERIFY(v.refresh.has_value());
    QVERIFY(!rig.m.PcConfig);
    QCOMPARE(v.refresh->statusText, QStringLiteral("Konfiguracja wariatora z przełączników"));
    QVERIFY(!v.refresh->mapPanelVisible);
    QCOMPARE(v.refresh->upDownKatMinimum, 0);
    QVERIFY(!v.refresh->CheckBoxPkVisible && !v.refresh->radioGroupsEnabled);
    QCOMPARE(rig.m.PendingWrites, 0u);
    QCOMPARE(v.EditTPS.value_or(QString()), QStringLiteral("5"));
    QVERIFY(!v.cursorMoved);
}

void LiveTest::mapCursorFollowsTheLiveCellOnlyWithTheMapPanel() {
    Rig rig;
    rig.m.LiveCell = 0x21;
    LiveView v = rig.run(Live().set(15, 0x4A));
    QVERIFY(!v.cursorMoved);
    QCOMPARE(rig.m.LiveCell, std::uint8_t(0x21));
    rig.states.PanelMapyVisible = true;
    v = rig.run(Live().set(15, 0x4A));
    QVERIFY(v.cursorMoved);
    QCOMPARE(v.oldLiveCell, std::uint8_t(0x21));
    QCOMPARE(rig.m.LiveCell, std::uint8_t(0x4A));
}

void LiveTest::measurementCellGoesToTheGasOrPetrolGrid() {
    Rig rig;
    rig.states.MapChartExists = true;
    rig.states.UpDownGMP = 60;
    const LiveView v = rig.run(Live().set(0, 0x10).set(15, 0x4A).angle(250 - 12));
    QCOMPARE(v.measure.column, 4);
    QCOMPARE(v.measure.row, 11);
    QVERIFY(v.measure.gas && v.measure.chartSample);
    QCOMPARE(v.measure.chartValue, 12); // Z = 62 steps, whole degrees
    QCOMPARE(v.measure.text, QStringLiteral("12.4"));
    rig.states.MapChartExists = false;
    QVERIFY(!rig.run(Live().set(0, 0x10)).measure.chartSample);
}

void LiveTest::valuesOnlyScanDecodesTheSameValues_data() {
    QTest::addColumn<int>("body");
    QTest::addColumn<int>("opcjeH");
    QTest::addColumn<int>("zworki");
    QTest::addColumn<int>("boxes"); // CheckBoxOn, BG, Tp, map panel, map chart
    QTest::newRow("replayed records, pulse check") << 0 << 0x0F << 0x00 << 0x1F;
    QTest::newRow("replayed records, nothing set") << 0 << 0x00 << 0x00 << 0x00;
    QTest::newRow("19-byte body, peak to peak") << 19 << 0x8D << 0x80 << 0x05;
    QTest::newRow("20-byte body, PC configuration") << 20 << 0x01 << 0x00 << 0x1A;
    QTest::newRow("21-byte body, map") << 21 << 0x0C << 0x80 << 0x0B;
}

// The chart's scan of a recording asks for values only: forty frames in a row give the same
// values, colours, cells and mirror as the window's decoding, and no label text.
void LiveTest::valuesOnlyScanDecodesTheSameValues() {
    QFETCH(int, body);
    QFETCH(int, opcjeH);
    QFETCH(int, zworki);
    QFETCH(int, boxes);
    FakeLang lang;
    ControllerMirror shown;
    shown.OpcjeH = std::uint8_t(opcjeH);
    shown.Zworki = std::uint8_t(zworki);
    ControllerMirror scanned = shown;
    ControlStates states;
    states.CheckBoxOn = (boxes & 1) != 0;
    states.CheckBoxBG = (boxes & 2) != 0;
    states.CheckBoxTp = (boxes & 4) != 0;
    states.PanelMapyVisible = (boxes & 8) != 0;
    states.MapChartExists = (boxes & 16) != 0;
    states.UpDownGMP = 170;
    ControlStates valuesOnly = states;
    valuesOnly.TextsShown = false;
    QRandomGenerator random(quint32(body * 256 + boxes));
    for (int frame = 0; frame < 40; ++frame) {
        for (int i = 0; i < 21; ++i) {
            shown.RxBuffer[std::size_t(i)] = std::uint8_t(random.bounded(256));
        }
        shown.RxBuffer[1] &= frame % 8 == 0 ? 0xFF : 0x00; // the mode byte changes now and then
        shown.RxBuffer[0] |= frame % 3 == 0 ? 0x04 : 0x00; // pulses present, often unconfirmed
        scanned.RxBuffer = shown.RxBuffer;
        const LiveView a = LiveDecoder::Decode(shown, body, lang, states);
        const LiveView b = LiveDecoder::Decode(scanned, body, lang, valuesOnly);
        QCOMPARE(b.refresh.has_value(), a.refresh.has_value());
        if (a.refresh) {
            QCOMPARE(b.refresh->mapPanelVisible, a.refresh->mapPanelVisible);
            QCOMPARE(b.refresh->CheckBoxKPVisible, a.refresh->CheckBoxKPVisible);
            QCOMPARE(b.refresh->riseFallVisible, a.refresh->riseFallVisible);
        }
        const std::uint32_t coloursA[] = {a.PanelSta, a.PanelImp, a.PanelPwr, a.PanelGAZ,
                                          a.PanelRPM, a.PanelTPS, a.PanelKAT};
        const std::uint32_t coloursB[] = {b.PanelSta, b.PanelImp, b.PanelPwr, b.PanelGAZ,
                                          b.PanelRPM, b.PanelTPS, b.PanelKAT};
        QVERIFY(std::equal(std::begin(coloursA), std::end(coloursA), std::begin(coloursB)));
        QCOMPARE(b.rpm, a.rpm);
        QCOMPARE(b.advance, a.advance);
        QCOMPARE(b.gas, a.gas);
        QCOMPARE(b.tps, a.tps);
        QCOMPARE(b.angle, a.angle);
        QCOMPARE(b.cursorMoved, a.cursorMoved);
        QCOMPARE(b.oldLiveCell, a.oldLiveCell);
        QCOMPARE(b.measure.column, a.measure.column);
        QCOMPARE(b.measure.row, a.measure.row);
        QCOMPARE(b.measure.gas, a.measure.gas);
        QCOMPARE(b.measure.chartSample, a.measure.chartSample);
        QCOMPARE(b.measure.chartValue, a.measure.chartValue);
        QVERIFY(!a.LabelSta.isEmpty() && !a.LabelZap.isEmpty() && !a.measure.text.isEmpty());
        QVERIFY(b.LabelSta.isEmpty() && b.LabelImp.isEmpty() && b.LabelZap.isEmpty() &&
                b.LabelKat.isEmpty() && b.EditKat.isEmpty() && !b.EditTPS &&
                b.measure.text.isEmpty());

        QVERIFY(std::equal(shown.RxBuffer.begin(), shown.RxBuffer.begin() + 21,
                           scanned.RxBuffer.begin()));
        QCOMPARE(scanned.ImpulseErrorCount, shown.ImpulseErrorCount);
        QCOMPARE(scanned.RevsPerSecond, shown.RevsPerSecond);
        QCOMPARE(scanned.LiveStatus, shown.LiveStatus);
        QCOMPARE(scanned.LiveMode, shown.LiveMode);
        QCOMPARE(scanned.LiveCell, shown.LiveCell);
        QCOMPARE(scanned.PcConfig, shown.PcConfig);
        QCOMPARE(scanned.PendingWrites, shown.PendingWrites);
        QCOMPARE(scanned.SettingIndex, shown.SettingIndex);
        QCOMPARE(scanned.LinkCounter, shown.LinkCounter);
    }
}

QTEST_GUILESS_MAIN(LiveTest)
#include "tst_live.moc"
