#pragma once

#include <QStringList>

#include <cstdio>

// orvex-flash: programs one firmware image into a controller through its boot loader, for
// recovery (a controller left in its loader) and scripted use. Exit statuses are listed in
// the help text; each failure kind has its own.
namespace FlashTool {

enum ExitCode {
    ExitOk = 0,
    ExitUsage = 2,
    ExitImage = 3,         // image missing, unreadable or of the wrong size
    ExitDevice = 4,        // the device cannot be opened
    ExitNotConfirmed = 5,  // the question was answered no (or could not be asked)
    ExitEngineRunning = 6, // the controller's live values report ignition pulses
    ExitNoListen = 10,
    ExitBadIdentity = 11,
    ExitUnsupportedLoader = 12,
    ExitWrongController = 13,
    ExitTransferFailed = 14,
    ExitTransferNoReply = 15,
};

QString HelpText();
// Runs the tool; `arguments` without the program name. Progress goes to `out` (a bar when
// `terminal`, plain lines otherwise), problems to `err`; the question is read from `in`.
int Run(const QStringList& arguments, std::FILE* out, std::FILE* err, std::FILE* in, bool terminal);

} // namespace FlashTool
