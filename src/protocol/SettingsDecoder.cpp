#include "SettingsDecoder.h"

#include "ControlStates.h"
#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "GeneralNumber.h"
#include "GeneralText.h"
#include "LangSource.h"
#include "NumberText.h"

#include <QStringBuilder>

#include <algorithm>

namespace {

QString num(int value) {
    return QString::number(value);
}

SettingsView::Pair pair(int value, double scale) {
    return SettingsView::Pair{scale == 1.0 ? num(value) : GeneralText(value * scale), value};
}

} // namespace

SettingsView SettingsDecoder::Decode(ControllerMirror& m, const QString& rxLogLine,
                                     const LangSource& lang, const ControlStates& states) {
    m.LinkCounter = 0;
    SettingsView v;
    // An edit the user made while this answer was on its way is still to be sent: the answer
    // neither drops it nor puts the old value back into its controls.
    if (m.SettingIndex > 0 && m.SettingEdits != m.SettingEditsSent) {
        v.keptEdit = m.SettingIndex;
    } else {
        m.SettingIndex = -1;
    }
    std::fill(m.SettingsImage.begin(), m.SettingsImage.end(), std::uint8_t{0xFF});
    std::copy_n(m.RxBuffer.begin(), 16, m.SettingsImage.begin());

    const std::uint8_t* b = m.RxBuffer.data();
    const int count = b[0];
    v.notTaken = m.Held.settingsShown(b, std::min(count, HeldWrites::SettingCount - 1));
    v.keptSettings = m.Held.keptSettings();
    // Setting k exists when the controller reports it: count - 1 >= k.
    auto has = [count](int k) { return count - 1 >= k; };
    auto setting = [b](int k) { return b[k + 1]; };

    const std::uint8_t bits = setting(1);
    v.CheckBoxPk = (bits & 0x01) != 0;
    v.CheckBoxOn = (bits & 0x02) != 0;
    v.CheckBoxRo = (bits & 0x04) != 0;
    v.CheckBoxBG = (bits & 0x08) != 0;
    v.CheckBoxZbo = (bits & 0x10) != 0;
    v.CheckBoxKP = (bits & 0x20) != 0;
    v.CheckBoxTp = (setting(2) & 0x01) != 0;

    v.UpDownKat = static_cast<std::int8_t>(setting(3));
    const int tps = setting(4);
    v.EditTPS = GeneralText((v.CheckBoxTp ? 255 - tps : tps) * 0.02);
    v.UpDownTPS = tps;
    v.EditGMP = num(setting(6));
    v.UpDownGMP = setting(6);

    v.RGKomKor = setting(7);
    v.RGKomRoz = setting(8);
    v.RGWyjKor = setting(9);
    v.RGWyjRoz = setting(10);
    v.RGWejRoz = setting(12);

    const int source = setting(13);
    if ((source & 7) == 1 || (source & 7) == 2) {
        v.RGMapa = 2;
        v.RGMapSor = source - 1;
        v.RGMapSorVisible = true;
        v.gridLayout = SettingsView::GridLayout::SeventeenRows;
        v.gridTitle0 = QStringLiteral("0");
        v.gridTitle1 = QStringLiteral("6%");
    } else if ((source & 7) == 3) {
        v.RGMapa = 1;
        v.RGMapSor = 0;
        v.gridLayout = SettingsView::GridLayout::TwoRows;
        v.gridTitle0 = lang.LangText(212);
        v.gridTitle1 = lang.LangText(213);
    }
    v.GridMapaVisible = source != 0;

    // Older controllers stop before the rise/fall times or the map signal limits; their bytes
    // here are the checksum and stale input, so those controls keep what they show.
    if (has(17)) {
        v.MIN = pair(setting(17), 0.02);
    }
    if (has(18)) {
        v.MAP = pair(setting(18), 0.02);
    }
    if ((m.OpcjeH & 0x80) != 0) {
        if (has(15)) {
            v.Nar = pair(setting(15), 1.0);
        }
        if (has(16)) {
            v.Opa = pair(setting(16), 1.0);
        }
    }

    if (states.TextsShown && states.InfoWindowExists && states.InfoReportTag == 0) {
        v.reportSectionWritten = true;
        v.reportLines = ReportSection(m, rxLogLine);
    }
    return v;
}

QStringList SettingsDecoder::ReportSection(const ControllerMirror& m, const QString& rxLogLine) {
    const std::uint8_t* b = m.RxBuffer.data();
    const int count = b[0];
    QStringList lines;
    lines.reserve(26);
    if (m.LogFrames) {
        lines << QString() << rxLogLine;
    }
    lines << QString();
    lines << QStringLiteral("NastawyBitowe :\t0x") % NumberText::hex2(b[2]) %
                 QStringLiteral("\t[...,...,KonWł,Zbocze ; Ben/Gaz,RozWł,WarWł,PuWł]")
          << QStringLiteral("TypTPS :\t\t") % NumberText(b[3]) % QStringLiteral("\t{NOR/ODW}")
          << QStringLiteral("ZadanyKąt :\t") % NumberText(b[4]) % QLatin1Char('\t') %
                 GeneralNumber(b[4] * 0.2) % QStringLiteral(" [']")
          << QStringLiteral("PrógTPS :\t") % NumberText(b[5]) % QLatin1Char('\t') %
                 GeneralNumber(b[5] * 0.02) % QStringLiteral(" [V]")
          << QStringLiteral("PrógRPM :\t") % NumberText(b[6]) % QLatin1Char('\t') %
                 NumberText(b[6] * 25) % QStringLiteral(" [obr/min]")
          << QStringLiteral("KatImpGmp :\t") % NumberText(b[7]) % QLatin1Char('\t') %
                 NumberText(b[7]) % QStringLiteral(" [']")
          << QStringLiteral("KompKor :\t") % NumberText(b[8]) %
                 QStringLiteral("\t{0.6V/2.5V/4.4V/3.4V}")
          << QStringLiteral("KompKor :\t") % NumberText(b[9]) %
                 QStringLiteral("\t{0.6V/2.5V/4.4V/3.4V}")
          << QStringLiteral("NapWyjKor :\t") % NumberText(b[10]) % QStringLiteral("\t{0V/5V}")
          << QStringLiteral("NapWyjRoz :\t") % NumberText(b[11]) % QStringLiteral("\t{5V/12V}")
          << QStringLiteral("NapWejKor :\t") % NumberText(b[12]) % QStringLiteral("\t{0V/5V}")
          << QStringLiteral("NapWejRoz :\t") % NumberText(b[13]) % QStringLiteral("\t{0V/5V}")
          << QStringLiteral("MapaZrodło :\t") % NumberText(b[14]) %
                 QStringLiteral("\t{wyl/MAP/TPS}")
          << QStringLiteral("MapaMnożnik :\t") % NumberText(b[15]) %
                 QStringLiteral("\tnachylenie=") % GeneralNumber(b[15] / 64.0);
    if (count >= 16) {
        lines << QStringLiteral("Narastanie :\t") % NumberText(b[16]) % QStringLiteral("\t{1-255}");
    }
    // The fall time exists from 17 settings on; below that its byte is not a setting.
    if (count >= 17) {
        lines << QStringLiteral("Opadanie :\t") % NumberText(b[17]) % QStringLiteral("\t{1-255}");
    }
    if (count >= 18) {
        lines << QStringLiteral("MapaMinSygnał :\t") % NumberText(b[18]) % QLatin1Char('\t') %
                     GeneralNumber(b[18] * 0.02) % QStringLiteral(" [V]");
    }
    if (count >= 19) {
        lines << QStringLiteral("MapaMaxSygnał :\t") % NumberText(b[19]) % QLatin1Char('\t') %
                     GeneralNumber(b[19] * 0.02) % QStringLiteral(" [V]");
    }
    lines << QString() << QStringLiteral("SumaNastaw :\t") % NumberText(b[1])
          << QStringLiteral("IlośćNastaw :\t") % NumberText(count - 1);
    return lines;
}
