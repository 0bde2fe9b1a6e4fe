#pragma once

#include "SimConfig.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The options of the orvex-sim command.
struct SimOptions {
    SimConfig config;
    QString link;     // symlink to the pty
    QString imageOut; // firmware image file written at the end of each transfer
    bool log = false;
    bool version = false; // print the version and exit
    std::vector<SimFault> faults;
};

class SimCommandLine {
public:
    // Returns nothing and fills *error when the arguments are wrong; sets *help for --help.
    static std::optional<SimOptions> parse(const QStringList& arguments, QString* error,
                                           bool* help);
    static QString helpText();
};
