#include "FlashTool.h"

#include "ControlStates.h"
#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "EventPump.h"
#include "FirmwareCatalogue.h"
#include "FirmwareFiles.h"
#include "FirmwareProgrammer.h"
#include "LangSource.h"
#include "OrvexBuildInfo.h"
#include "ReadResponse.h"
#include "Requests.h"
#include "TMySerial.h"

#include <QFileInfo>

#include <memory>

namespace FlashTool {

namespace {

constexpr int ClosingGraceMs = 100;

void print(std::FILE* f, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), f);
    std::fflush(f);
}

QString loaderWords(const LoaderIdentity& l) {
    static const char* const markers[] = {"last programming not finished",
                                          "last programming finished with an error",
                                          "program checksum error", "program has no checksums"};
    QString model = QStringLiteral("an unknown controller");
    if (const CatalogueModel* m = FirmwareCatalogue::ForDevice(l.deviceId)) {
        model = QString::fromLatin1(m->modelLabel).trimmed();
    }
    const QString marker = l.marker >= 0 && l.marker <= 3
                               ? QString::fromLatin1(markers[l.marker])
                               : QStringLiteral("marker %1").arg(l.marker);
    return QStringLiteral("Boot loader %1.%2 of %3 (identity %4), %5\n")
        .arg(l.version / 100)
        .arg(l.version % 100, 2, 10, QLatin1Char('0'))
        .arg(model)
        .arg(QStringLiteral("%1").arg(l.deviceId, 8, 16, QLatin1Char('0')).toUpper())
        .arg(marker);
}

// The progress bar on a terminal, or a line every 64 blocks otherwise.
class ConsoleProgress : public ProgrammingProgress {
public:
    ConsoleProgress(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}
    void loaderIdentified(const LoaderIdentity& loader, int blockCount) override {
        print(out_, loaderWords(loader));
        print(out_, QStringLiteral("Sending %1 blocks\n").arg(blockCount));
    }
    void blockRequested(int blockIndex, int blockCount, int remainingSeconds) override {
        if (blockCount <= 0) {
            return;
        }
        if (terminal_) {
            constexpr int width = 40;
            const int filled = std::min(width, blockIndex * width / blockCount);
            print(out_, QStringLiteral("\r[%1%2] %3/%4  remaining time: %5 s ")
                            .arg(QString(filled, QLatin1Char('#')),
                                 QString(width - filled, QLatin1Char('.')))
                            .arg(blockIndex, 4)
                            .arg(blockCount)
                            .arg(remainingSeconds, 3));
            barShown_ = true;
        } else if (blockIndex % 64 == 0 || blockIndex >= blockCount) {
            print(out_, QStringLiteral("block %1/%2, remaining time: %3 s\n")
                            .arg(blockIndex)
                            .arg(blockCount)
                            .arg(remainingSeconds));
        }
    }
    void replyLogged(const QString& line) override {
        if (verbose) {
            endBar();
            print(out_, line + QLatin1Char('\n'));
        }
    }
    void transferResumed(int attempt, int attempts, bool silent) override {
        endBar();
        print(out_, QStringLiteral("The transfer was interrupted (%1); attempt %2 of %3, from the "
                                   "listen request\n")
                        .arg(silent ? QStringLiteral("the boot loader fell silent")
                                    : QStringLiteral("a reply of the boot loader came damaged"))
                        .arg(attempt)
                        .arg(attempts));
    }
    void endBar() {
        if (barShown_) {
            print(out_, QStringLiteral("\n"));
            barShown_ = false;
        }
    }
    bool verbose = false;

private:
    std::FILE* out_;
    bool terminal_;
    bool barShown_ = false;
};

// The decoders ask for texts of the window's labels; none are shown here.
class NoTexts : public LangSource {
public:
    QString LangText(int) const override { return {}; }
};

// Asks for the live values and makes the update tab's engine check on them. A controller in
// its loader answers the live request without values (nothing to check) and is programmed as
// it is; one that does not answer at all fails at the loader's listen request.
bool engineRunning(ControllerMirror& m, SerialLink& link) {
    SendRequest(m, link, CMD_LIVE);
    ControlStates valuesOnly;
    valuesOnly.TextsShown = false;
    const ResponseResult r = ReadResponse(m, link, NoTexts(), valuesOnly);
    constexpr int LiveBodyWithValues = 19; // the shortest live body there is
    return r.outcome == ResponseResult::Outcome::Accepted && r.live &&
           r.bodyLength >= LiveBodyWithValues && FirmwareProgrammer::EngineRunning(m);
}

// ": why" from the facade's open-failure text (the port's name, a blank line, the
// explanation naming the port again), or nothing when it gives no explanation.
QString openFailureReason(const QString& text, const QString& device) {
    const qsizetype blank = text.indexOf(QStringLiteral("\n\n"));
    if (blank < 0) {
        return {};
    }
    QString why = text.mid(blank + 2).simplified();
    if (why.startsWith(device + QStringLiteral(": "))) {
        why.remove(0, device.size() + 2);
    }
    return QStringLiteral(": ") + why;
}

struct Result {
    int code;
    const char* words;
};

// `damaged`: the reply that ended the run came, but damaged (FirmwareProgrammer::
// LastReplyDamaged). The window words such a reply before the transfer as silence or as a loader
// of another version; here it is a data error, and during the transfer a failed one.
Result describe(ProgramResult r, bool damaged) {
    if (damaged) {
        switch (r) {
        case ProgramResult::NoListen:
        case ProgramResult::UnsupportedLoader:
            return {ExitBadIdentity, "Data error: a reply of the boot loader came damaged "
                                     "(wrong start byte, cut short or wrong checksum)."};
        case ProgramResult::TransferNoReply:
            return {ExitTransferFailed, "Programming finished with an error (the boot loader "
                                        "sent a damaged reply)."};
        default:
            break;
        }
    }
    switch (r) {
    case ProgramResult::Success:
        return {ExitOk, "Programming finished successfully."};
    case ProgramResult::NoListen:
        return {ExitNoListen, "No connection: the boot loader did not answer the listen request."};
    case ProgramResult::BadIdentity:
        return {ExitBadIdentity, "Data error: the boot loader's identity reply is damaged."};
    case ProgramResult::UnsupportedLoader:
        return {ExitUnsupportedLoader,
                "No boot loader identity, or a loader version other than 1.03: a newer program "
                "is needed for this controller."};
    case ProgramResult::WrongController:
        return {ExitWrongController, "This image is not meant for the connected controller; "
                                     "nothing was sent."};
    case ProgramResult::TransferFailed:
        return {ExitTransferFailed, "Programming finished with an error (the boot loader "
                                    "refused or sent a bad reply)."};
    case ProgramResult::TransferNoReply:
        return {ExitTransferNoReply,
                "Programming stopped: no connection (the boot loader fell silent)."};
    }
    return {ExitTransferFailed, "Programming finished with an error."};
}

} // namespace

QString HelpText() {
    return QStringLiteral(
        "Usage: orvex-flash --device PATH (--image FILE | --id IMAGEID) [--yes] [--verbose]\n"
        "\n"
        "Programs a firmware image into the controller on the serial device PATH through its\n"
        "boot loader. A controller running its application is switched to the loader first; a\n"
        "controller left in its loader by a failed update is programmed as it is. A controller\n"
        "whose engine runs is refused: stop the engine first. A late reply of the loader is\n"
        "waited for up to a second; a transfer it interrupts (or a damaged reply) starts again\n"
        "from the listen request by itself, up to 3 attempts.\n"
        "\n"
        "  --device PATH   serial device of the controller, e.g. /dev/ttyUSB0\n"
        "  --image FILE    the image file (8832 bytes)\n"
        "  --id IMAGEID    an installed image by its number (e.g. 1320 for V1.3.2.0), looked up\n"
        "                  in $ORVEX_FIRMWARE_DIR, ~/.local/share/Orvex/firmware/ and firmware/\n"
        "                  beside the program; it must belong to the connected controller\n"
        "  --yes           do not ask before programming\n"
        "  --verbose       show every reply of the boot loader\n"
        "  --version       the program's version and the revision it was built from\n"
        "  --help          this text\n"
        "\n"
        "Exit status:\n"
        "   0  programmed successfully\n"
        "   2  wrong command line\n"
        "   3  image missing, unreadable or not 8832 bytes (nothing was sent)\n"
        "   4  the device cannot be opened\n"
        "   5  not confirmed (nothing was sent)\n"
        "   6  the engine is running (nothing was programmed)\n"
        "  10  no connection: no answer to the listen request\n"
        "  11  data error: a damaged reply of the boot loader before the transfer\n"
        "  12  no boot loader identity, or a loader version other than 1.03\n"
        "  13  the image is not meant for the connected controller (nothing was written)\n"
        "  14  programming finished with an error (a refused or damaged reply)\n"
        "  15  programming stopped: the boot loader fell silent\n");
}

int Run(const QStringList& arguments, std::FILE* out, std::FILE* err, std::FILE* in,
        bool terminal) {
    QString device;
    QString imageFile;
    int imageId = 0;
    bool yes = false;
    bool verbose = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            print(out, HelpText());
            return ExitOk;
        } else if (a == QLatin1String("--version")) {
            print(out,
                  QStringLiteral("orvex-flash " ORVEX_VERSION " (revision " ORVEX_REVISION ")\n"));
            return ExitOk;
        } else if (a == QLatin1String("--device") && hasValue) {
            device = arguments[++i];
        } else if (a == QLatin1String("--image") && hasValue) {
            imageFile = arguments[++i];
        } else if (a == QLatin1String("--id") && hasValue) {
            bool ok = false;
            imageId = arguments[++i].toInt(&ok);
            if (!ok || imageId <= 0) {
                print(err,
                      QStringLiteral("orvex-flash: --id needs an image number such as 1320\n"));
                return ExitUsage;
            }
        } else if (a == QLatin1String("--yes") || a == QLatin1String("-y")) {
            yes = true;
        } else if (a == QLatin1String("--verbose") || a == QLatin1String("-v")) {
            verbose = true;
        } else {
            print(err,
                  QStringLiteral("orvex-flash: unknown or incomplete option \"%1\"\n\n").arg(a) +
                      HelpText());
            return ExitUsage;
        }
    }
    if (device.isEmpty() || imageFile.isEmpty() == (imageId == 0)) {
        print(err, QStringLiteral("orvex-flash: give --device and one of --image or --id\n\n") +
                       HelpText());
        return ExitUsage;
    }

    // The image is checked before the device is touched.
    const FirmwareFiles::Loaded image =
        imageId != 0 ? FirmwareFiles::Load(imageId) : FirmwareFiles::LoadFile(imageFile);
    if (image.status != FirmwareFiles::Loaded::Ok) {
        print(err, QStringLiteral("orvex-flash: %1; nothing was sent\n")
                       .arg(FirmwareFiles::Describe(image)));
        return ExitImage;
    }

    TMySerial serial;
    QString openError;
    // The facade's message starts in the window's first language: only its explanation (in
    // English, as is everything here) is taken.
    serial.SetOpenErrorText(QString());
    serial.SetOpenErrorPresenter(
        [&openError](const QString& text, const QString&) { openError = text; });
    if (!serial.SerialOpenDevice(device, 9600) || !serial.SerialConnected()) {
        print(err, QStringLiteral("orvex-flash: cannot open %1%2\n")
                       .arg(device, openFailureReason(openError, device)));
        return ExitDevice;
    }

    const QString what =
        imageId != 0 ? QStringLiteral("image %1 (%2)").arg(imageId).arg(image.path) : image.path;
    if (!yes) {
        print(out,
              QStringLiteral("Program %1 into the controller on %2? [y/N] ").arg(what, device));
        char answer[16] = {0};
        if (in == nullptr || std::fgets(answer, sizeof answer, in) == nullptr ||
            (answer[0] != 'y' && answer[0] != 'Y')) {
            print(err, QStringLiteral("orvex-flash: not confirmed; nothing was sent\n"));
            return ExitNotConfirmed;
        }
    } else {
        print(out, QStringLiteral("Programming %1 into the controller on %2\n").arg(what, device));
    }

    auto mirror = std::make_unique<ControllerMirror>();
    if (engineRunning(*mirror, serial)) {
        print(err, QStringLiteral("orvex-flash: the engine is running (the controller reports "
                                  "ignition pulses); stop it and try again. Nothing was "
                                  "programmed.\n"));
        return ExitEngineRunning;
    }

    FirmwareProgrammer programmer;
    programmer.LoadImage(image.bytes);
    ConsoleProgress progress(out, terminal);
    progress.verbose = verbose;
    FirmwareProgrammer::FitCheck fits;
    if (imageId != 0) {
        fits = [imageId](const LoaderIdentity& loader) {
            return FirmwareCatalogue::ImageIds(loader.deviceId).contains(imageId);
        };
    }
    const ProgramResult r = programmer.Program(*mirror, serial, fits, progress);
    progress.endBar();
    // The closing request must reach the controller before the port goes: a pseudo-terminal
    // (and some adapters) drop what is still in transit when it is closed.
    EventPump::sleepBlocking(ClosingGraceMs);
    const Result res = describe(r, programmer.LastReplyDamaged);
    QString words = QString::fromLatin1(res.words);
    if (programmer.Attempt > 1) {
        words.chop(1); // the full stop
        words += r == ProgramResult::Success
                     ? QStringLiteral(" at attempt %1 of %2.")
                           .arg(programmer.Attempt)
                           .arg(FirmwareProgrammer::Attempts)
                     : QStringLiteral(" after %1 attempts.").arg(programmer.Attempt);
    }
    if (programmer.LoaderLeft) {
        words += QStringLiteral(" The controller no longer answers from its boot loader (it runs "
                                "its application, or another controller answers): the transfer "
                                "was not started again.");
    }
    print(r == ProgramResult::Success ? out : err, words + QLatin1Char('\n'));
    return res.code;
}

} // namespace FlashTool
