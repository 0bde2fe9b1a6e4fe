#include "IdentityDecoder.h"

#include "ControlStates.h"
#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "GeneralText.h"
#include "LangSource.h"

namespace {

QString num(int value) {
    return QString::number(value);
}

QStringList reportHead(const ControllerMirror& m, const QString& rxLogLine,
                       const LangSource& lang) {
    QStringList lines{lang.LangText(101)};
    if (m.LogFrames) {
        lines << QString() << rxLogLine;
    }
    lines << QString();
    return lines;
}

} // namespace

IdentityResult IdentityDecoder::Decode(ControllerMirror& m, int bodyLength,
                                       const QString& rxLogLine, const LangSource& lang,
                                       const ControlStates& states) {
    m.LinkCounter = 0;
    m.IdentityState = -1;
    // LiveMode 0 alone would skip the refresh for a controller whose mode byte is 0 (configured
    // from the PC): its map panel would never appear and its map never be read.
    m.LayoutRefreshDue = true;
    // Whoever answers now has its map read afresh before a cell can be edited.
    m.MapTableRead = false;
    if (bodyLength == 10) {
        return decodeLoader(m, rxLogLine, lang, states);
    }
    return decodeApplication(m, rxLogLine, lang, states);
}

IdentityResult IdentityDecoder::decodeLoader(ControllerMirror& m, const QString& rxLogLine,
                                             const LangSource& lang, const ControlStates& states) {
    const std::uint8_t* b = m.RxBuffer.data();
    IdentityResult r;
    r.loader = true;
    m.SettingIndex = -1; // a boot loader has no settings to read
    m.Zworki = b[3];
    m.DeviceId =
        std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
    m.DeviceVersion = 0;
    m.LiveMode = 0;
    r.komKorVisible = false;
    r.caption = QLatin1String(ProgramName) + QLatin1String(ProgramVersion);
    r.title = QLatin1String(ProgramName);

    if (states.InfoWindowExists) {
        r.reportWritten = true;
        r.reportLines = reportHead(m, rxLogLine, lang);
        r.reportLines << QStringLiteral("Płytka :\t\t") + num(b[0])
                      << QStringLiteral("Model :\t\t") + num(b[1])
                      << QStringLiteral("Montaż :\t\t0x") + ControllerFrame::hex2(b[2]) +
                             QStringLiteral("\t[Tr,...,...,... ; ...,...,...,...]")
                      << QStringLiteral("Zworki :\t\t0x") + ControllerFrame::hex2(b[3])
                      << QStringLiteral("BootLoader :\t") + GeneralText(b[4] * 0.01)
                      << QStringLiteral("Znacznik :\t0x") + ControllerFrame::hex2(b[8]);
    }
    r.showTab = 2;
    QString message = lang.LangText(920);
    if (b[8] <= 3) {
        message += lang.LangText(921 + b[8]);
    }
    r.message = message;
    return r;
}

IdentityResult IdentityDecoder::decodeApplication(ControllerMirror& m, const QString& rxLogLine,
                                                  const LangSource& lang,
                                                  const ControlStates& states) {
    const std::uint8_t* b = m.RxBuffer.data();
    IdentityResult r;
    m.Zworki = b[11];
    m.DeviceId =
        std::uint32_t(b[9]) << 24 | std::uint32_t(b[8]) << 16 | std::uint32_t(b[10]) << 8 | b[11];
    m.DeviceVersion =
        std::uint32_t(b[1]) << 24 | std::uint32_t(b[0]) << 16 | std::uint32_t(b[14]) << 8 | b[15];
    r.komKorVisible = (m.Zworki & 0x80) == 0;
    m.OpcjeL = b[17];
    m.OpcjeH = b[18];
    m.LiveMode = 0;

    const QString version = num(b[1]) + QLatin1Char('.') + num(b[0]) + QLatin1Char('.') +
                            num(b[14]) + QLatin1Char('.') + num(b[15]);
    QString serial;
    for (int i = 19; i <= 34; ++i) {
        serial += ControllerFrame::hex2(b[i]);
    }
    QString name;
    for (int i = 35; i <= 98 && b[i] != 0 && b[i] != 0xFF; ++i) {
        name += QChar::fromLatin1(static_cast<char>(b[i]));
    }
    if (!name.isEmpty()) {
        name = QStringLiteral("  [") + name + QStringLiteral("] ");
    }

    r.caption = QLatin1String(ProgramName) + QStringLiteral("  -  KOLVA-VX-0") + num(b[8]) +
                QStringLiteral(" V") + version + name;
    r.title = QLatin1String(ProgramName) + name;
    if (b[16] > PcLevel) {
        r.message = lang.LangText(741);
    }

    if (states.InfoWindowExists) {
        r.reportWritten = true;
        r.reportLines = reportHead(m, rxLogLine, lang);
        r.reportLines << QStringLiteral("Wersja :\t\t") + version
                      << QStringLiteral("Marka/Model :\t") + name
                      << QStringLiteral("Data :\t\t") + num(2000 + b[2]) + QLatin1Char('-') +
                             num(b[3]) + QLatin1Char('-') + num(b[4])
                      << QStringLiteral("Czas :\t\t") + num(b[5]) + QLatin1Char('.') + num(b[6]) +
                             QLatin1Char('.') + num(b[7])
                      << QStringLiteral("Model:\t\t") + num(b[8])
                      << QStringLiteral("Plytka:\t\t") + num(b[9])
                      << QStringLiteral("Montaż:\t\t0x") + ControllerFrame::hex2(b[10])
                      << QStringLiteral("Zworki:\t\t0x") + ControllerFrame::hex2(b[11])
                      << QStringLiteral("DzielnikT2\t") + num(b[12])
                      << QStringLiteral("RozmiarZęba\t") + num(b[13])
                      << QStringLiteral("Kompilacja\t") + num(b[14])
                      << QStringLiteral("Przebieg\t\t") + num(b[15])
                      << QStringLiteral("MinWerPc\t0x") + ControllerFrame::hex2(b[16])
                      << QStringLiteral("OpcjeL\t\t0x") + ControllerFrame::hex2(b[17]) +
                             QStringLiteral("\t[...,...,...,... ; strB/G,strRoz,strOn,strPk]")
                      << QStringLiteral("OpcjeH\t\t0x") + ControllerFrame::hex2(b[18]) +
                             QStringLiteral("\t[czasZmian,napWyjKor,napWyjKor,genZera ; "
                                            "konZera,mapaZapl,pomWtr,konfPC]")
                      << QStringLiteral("Numer :\t\t") + serial;
    }
    return r;
}
