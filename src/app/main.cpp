#include "CommandLine.h"
#include "OrvexBuildInfo.h"
#include "TForm1.h"
#include "UserHome.h"

#include "MapFileCommands.h"

#include <QApplication>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>

#include <memory>

#ifdef ORVEX_WITH_DEMO
#include "DemoSession.h"
#include "SimController.h"
#endif

int main(int argc, char** argv) {
    // Before anything asks where the user's settings and backups go.
    UserHome::prepare();
    // The command line is read before any window system is needed (--help works anywhere).
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const CommandLine args = CommandLine::parse(arguments);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!args.error.isEmpty()) {
        err << args.error << "\n\n" << args.helpText;
        return 2;
    }
    if (args.help) {
        out << args.helpText;
        return 0;
    }
    if (args.version) {
        out << "orvex " ORVEX_VERSION " (revision " ORVEX_REVISION ")\n";
        return 0;
    }

    QApplication app(argc, argv);

    QString sessionDevice = args.device;
#ifdef ORVEX_WITH_DEMO
    DemoSession demo;
    if (args.demo) {
        const SimLineKind line =
            args.demoInMemory ? SimLineKind::Memory : DemoSession::defaultLine();
        if (!demo.start(true, line)) {
            err << "Cannot start the simulated controller: " << demo.errorString() << "\n";
            return 1;
        }
        sessionDevice = demo.devicePath();
    }
#else
    if (args.demo) {
        err << "This build has no simulated controller.\n";
        return 1;
    }
#endif

    int rc = 0;
    {
        TForm1 window;
        if (!sessionDevice.isEmpty()) {
            window.UseSessionDevice(sessionDevice);
        }
#ifdef ORVEX_WITH_DEMO
        if (demo.wire() != nullptr) {
            window.UseSessionWire(demo.wire(), DemoSession::wireName());
        }
#endif
#ifdef ORVEX_WITH_DEMO
        if (args.demo) {
            // An installer stops the engine before an update; the demo's engine is stopped
            // and started by hand, as a real one is, and an update is refused while it runs.
            window.AddDemoEngineSwitch(
                [&demo](bool running) { demo.simulator()->setEngineRunning(running); });
        }
#endif
        window.showMaximized();
        if (!args.file.isEmpty()) {
            // Once the window is up, as the toolbar button (or, for a text map, the menu item)
            // would open it; a file that cannot be read gets the same message and the program
            // goes on.
            QTimer::singleShot(0, &window,
                               [&window, &args] { window.MapFiles->OpenAnyFile(args.file); });
        }
        rc = QApplication::exec();
    }
    return rc;
}
