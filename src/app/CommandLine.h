#pragma once

#include <QString>
#include <QStringList>

// What the program was asked to do on its command line.
//   orvex                 open the port saved from the last run
//   orvex --device PATH   open that serial device for this run (the saved port is kept)
//   orvex --demo          play against the built-in simulated controller
//   orvex --demo-line memory   the same over the in-memory line (Windows' only one) rather than a
//                         pseudo-terminal
//   orvex [...] FILE      open a map file (.orvx, or a .csv text map) once the window is up
//   orvex --help
//   orvex --version       the program version and the build's revision
struct CommandLine {
    bool demo = false;
    bool demoInMemory = false; // the demo's line: in memory, or else the system's default
    QString device;
    QString file; // a map file to open at start
    bool help = false;
    bool version = false;
    QString error; // set when the arguments make no sense; the program says so and stops
    QString helpText;

    static CommandLine parse(const QStringList& arguments);
};
