#include "SimCommandLine.h"

#include <QCommandLineParser>

namespace {
struct Spec {
    const char* name;
    const char* value; // nullptr: a flag
    const char* help;
};

// One table feeds both the parser and --help, so the two cannot drift apart.
constexpr Spec kOptions[] = {
    {"link", "PATH", "Also make PATH a symlink to the pseudo-terminal (removed at exit)."},
    {"model", "vx01|vx01c|vx02",
     "Controller model: KOLVA-VX-01 (0x0801E0E0, default), KOLVA-VX-01 (0x0801C0C0) or "
     "KOLVA-VX-02 (0x08026060)."},
    {"settings", "N", "Number of settings the firmware reports: 15 to 19 (default 19)."},
    {"live-body", "19|20|21", "Live answer body length in bytes (default 21)."},
    {"pc-config", nullptr, "Configuration from the PC (default)."},
    {"switch-config", nullptr, "Configuration from the controller's switches."},
    {"switches", "BITS", "The four configuration switch bits (0..15; bit 0 = switches mode)."},
    {"engine", "on|off", "Engine running (default) or stopped (no ignition pulses)."},
    {"reply-code", "even|odd",
     "Answer with the request code (even) or the request code + 1 (odd, default)."},
    {"min-pc", "N", "MinWerPc byte of the identity (default 2)."},
    {"opcje-l", "N", "OpcjeL option byte (default: the model's)."},
    {"opcje-h", "N", "OpcjeH option byte (default: the model's)."},
    {"name", "TEXT", "Vehicle make and model text of the identity (up to 64 characters)."},
    {"serial", "HEX", "Serial number of the identity, 32 hex digits."},
    {"service-text", "TEXT", "Service text sent for 54 5E 5E (up to 39 characters)."},
    {"loader", nullptr, "Start in the boot loader (firmware missing or damaged)."},
    {"loader-version", "N", "Boot loader version in hundredths (default 103 = 1.03)."},
    {"loader-marker", "N", "Znacznik byte reported by the boot loader (default 0)."},
    {"fail-update", nullptr, "Stay in the boot loader after a firmware transfer."},
    {"image-out", "FILE", "Write the received firmware image to FILE when a transfer ends."},
    {"fault", "NAME[:ARG][@CMD|@blockN][/N]",
     "Inject a fault (repeatable). NAME: silence[:after N requests], late:MS, checksum, "
     "garbage[:BYTES], truncate[:BYTES], start, hangup, split:MS (stand still after the "
     "answer's first 4 bytes). @CMD limits it to one request code (e.g. @0x50), /N to every "
     "N-th answer; @blockN aims it at the boot loader's first request for block N (e.g. "
     "late:2000@block100: the simulator stands still, reading nothing, before that answer)."},
    {"no-pacing", nullptr, "Do not pace the line at 9600 bit/s."},
    {"latency", "MS", "Reply latency in milliseconds (default 2)."},
    {"flash-ms", "MS", "Boot loader flash-write time per block in milliseconds (default 5)."},
    {"seed", "N", "Seed of the engine model and loader keys (default 1)."},
    {"log", nullptr, "Print every frame in hex with a millisecond time stamp."},
    {"version", nullptr, "Print the version and the build's revision, then exit."},
};

bool readInt(const QCommandLineParser& p, const char* name, int lo, int hi, int* out,
             QString* error) {
    const QString name16 = QLatin1String(name);
    if (!p.isSet(name16))
        return true;
    bool ok = false;
    const int v = p.value(name16).toInt(&ok, 0);
    if (!ok || v < lo || v > hi) {
        *error = QStringLiteral("--%1: expected a number from %2 to %3, got \"%4\"")
                     .arg(name16)
                     .arg(lo)
                     .arg(hi)
                     .arg(p.value(name16));
        return false;
    }
    *out = v;
    return true;
}

// "  --name VALUE" then the help text, wrapped to fit a terminal of 100 columns.
QString wrapped(const QString& left, const QString& help) {
    constexpr int indent = 32;
    constexpr int width = 100;
    QString out = left.size() < indent
                      ? left.leftJustified(indent)
                      : left + QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
    int column = indent;
    bool first = true;
    for (const QString& word : help.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!first && column + 1 + word.size() > width) {
            out += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
            first = true;
        }
        if (!first) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += int(word.size());
        first = false;
    }
    return out + QLatin1Char('\n');
}

void addOptions(QCommandLineParser& p) {
    for (const Spec& s : kOptions) {
        if (s.value)
            p.addOption(QCommandLineOption(QLatin1String(s.name), QLatin1String(s.help),
                                           QLatin1String(s.value)));
        else
            p.addOption(QCommandLineOption(QLatin1String(s.name), QLatin1String(s.help)));
    }
}
} // namespace

QString SimCommandLine::helpText() {
    QString text = QStringLiteral(
        "Usage: orvex-sim [options]\n"
        "Simulates the ignition timing-advance controller on a pseudo-terminal and prints its\n"
        "path. Any serial client can talk to it, e.g. 55 00 50 5B asks for live values.\n\n"
        "Options:\n");
    for (const Spec& s : kOptions) {
        QString left = QStringLiteral("  --") + QLatin1String(s.name);
        if (s.value)
            left += QLatin1Char(' ') + QLatin1String(s.value);
        text += wrapped(left, QLatin1String(s.help));
    }
    text += wrapped(QStringLiteral("  --help"), QStringLiteral("Show this text."));
    return text;
}

std::optional<SimOptions> SimCommandLine::parse(const QStringList& arguments, QString* error,
                                                bool* help) {
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addOptions(p);
    const QCommandLineOption helpOption(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    p.addOption(helpOption);
    *help = false;
    if (!p.parse(arguments)) {
        *error = p.errorText();
        return std::nullopt;
    }
    if (p.isSet(helpOption)) {
        *help = true;
        return std::nullopt;
    }
    if (!p.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument \"%1\"").arg(p.positionalArguments().first());
        return std::nullopt;
    }

    SimOptions o;
    SimConfig& c = o.config;
    o.link = p.value(QStringLiteral("link"));
    o.imageOut = p.value(QStringLiteral("image-out"));
    o.log = p.isSet(QStringLiteral("log"));
    o.version = p.isSet(QStringLiteral("version"));

    if (p.isSet(QStringLiteral("model"))) {
        const QString m = p.value(QStringLiteral("model")).toLower();
        if (m == QLatin1String("vx01"))
            c.model = SimModel::Vx01;
        else if (m == QLatin1String("vx01c"))
            c.model = SimModel::Vx01c;
        else if (m == QLatin1String("vx02"))
            c.model = SimModel::Vx02;
        else {
            *error = QStringLiteral("--model: expected vx01, vx01c or vx02, got \"%1\"").arg(m);
            return std::nullopt;
        }
    }
    if (!readInt(p, "settings", 15, 19, &c.settingsCount, error))
        return std::nullopt;
    if (!readInt(p, "live-body", 19, 21, &c.liveBody, error))
        return std::nullopt;
    if (p.isSet(QStringLiteral("pc-config")) && p.isSet(QStringLiteral("switch-config"))) {
        *error = QStringLiteral("--pc-config and --switch-config exclude each other");
        return std::nullopt;
    }
    int switches = -1;
    if (!readInt(p, "switches", 0, 15, &switches, error))
        return std::nullopt;
    if (switches >= 0) {
        c.switchBits = quint8(switches);
        c.pcConfig = (switches & 1) == 0;
    }
    if (p.isSet(QStringLiteral("switch-config")))
        c.pcConfig = false;
    if (p.isSet(QStringLiteral("pc-config")))
        c.pcConfig = true;
    if (p.isSet(QStringLiteral("engine"))) {
        const QString e = p.value(QStringLiteral("engine")).toLower();
        if (e != QLatin1String("on") && e != QLatin1String("off")) {
            *error = QStringLiteral("--engine: expected on or off, got \"%1\"").arg(e);
            return std::nullopt;
        }
        c.engineRunning = e == QLatin1String("on");
    }
    if (p.isSet(QStringLiteral("reply-code"))) {
        const QString r = p.value(QStringLiteral("reply-code")).toLower();
        if (r != QLatin1String("even") && r != QLatin1String("odd")) {
            *error = QStringLiteral("--reply-code: expected even or odd, got \"%1\"").arg(r);
            return std::nullopt;
        }
        c.replyCode = r == QLatin1String("odd") ? SimReplyCode::Odd : SimReplyCode::Even;
    }
    int minPc = c.minWerPc;
    int marker = c.loaderMarker;
    int seed = int(c.seed);
    if (!readInt(p, "min-pc", 0, 255, &minPc, error) ||
        !readInt(p, "loader-version", 0, 255, &c.loaderVersion, error) ||
        !readInt(p, "loader-marker", 0, 255, &marker, error) ||
        !readInt(p, "latency", 0, 10000, &c.replyLatencyMs, error) ||
        !readInt(p, "flash-ms", 0, 10000, &c.flashWriteMs, error) ||
        !readInt(p, "seed", 0, 0x7FFFFFFF, &seed, error))
        return std::nullopt;
    c.minWerPc = quint8(minPc);
    for (const char* name : {"opcje-l", "opcje-h"}) {
        int v = -1;
        if (!readInt(p, name, 0, 255, &v, error))
            return std::nullopt;
        if (v >= 0)
            (name[6] == 'l' ? c.opcjeL : c.opcjeH) = quint8(v);
    }
    if (p.isSet(QStringLiteral("name")))
        c.makeModel = p.value(QStringLiteral("name")).toUtf8().left(64);
    if (p.isSet(QStringLiteral("service-text")))
        c.serviceText = p.value(QStringLiteral("service-text")).toUtf8().left(39);
    if (p.isSet(QStringLiteral("serial"))) {
        const QString hex = p.value(QStringLiteral("serial"));
        const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
        if (hex.size() != 32 || bytes.size() != 16 || bytes.toHex() != hex.toLatin1().toLower()) {
            *error = QStringLiteral("--serial: expected 32 hex digits, got \"%1\"").arg(hex);
            return std::nullopt;
        }
        c.serialNumber = bytes;
    }
    c.loaderMarker = quint8(marker);
    c.seed = quint32(seed);
    c.startInLoader = p.isSet(QStringLiteral("loader"));
    c.failUpdate = p.isSet(QStringLiteral("fail-update"));
    c.pacing = !p.isSet(QStringLiteral("no-pacing"));
    for (const QString& f : p.values(QStringLiteral("fault"))) {
        const auto fault = SimFault::parse(f, error);
        if (!fault)
            return std::nullopt;
        o.faults.push_back(*fault);
    }
    return o;
}
