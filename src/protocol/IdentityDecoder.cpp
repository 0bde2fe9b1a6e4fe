#include "IdentityDecoder.h"

#include "ControlStates.h"
#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "GeneralNumber.h"
#include "LangSource.h"
#include "NumberText.h"

#include <QStringBuilder>

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

// The report's first lines, with room for the `more` lines that follow them.
QStringList reportHead(const ControllerMirror& m, const QString& rxLogLine, const LangSource& lang,
                       int more) {
    QStringList lines;
    lines.reserve(4 + more);
    lines << lang.LangText(101);
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
    r.caption = QLatin1String(ProgramName) % QLatin1String(ProgramVersion);
    r.title = QLatin1String(ProgramName);

    if (states.InfoWindowExists) {
        r.reportWritten = true;
        r.reportLines = reportHead(m, rxLogLine, lang, 6);
        r.reportLines << QStringLiteral("Płytka :\t\t") % NumberText(b[0])
                      << QStringLiteral("Model :\t\t") % NumberText(b[1])
                      << QStringLiteral("Montaż :\t\t0x") % NumberText::hex2(b[2]) %
                             QLatin1String("\t[Tr,...,...,... ; ...,...,...,...]")
                      << QStringLiteral("Zworki :\t\t0x") % NumberText::hex2(b[3])
                      << QStringLiteral("BootLoader :\t") % GeneralNumber(b[4] * 0.01)
                      << QStringLiteral("Znacznik :\t0x") % NumberText::hex2(b[8]);
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

    const QString version = NumberText(b[1]) % QLatin1Char('.') % NumberText(b[0]) %
                            QLatin1Char('.') % NumberText(b[14]) % QLatin1Char('.') %
                            NumberText(b[15]);
    // The name ends at the first 0 or 0xFF byte; its bytes are Latin-1 characters.
    int nameEnd = 35;
    while (nameEnd <= 98 && b[nameEnd] != 0 && b[nameEnd] != 0xFF) {
        ++nameEnd;
    }
    QString name;
    if (nameEnd > 35) {
        r.vehicleName = QLatin1String(reinterpret_cast<const char*>(b + 35), nameEnd - 35);
        name = QLatin1String("  [") %
               QLatin1String(reinterpret_cast<const char*>(b + 35), nameEnd - 35) %
               QLatin1String("] ");
    }

    r.caption = QLatin1String(ProgramName) % QLatin1String("  -  KOLVA-VX-0") % NumberText(b[8]) %
                QLatin1String(" V") % version % name;
    r.title = QLatin1String(ProgramName) % name;
    if (b[16] > PcLevel) {
        r.message = lang.LangText(741);
    }

    if (states.InfoWindowExists) {
        r.reportWritten = true;
        // The serial number: 16 bytes in hex, built in place.
        QString serial(32, Qt::Uninitialized);
        for (int i = 0; i < 16; ++i) {
            serial[2 * i] = QLatin1Char(HexDigits[b[19 + i] >> 4]);
            serial[2 * i + 1] = QLatin1Char(HexDigits[b[19 + i] & 0x0F]);
        }
        r.reportLines = reportHead(m, rxLogLine, lang, 16);
        r.reportLines << QStringLiteral("Wersja :\t\t") % version
                      << QStringLiteral("Marka/Model :\t") % name
                      << QStringLiteral("Data :\t\t") % NumberText(2000 + b[2]) % QLatin1Char('-') %
                             NumberText(b[3]) % QLatin1Char('-') % NumberText(b[4])
                      << QStringLiteral("Czas :\t\t") % NumberText(b[5]) % QLatin1Char('.') %
                             NumberText(b[6]) % QLatin1Char('.') % NumberText(b[7])
                      << QStringLiteral("Model:\t\t") % NumberText(b[8])
                      << QStringLiteral("Plytka:\t\t") % NumberText(b[9])
                      << QStringLiteral("Montaż:\t\t0x") % NumberText::hex2(b[10])
                      << QStringLiteral("Zworki:\t\t0x") % NumberText::hex2(b[11])
                      << QStringLiteral("DzielnikT2\t") % NumberText(b[12])
                      << QStringLiteral("RozmiarZęba\t") % NumberText(b[13])
                      << QStringLiteral("Kompilacja\t") % NumberText(b[14])
                      << QStringLiteral("Przebieg\t\t") % NumberText(b[15])
                      << QStringLiteral("MinWerPc\t0x") % NumberText::hex2(b[16])
                      << QStringLiteral("OpcjeL\t\t0x") % NumberText::hex2(b[17]) %
                             QStringLiteral("\t[...,...,...,... ; strB/G,strRoz,strOn,strPk]")
                      << QStringLiteral("OpcjeH\t\t0x") % NumberText::hex2(b[18]) %
                             QStringLiteral("\t[czasZmian,napWyjKor,napWyjKor,genZera ; "
                                            "konZera,mapaZapl,pomWtr,konfPC]")
                      << QStringLiteral("Numer :\t\t") % serial;
    }
    return r;
}
