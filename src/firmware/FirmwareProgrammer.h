#pragma once

#include "ProgrammingProgress.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <array>
#include <cstdint>
#include <functional>

struct ControllerMirror;
class SerialLink;

// Programs a firmware image into the controller through its boot loader, on the caller's thread
// (the waits let the application process its events). The window and the command-line tool
// both drive it:
//
//     FirmwareProgrammer p;
//     p.LoadImage(bytes);                        // 8832 bytes from FirmwareFiles
//     // stop the poll cycle first
//     ProgramResult r = p.Program(mirror, link, fits, progress);
//     // then forget identity and settings and restart the poll cycle
//
// The controller is switched to its loader (54 33 33), the loader must answer the listen
// request and report version 1.03, the block count is announced and every block the loader asks
// for is served; the closing request 54 02 02 follows the transfer (once, after the last
// attempt).
//
// A late loader is waited for: a reply due within the fixed windows may come up to
// ReplyGraceMs after its window (a stalled USB adapter, a busy PC), and the rest of a reply
// that has begun as long after its own. A transfer interrupted by silence or a damaged reply
// starts again from the listen request (the loader keeps waiting in its loader mode), up to
// Attempts in all; the outcome is that of the last attempt that reached its transfer (an
// attempt whose listen or identity request goes unanswered counts, but brings no new outcome).
// A listen request answered by the application (the controller left its loader, its engine may
// run) or an identity that changed ends the run at once (LoaderLeft).
enum class ProgramResult {
    Success = 0,
    NoListen = 1,          // no valid empty answer to the listen request
    BadIdentity = 2,       // the identity reply is damaged or of another kind
    UnsupportedLoader = 3, // no identity reply, or a loader other than 1.03
    WrongController = 4,   // the image was chosen for another controller
    TransferFailed = 5,    // a bad reply, refused request, block number beyond 1023, or a
                           // loader asking for more than twice the blocks announced
    TransferNoReply = 6,   // the loader fell silent during the transfer
};

class FirmwareProgrammer {
public:
    static constexpr int ImageCapacity = 16384;
    static constexpr int SupportedLoader = 103;
    // Before any block has been timed the remaining time assumes this rate.
    static constexpr double AssumedBlocksPerSecond = 22.0;
    // How long a reply may be late beyond its fixed window before the loader counts as silent
    // (the rest of a begun reply likewise). The stalls seen on PCs and virtual machines (a USB
    // adapter's latency, a descheduled process) last up to about 150 ms.
    static constexpr int ReplyGraceMs = 1000;
    // Transfers in all: the first and the resumed ones.
    static constexpr int Attempts = 3;

    FirmwareProgrammer();

    // Copies an image to the start of FirmwareImage (at most 16384 bytes); the rest keeps what
    // it held. Returns ImageSize.
    int LoadImage(const QByteArray& bytes);

    // Steps from the loader switch to the closing request. `fits` is asked once the loader has
    // identified itself, before anything is announced: false ends the run with WrongController
    // (the window checks that its catalogue was built for the mirror's DeviceId).
    using FitCheck = std::function<bool(const LoaderIdentity& loader)>;
    ProgramResult Program(ControllerMirror& mirror, SerialLink& link, const FitCheck& fits,
                          ProgrammingProgress& progress);

    // Handles loader replies until one settles the outcome: 0 accepted, 1 bad or refused reply,
    // 2 no reply, a wrong start byte or a loader of another version. Serves block requests.
    int ReadLoaderReply(ControllerMirror& mirror, SerialLink& link, ProgrammingProgress& progress);

    // The update tab's engine check, shared with orvex-flash: the controller's last live answer
    // in the mirror says that ignition pulses are present (the engine runs). Programming is
    // refused then: the controller stops shifting the ignition while its loader runs.
    static bool EngineRunning(const ControllerMirror& mirror);

    // Seconds left for `remainingBlocks` at the rate measured so far in this transfer.
    int RemainingSeconds(int remainingBlocks) const;

    std::array<std::uint8_t, ImageCapacity> FirmwareImage{};
    int ImageSize = 0;
    int BlockCount = 0;
    int BlockIndex = 0;
    int LoaderBase = 0;
    int BaseBlocks = 0;
    int LoaderKeyWord = 0;
    std::uint8_t LoaderStatus = 0;
    LoaderIdentity Loader;
    int BlocksServed = 0; // block frames written in the last transfer
    int Attempt = 0;      // the attempt the last run ended in (1 .. Attempts)
    // The last run was not resumed further because the controller answered as its application
    // or as another loader.
    bool LoaderLeft = false;
    // The last reply that settled ReadLoaderReply came, but damaged: not starting with 0x55, cut
    // short or with a wrong checksum (false for silence, a refusal or another loader version).
    // The window's boxes do not tell these apart; orvex-flash does.
    bool LastReplyDamaged = false;

    // Test seam: the source of R (0..31) and the filler (0..254); nullptr for the random one.
    int (*RandomSource)(int bound) = nullptr;

private:
    // From the listen request to the end of the transfer (the closing request is the caller's).
    // `resuming`: the loader must be the one identified by the first attempt.
    ProgramResult fromListen(ControllerMirror& mirror, SerialLink& link, const FitCheck& fits,
                             ProgrammingProgress& progress, bool resuming);
    void ServeBlockRequest(ControllerMirror& mirror, SerialLink& link);
    int random(int bound) const;

    QElapsedTimer rateClock_;
    int firstTimedBlock_ = -1;
    int lastReply_ = -1;              // command of the last reply read whole
    bool lastListenAnswered_ = false; // the listen request got a whole reply of another kind
    bool dropBlockRequests_ = false;  // before a resumed attempt's announcement: the broken
                                      // attempt's block requests are read, not served
};

// The fixed waits: the reply to a request is due within 50 + 16 + 32 + 64 ms (within
// 16 + 32 + 64 ms of a block frame), its body within two waits of its length in ms; each is
// given up on ReplyGraceMs after it was due.
