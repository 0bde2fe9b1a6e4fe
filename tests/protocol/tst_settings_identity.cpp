#include "ControlStates.h"
#include "ControllerMirror.h"
#include "FakeLang.h"
#include "FakeLink.h"
#include "ReadResponse.h"

#include <QtTest>

namespace {

struct Rig {
    ControllerMirror m;
    FakeLink link;
    FakeLang lang;
    ControlStates states;
    ResponseResult run(const QByteArray& frame) {
        link.deliver(frame);
        return ReadResponse(m, link, lang, states);
    }
};

// Settings data: count N, then N settings.
QByteArray settingsData(int count, std::initializer_list<std::pair<int, int>> values = {}) {
    QByteArray d(count + 1, '\0');
    d[0] = char(count);
    for (int k = 0; k < count; ++k) {
        d[k + 1] = char(0x10 + k);
    }
    for (auto [k, v] : values) {
        d[k + 1] = char(v);
    }
    return d;
}

QByteArray settingsFrame(const QByteArray& data) {
    return responseFrame(data.size(), 0x56, data);
}

// Application identity: 99 data bytes.
QByteArray identityData() {
    QByteArray d(99, '\0');
    const char head[] = {1,          3,    9, 4, 22, 13, 45, 7,    1,         8,
                         char(0xE0), 0x60, 2, 4, 0,  7,  2,  0x0F, char(0x8D)};
    for (int i = 0; i < int(sizeof head); ++i) {
        d[i] = head[i];
    }
    for (int i = 19; i <= 34; ++i) {
        d[i] = char(0xA0 + i - 19);
    }
    const QByteArray name("Fiat Punto 1.2");
    d.replace(35, name.size(), name);
    return d;
}

} // namespace

class SettingsIdentityTest : public QObject {
    Q_OBJECT
private slots:
    void settingsFrameSetsTheControls();
    void settingsAreInStepBeforeTheControlsChange();
    void settingsImageKeepsTheFirstSixteenBytes_data();
    void settingsImageKeepsTheFirstSixteenBytes();
    void controlsOfSettingsTheControllerLacksKeepTheirValue_data();
    void controlsOfSettingsTheControllerLacksKeepTheirValue();
    void mapSourceChoosesTheGridLayout_data();
    void mapSourceChoosesTheGridLayout();
    void settingsReportIsWrittenOncePerIdentity();
    void settingsReportListsOnlyReportedSettings();
    void settingsReportEndsWithTheLastReportedSetting_data();
    void settingsReportEndsWithTheLastReportedSetting();
    void applicationIdentityFillsTheMirrorAndCaption();
    void identityNameEndsAtZeroOrFF_data();
    void identityNameEndsAtZeroOrFF();
    void identityReportLinesAreExact();
    void newerProgramIsAskedForAboveLevelTwo();
    void loaderIdentitySwitchesToTheUpdatePage_data();
    void loaderIdentitySwitchesToTheUpdatePage();
};

void SettingsIdentityTest::settingsFrameSetsTheControls() {
    Rig rig;
    rig.m.OpcjeH = 0x80;
    const QByteArray data = settingsData(19, {{1, 0x2B},
                                              {2, 1},
                                              {3, 0xF6},
                                              {4, 5},
                                              {6, 60},
                                              {7, 2},
                                              {8, 3},
                                              {9, 1},
                                              {10, 0},
                                              {12, 1},
                                              {13, 2},
                                              {15, 12},
                                              {16, 34},
                                              {17, 50},
                                              {18, 200}});
    const ResponseResult r = rig.run(settingsFrame(data));
    QVERIFY(r.settings.has_value());
    const SettingsView& v = *r.settings;
    QVERIFY(v.CheckBoxPk && v.CheckBoxOn && !v.CheckBoxRo && v.CheckBoxBG && !v.CheckBoxZbo &&
            v.CheckBoxKP && v.CheckBoxTp);
    QCOMPARE(v.UpDownKat, -10);
    QCOMPARE(v.EditTPS, QStringLiteral("5")); // inverted: (255 - 5) * 0.02
    QCOMPARE(v.UpDownTPS, 5);
    QCOMPARE(v.EditGMP, QStringLiteral("60"));
    QCOMPARE(v.UpDownGMP, 60);
    QCOMPARE(v.RGKomKor, 2);
    QCOMPARE(v.RGKomRoz, 3);
    QCOMPARE(v.RGWyjKor, 1);
    QCOMPARE(v.RGWyjRoz, 0);
    QCOMPARE(v.RGWejRoz, 1);
    QCOMPARE(v.MIN->text, QStringLiteral("1"));
    QCOMPARE(v.MIN->position, 50);
    QCOMPARE(v.MAP->text, QStringLiteral("4"));
    QCOMPARE(v.Nar->text, QStringLiteral("12"));
    QCOMPARE(v.Opa->position, 34);
}

void SettingsIdentityTest::settingsAreInStepBeforeTheControlsChange() {
    Rig rig;
    rig.m.SettingIndex = 4;
    rig.m.SettingValue = 100;
    rig.m.LinkCounter = 3;
    rig.run(settingsFrame(settingsData(19, {{4, 99}})));
    // The controller did not take 100; the write is still over.
    QCOMPARE(rig.m.SettingIndex, -1);
    QCOMPARE(rig.m.LinkCounter, 0);
}

void SettingsIdentityTest::settingsImageKeepsTheFirstSixteenBytes_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("15 settings") << 15;
    QTest::newRow("16 settings") << 16;
    QTest::newRow("19 settings") << 19;
}

void SettingsIdentityTest::settingsImageKeepsTheFirstSixteenBytes() {
    QFETCH(int, count);
    Rig rig;
    rig.m.SettingsImage.fill(0x00);
    const QByteArray data = settingsData(count);
    const QByteArray frame = settingsFrame(data);
    rig.run(frame);
    // Bytes 0..15 of the body, whatever they are (for 15 settings byte 15 is S14 still).
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(rig.m.SettingsImage[std::size_t(i)], std::uint8_t(frame[3 + i]));
    }
    for (int i = 16; i < 32; ++i) {
        QCOMPARE(rig.m.SettingsImage[std::size_t(i)], std::uint8_t(0xFF));
    }
}

void SettingsIdentityTest::controlsOfSettingsTheControllerLacksKeepTheirValue_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("nar");
    QTest::addColumn<bool>("opa");
    QTest::addColumn<bool>("min");
    QTest::addColumn<bool>("max");
    QTest::newRow("15 settings") << 15 << false << false << false << false;
    QTest::newRow("16 settings") << 16 << true << false << false << false;
    QTest::newRow("17 settings") << 17 << true << true << false << false;
    QTest::newRow("18 settings") << 18 << true << true << true << false;
    QTest::newRow("19 settings") << 19 << true << true << true << true;
}

void SettingsIdentityTest::controlsOfSettingsTheControllerLacksKeepTheirValue() {
    QFETCH(int, count);
    QFETCH(bool, nar);
    QFETCH(bool, opa);
    QFETCH(bool, min);
    QFETCH(bool, max);
    Rig rig;
    rig.m.OpcjeH = 0x80;
    rig.m.RxBuffer.fill(0x77); // stale bytes from earlier frames
    const ResponseResult r = rig.run(settingsFrame(settingsData(count)));
    QCOMPARE(r.settings->Nar.has_value(), nar);
    QCOMPARE(r.settings->Opa.has_value(), opa);
    QCOMPARE(r.settings->MIN.has_value(), min);
    QCOMPARE(r.settings->MAP.has_value(), max);
    rig.m.OpcjeH = 0x00; // no rise/fall times in this controller
    const ResponseResult s = rig.run(settingsFrame(settingsData(count)));
    QVERIFY(!s.settings->Nar.has_value() && !s.settings->Opa.has_value());
}

void SettingsIdentityTest::mapSourceChoosesTheGridLayout_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("mapa");
    QTest::addColumn<int>("sor");
    QTest::addColumn<bool>("sorVisible");
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("title1");
    QTest::addColumn<bool>("gridVisible");
    using L = SettingsView::GridLayout;
    QTest::newRow("off") << 0 << 0 << 0 << false << int(L::Keep) << "" << false;
    QTest::newRow("MAP sensor") << 1 << 2 << 0 << true << int(L::SeventeenRows) << "6%" << true;
    QTest::newRow("throttle") << 2 << 2 << 1 << true << int(L::SeventeenRows) << "6%" << true;
    QTest::newRow("speed and angle") << 3 << 1 << 0 << false << int(L::TwoRows) << "Kąt" << true;
    QTest::newRow("unknown source") << 4 << 0 << 0 << false << int(L::Keep) << "" << true;
}

void SettingsIdentityTest::mapSourceChoosesTheGridLayout() {
    QFETCH(int, source);
    QFETCH(int, mapa);
    QFETCH(int, sor);
    QFETCH(bool, sorVisible);
    QFETCH(int, layout);
    QFETCH(QString, title1);
    QFETCH(bool, gridVisible);
    Rig rig;
    const SettingsView v = *rig.run(settingsFrame(settingsData(19, {{13, source}}))).settings;
    QCOMPARE(v.RGMapa, mapa);
    QCOMPARE(v.RGMapSor, sor);
    QCOMPARE(v.RGMapSorVisible, sorVisible);
    QCOMPARE(int(v.gridLayout), layout);
    QCOMPARE(v.gridTitle1, title1);
    QCOMPARE(v.GridMapaVisible, gridVisible);
}

void SettingsIdentityTest::settingsReportIsWrittenOncePerIdentity() {
    Rig rig;
    rig.m.LogFrames = true;
    const QByteArray frame = settingsFrame(settingsData(19));
    SettingsView v = *rig.run(frame).settings;
    QVERIFY(v.reportSectionWritten);
    QCOMPARE(v.reportLines.value(0), QString());
    QVERIFY(v.reportLines.value(1).startsWith(QStringLiteral("Rx: 55 14 56 - 13 10 11")));
    rig.states.InfoReportTag = 1;
    v = *rig.run(frame).settings;
    QVERIFY(!v.reportSectionWritten);
    QVERIFY(v.reportLines.isEmpty());
}

void SettingsIdentityTest::settingsReportListsOnlyReportedSettings() {
    Rig rig;
    const QByteArray data = settingsData(16, {{0, 0x5A}, {3, 200}, {4, 249}, {5, 40}, {14, 96}});
    const QStringList lines = rig.run(settingsFrame(data)).settings->reportLines;
    const QStringList expected = {
        "",
        "NastawyBitowe :\t0x11\t[...,...,KonWł,Zbocze ; Ben/Gaz,RozWł,WarWł,PuWł]",
        "TypTPS :\t\t18\t{NOR/ODW}",
        "ZadanyKąt :\t200\t40 [']",
        "PrógTPS :\t249\t4.98 [V]",
        "PrógRPM :\t40\t1000 [obr/min]",
        "KatImpGmp :\t22\t22 [']",
        "KompKor :\t23\t{0.6V/2.5V/4.4V/3.4V}",
        "KompKor :\t24\t{0.6V/2.5V/4.4V/3.4V}",
        "NapWyjKor :\t25\t{0V/5V}",
        "NapWyjRoz :\t26\t{5V/12V}",
        "NapWejKor :\t27\t{0V/5V}",
        "NapWejRoz :\t28\t{0V/5V}",
        "MapaZrodło :\t29\t{wyl/MAP/TPS}",
        "MapaMnożnik :\t96\tnachylenie=1.5",
        "Narastanie :\t31\t{1-255}",
        "",
        "SumaNastaw :\t90",
        "IlośćNastaw :\t15",
    };
    QCOMPARE(lines, expected);
}

void SettingsIdentityTest::settingsReportEndsWithTheLastReportedSetting_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("last");
    QTest::newRow("16: rise time") << 16 << "Narastanie :\t31\t{1-255}";
    QTest::newRow("17: fall time") << 17 << "Opadanie :\t32\t{1-255}";
    QTest::newRow("18: map signal minimum") << 18 << "MapaMinSygnał :\t33\t0.66 [V]";
    QTest::newRow("19: map signal maximum") << 19 << "MapaMaxSygnał :\t34\t0.68 [V]";
}

void SettingsIdentityTest::settingsReportEndsWithTheLastReportedSetting() {
    QFETCH(int, count);
    QFETCH(QString, last);
    Rig rig;
    rig.m.RxBuffer.fill(0x77); // bytes past the settings must not be reported
    const QStringList lines = rig.run(settingsFrame(settingsData(count))).settings->reportLines;
    // The fourteen settings every controller has, then one line per further setting.
    QCOMPARE(lines.size(), 1 + 14 + (count - 15) + 3);
    QCOMPARE(lines.value(lines.size() - 4), last);
    QCOMPARE(lines.last(), QStringLiteral("IlośćNastaw :\t%1").arg(count - 1));
}

void SettingsIdentityTest::applicationIdentityFillsTheMirrorAndCaption() {
    Rig rig;
    rig.m.LiveMode = 9;
    rig.m.SettingIndex = 0;
    rig.m.LinkCounter = 4;
    const ResponseResult r = rig.run(responseFrame(99, 0x52, identityData()));
    QVERIFY(r.identity.has_value());
    const IdentityResult& id = *r.identity;
    QCOMPARE(rig.m.IdentityState, -1);
    QCOMPARE(rig.m.SettingIndex, 0);
    QCOMPARE(rig.m.LinkCounter, 0);
    QCOMPARE(rig.m.LiveMode, std::uint8_t(0));
    QCOMPARE(rig.m.DeviceId, 0x0801E060u);
    QCOMPARE(rig.m.DeviceVersion, 0x03010007u); // 3.1.0.7 from bytes 1, 0, 14, 15
    QCOMPARE(rig.m.Zworki, std::uint8_t(0x60));
    QCOMPARE(rig.m.OpcjeL, std::uint8_t(0x0F));
    QCOMPARE(rig.m.OpcjeH, std::uint8_t(0x8D));
    QVERIFY(id.komKorVisible);
    QVERIFY(!id.loader);
    QCOMPARE(id.caption, QStringLiteral("Orvex  -  KOLVA-VX-01 V3.1.0.7  [Fiat Punto 1.2] "));
    QCOMPARE(id.title, QStringLiteral("Orvex  [Fiat Punto 1.2] "));
    QVERIFY(!id.message.has_value());
    QVERIFY(!id.showTab.has_value());
}

void SettingsIdentityTest::identityNameEndsAtZeroOrFF_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("title");
    QTest::newRow("starts with FF") << QByteArray(64, char(0xFF)) << "Orvex";
    QTest::newRow("ends at FF") << QByteArray("Opel\xFFXX") << "Orvex  [Opel] ";
    QTest::newRow("64 characters without terminator")
        << QByteArray(64, 'Z') << "Orvex  [" + QString(64, QLatin1Char('Z')) + "] ";
}

void SettingsIdentityTest::identityNameEndsAtZeroOrFF() {
    QFETCH(QByteArray, name);
    QFETCH(QString, title);
    Rig rig;
    QByteArray data = identityData();
    data.replace(35, 64, name.leftJustified(64, '\0'));
    data.append(char(0x00)); // a byte past the name area is not part of it
    const IdentityResult id = *rig.run(responseFrame(100, 0x52, data)).identity;
    QCOMPARE(id.title, title);
    QVERIFY(id.caption.endsWith(QStringLiteral(" V3.1.0.7") + title.mid(5)));
}

void SettingsIdentityTest::identityReportLinesAreExact() {
    Rig rig;
    rig.m.LogFrames = true;
    const IdentityResult id = *rig.run(responseFrame(99, 0x52, identityData())).identity;
    QVERIFY(id.reportWritten);
    const QStringList& l = id.reportLines;
    QCOMPARE(l.size(), 20);
    QCOMPARE(l[0], QStringLiteral("Informacje o sterowniku"));
    QCOMPARE(l[1], QString());
    QVERIFY(l[2].startsWith(QStringLiteral("Rx: 55 63 52 - 01 03 09")));
    QCOMPARE(l[3], QString());
    QCOMPARE(l[4], QStringLiteral("Wersja :\t\t3.1.0.7"));
    QCOMPARE(l[5], QStringLiteral("Marka/Model :\t  [Fiat Punto 1.2] "));
    QCOMPARE(l[6], QStringLiteral("Data :\t\t2009-4-22"));
    // A controller built from 2010 on: the year is 2000 + the byte, not "200" and the byte.
    QByteArray data = identityData();
    data[2] = 12;
    const IdentityResult later = *rig.run(responseFrame(99, 0x52, data)).identity;
    QCOMPARE(later.reportLines[6], QStringLiteral("Data :\t\t2012-4-22"));
    QCOMPARE(l[7], QStringLiteral("Czas :\t\t13.45.7"));
    QCOMPARE(l[8], QStringLiteral("Model:\t\t1"));
    QCOMPARE(l[9], QStringLiteral("Plytka:\t\t8"));
    QCOMPARE(l[10], QStringLiteral("Montaż:\t\t0xE0"));
    QCOMPARE(l[11], QStringLiteral("Zworki:\t\t0x60"));
    QCOMPARE(l[12], QStringLiteral("DzielnikT2\t2"));
    QCOMPARE(l[13], QStringLiteral("RozmiarZęba\t4"));
    QCOMPARE(l[14], QStringLiteral("Kompilacja\t0"));
    QCOMPARE(l[15], QStringLiteral("Przebieg\t\t7"));
    QCOMPARE(l[16], QStringLiteral("MinWerPc\t0x02"));
    QCOMPARE(l[17],
             QStringLiteral("OpcjeL\t\t0x0F\t[...,...,...,... ; strB/G,strRoz,strOn,strPk]"));
    QCOMPARE(l[18], QStringLiteral("OpcjeH\t\t0x8D\t[czasZmian,napWyjKor,napWyjKor,genZera ; "
                                   "konZera,mapaZapl,pomWtr,konfPC]"));
    QCOMPARE(l[19], QStringLiteral("Numer :\t\tA0A1A2A3A4A5A6A7A8A9AAABACADAEAF"));
}

void SettingsIdentityTest::newerProgramIsAskedForAboveLevelTwo() {
    Rig rig;
    QByteArray data = identityData();
    data[16] = 3;
    data[11] = char(0x80);
    const IdentityResult id = *rig.run(responseFrame(99, 0x52, data)).identity;
    QCOMPARE(id.message.value_or(QString()), QStringLiteral("nowsza wersja programu"));
    QVERIFY(!id.komKorVisible);
    QCOMPARE(rig.m.IdentityState, -1);
}

void SettingsIdentityTest::loaderIdentitySwitchesToTheUpdatePage_data() {
    QTest::addColumn<int>("marker");
    QTest::addColumn<QString>("message");
    QTest::newRow("not finished") << 0 << "  Błąd oprogramowania !  [0]";
    QTest::newRow("no checksums") << 3 << "  Błąd oprogramowania !  [3]";
    QTest::newRow("unknown marker") << 5 << "  Błąd oprogramowania !  ";
}

void SettingsIdentityTest::loaderIdentitySwitchesToTheUpdatePage() {
    QFETCH(int, marker);
    QFETCH(QString, message);
    Rig rig;
    rig.m.DeviceVersion = 0x01020304;
    rig.m.SettingIndex = 0;
    rig.m.LiveMode = 255;
    // Body of 10 bytes: LEN 9, even code.
    const QByteArray data = QByteArray::fromHex("0801E0E0690000000000");
    QByteArray d = data.left(9);
    d[8] = char(marker);
    const IdentityResult id = *rig.run(responseFrame(9, 0x52, d)).identity;
    QVERIFY(id.loader);
    QCOMPARE(rig.m.DeviceId, 0x0801E0E0u);
    QCOMPARE(rig.m.DeviceVersion, 0u);
    QCOMPARE(rig.m.SettingIndex, -1);
    QCOMPARE(rig.m.LiveMode, std::uint8_t(0));
    QCOMPARE(id.caption, QStringLiteral("Orvex V1.03"));
    QCOMPARE(id.title, QStringLiteral("Orvex"));
    QCOMPARE(id.showTab.value_or(-1), 2);
    QCOMPARE(id.message.value_or(QString()), message);
    QVERIFY(!id.komKorVisible);
    const QStringList expected = {"Informacje o sterowniku",
                                  "",
                                  "Płytka :\t\t8",
                                  "Model :\t\t1",
                                  "Montaż :\t\t0xE0\t[Tr,...,...,... ; ...,...,...,...]",
                                  "Zworki :\t\t0xE0",
                                  "BootLoader :\t1.05",
                                  QStringLiteral("Znacznik :\t0x0%1").arg(marker)};
    QCOMPARE(id.reportLines, expected);
}

QTEST_GUILESS_MAIN(SettingsIdentityTest)
#include "tst_settings_identity.moc"
