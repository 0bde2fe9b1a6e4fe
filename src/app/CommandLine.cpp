#include "CommandLine.h"

#include <QCommandLineParser>

CommandLine CommandLine::parse(const QStringList& arguments) {
    CommandLine result;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Orvex: configuration, diagnostics and firmware updates for the ignition "
                       "timing-advance controller."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Connect to the built-in simulated controller instead of a real one."));
    const QCommandLineOption demoLine(
        QStringLiteral("demo-line"),
        QStringLiteral("The demo's line: \"pty\" (a pseudo-terminal, where the system has them) "
                       "or \"memory\" (inside the program). Implies --demo."),
        QStringLiteral("KIND"));
    const QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("Open this serial device (e.g. /dev/ttyUSB0) for this run; the port saved "
                       "for the next run is not changed."),
        QStringLiteral("PATH"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and the build's revision "
                                                    "and exit."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(demo);
    parser.addOption(demoLine);
    parser.addOption(device);
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("A map file to open (.orvx, or a .csv text map), as the Open button would."),
        QStringLiteral("[FILE]"));
    result.helpText =
        parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("orvex"));

    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    result.help = parser.isSet(help);
    result.version = parser.isSet(version);
    result.demo = parser.isSet(demo) || parser.isSet(demoLine);
    result.demoInMemory = parser.value(demoLine) == QLatin1String("memory");
    result.device = parser.value(device);
    if (parser.isSet(demoLine) && !result.demoInMemory &&
        parser.value(demoLine) != QLatin1String("pty")) {
        result.error = QStringLiteral("--demo-line is \"pty\" or \"memory\".");
    } else if (parser.isSet(device) && result.device.isEmpty()) {
        result.error = QStringLiteral("--device needs the path of a serial device.");
    } else if (result.demo && !result.device.isEmpty()) {
        result.error = QStringLiteral("--demo and --device cannot be used together.");
    } else if (parser.positionalArguments().size() > 1) {
        result.error =
            QStringLiteral("Only one file can be opened: ") + parser.positionalArguments().at(1);
    } else if (!parser.positionalArguments().isEmpty()) {
        result.file = parser.positionalArguments().first();
    }
    return result;
}
