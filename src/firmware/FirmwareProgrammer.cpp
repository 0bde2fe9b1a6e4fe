#include "FirmwareProgrammer.h"

#include "BlockFrame.h"
#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "EventPump.h"
#include "Requests.h"
#include "SerialLink.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace {

constexpr int EntryWait = 50;         // once, before the first look at the line
constexpr int LoaderSwitchWait = 100; // the controller restarts into its loader
constexpr int ResumeSettleWait = 100; // before a resumed transfer: the line falls quiet
constexpr int HeaderBytes = 3;
constexpr int MaxBlocks = 1024;

// How long a reply may take to start: 50 + 16 + 32 + 64 ms after a request, 16 + 32 + 64 ms
// after a block frame. A body of L bytes gets two waits of L ms.
constexpr int FirstReplyBound = EntryWait + 16 + 32 + 64;
constexpr int NextReplyBound = 16 + 32 + 64;

// A reader that slept out each step would look at the line only at the end of the step in
// which the header came, so its body had the rest of that step as well as its two waits. The
// body keeps that allowance: a reply is taken as soon as it is whole, and given up on no
// earlier (and no later) than with the stepwise reader.
int restOfStep(int waited, bool first) {
    const int ends[] = {first ? EntryWait : 0, (first ? EntryWait : 0) + 16,
                        (first ? EntryWait : 0) + 48, (first ? EntryWait : 0) + 112};
    for (int end : ends) {
        if (waited <= end) {
            return end - waited;
        }
    }
    return 0;
}

} // namespace

FirmwareProgrammer::FirmwareProgrammer() = default;

int FirmwareProgrammer::LoadImage(const QByteArray& bytes) {
    ImageSize = static_cast<int>(std::min<qsizetype>(bytes.size(), ImageCapacity));
    std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.constData()), ImageSize,
                FirmwareImage.begin());
    return ImageSize;
}

int FirmwareProgrammer::random(int bound) const {
    if (RandomSource != nullptr) {
        return RandomSource(bound);
    }
    return static_cast<int>(QRandomGenerator::global()->bounded(bound));
}

bool FirmwareProgrammer::EngineRunning(const ControllerMirror& m) {
    constexpr std::uint8_t EngineRunningBit = 0x04; // live status: ignition pulses present
    return (m.LiveStatus & EngineRunningBit) != 0;
}

int FirmwareProgrammer::RemainingSeconds(int remainingBlocks) const {
    double rate = AssumedBlocksPerSecond;
    if (firstTimedBlock_ >= 0 && rateClock_.isValid()) {
        const int timed = BlockIndex - firstTimedBlock_;
        const double seconds = static_cast<double>(rateClock_.elapsed()) / 1000.0;
        // A few blocks and half a second before the measured rate is trusted.
        if (timed >= 5 && seconds >= 0.5) {
            rate = timed / seconds;
        }
    }
    return static_cast<int>(std::ceil(std::max(0, remainingBlocks) / rate));
}

ProgramResult FirmwareProgrammer::Program(ControllerMirror& m, SerialLink& link,
                                          const FitCheck& fits, ProgrammingProgress& progress) {
    Attempt = 1;
    LoaderLeft = false;
    SendRequest(m, link, CMD_SERVICE, 2, SERVICE_LOADER, SERVICE_LOADER);
    EventPump::pause(LoaderSwitchWait);
    ProgramResult result = fromListen(m, link, fits, progress, false);
    const bool transferBegun = result == ProgramResult::Success ||
                               result == ProgramResult::TransferNoReply ||
                               result == ProgramResult::TransferFailed;
    if (transferBegun) {
        // A transfer broken by silence or a damaged reply is resumed; a refusal is not.
        ProgramResult interrupted = result;
        bool damaged = LastReplyDamaged;
        bool silent = !damaged; // what broke the attempt that just ended
        // A port that is gone (an unplugged adapter) carries no second attempt.
        while (Attempt < Attempts && link.SerialConnected() &&
               (interrupted == ProgramResult::TransferNoReply || damaged)) {
            ++Attempt;
            progress.transferResumed(Attempt, Attempts, silent);
            // What a late loader still sends belongs to the broken attempt.
            EventPump::pause(ResumeSettleWait);
            DrainInput(m, link);
            const ProgramResult again = fromListen(m, link, fits, progress, true);
            if (again == ProgramResult::Success) {
                interrupted = again;
                damaged = false;
                break;
            }
            silent = !LastReplyDamaged;
            if (again == ProgramResult::TransferNoReply || again == ProgramResult::TransferFailed) {
                interrupted = again;
                damaged = LastReplyDamaged;
                continue;
            }
            // Before its transfer: a silent or garbled loader may still come back; the
            // application answering, or another loader, ends the run.
            const bool loaderLost =
                (again == ProgramResult::NoListen && !LastReplyDamaged && lastListenAnswered_) ||
                again == ProgramResult::WrongController;
            if (loaderLost) {
                LoaderLeft = true;
                break;
            }
        }
        result = interrupted;
        LastReplyDamaged = damaged;
        dropBlockRequests_ = false;
        // The loader is told that the transfer is over once, whatever its outcome.
        SendRequest(m, link, CMD_SERVICE, 2, SERVICE_CLOSE, SERVICE_CLOSE);
    }
    return result;
}

ProgramResult FirmwareProgrammer::fromListen(ControllerMirror& m, SerialLink& link,
                                             const FitCheck& fits, ProgrammingProgress& progress,
                                             bool resuming) {
    BlocksServed = 0;
    firstTimedBlock_ = -1;
    rateClock_.invalidate();
    lastReply_ = -1;
    lastListenAnswered_ = false;
    const LoaderIdentity before = Loader;

    // A resumed transfer begins while the broken one's replies may still come (a loader that
    // stood still answers the block frame it had): block requests before the new start
    // request are read and dropped, not served.
    dropBlockRequests_ = resuming;
    const auto readSkippingStale = [&] {
        int r = ReadLoaderReply(m, link, progress);
        for (int stale = 0; resuming && r == 1 && lastReply_ == CMD_SERVICE && stale < 4; ++stale) {
            r = ReadLoaderReply(m, link, progress);
        }
        return r;
    };
    SendRequest(m, link, CMD_LIVE);
    if (readSkippingStale() != 0) {
        lastListenAnswered_ = lastReply_ >= 0; // a whole reply of another kind came
        return ProgramResult::NoListen;
    }

    SendRequest(m, link, CMD_IDENTITY);
    int identity = readSkippingStale();
    if (identity == 0 && lastReply_ != CMD_IDENTITY) {
        identity = 1; // an answer of another kind: no identity, nothing to announce
    }
    if (identity == 1) {
        return ProgramResult::BadIdentity;
    }
    if (identity == 2) {
        if (resuming && lastReply_ == CMD_IDENTITY && !LastReplyDamaged) {
            return ProgramResult::WrongController; // another loader version answers now
        }
        return ProgramResult::UnsupportedLoader;
    }
    if (resuming && (Loader.deviceId != before.deviceId || Loader.base != before.base)) {
        return ProgramResult::WrongController; // not the controller the transfer began on
    }
    if (fits && !fits(Loader)) {
        return ProgramResult::WrongController;
    }

    // BlockIndex equals BlockCount here: the count is announced.
    dropBlockRequests_ = false;
    SendRequest(m, link, CMD_SERVICE, 5, 0, 0, 0, static_cast<std::uint8_t>(BlockIndex >> 8),
                static_cast<std::uint8_t>(BlockIndex & 0xFF));
    int transfer = ReadLoaderReply(m, link, progress);
    if (transfer == 0 && lastReply_ != CMD_SERVICE) {
        transfer = 1; // only the loader's final block request ends a transfer well
    }
    if (transfer == 0) {
        return ProgramResult::Success;
    }
    return transfer == 1 ? ProgramResult::TransferFailed : ProgramResult::TransferNoReply;
}

int FirmwareProgrammer::ReadLoaderReply(ControllerMirror& m, SerialLink& link,
                                        ProgrammingProgress& progress) {
    bool first = true;
    for (;;) {
        LastReplyDamaged = false;
        lastReply_ = -1; // set again once a reply has come whole
        // Acts on a reply as soon as it is there; the bounds are only when to give up.
        int waited = 0;
        // A reply not begun within its window is waited for a grace longer: the loader is
        // late, not gone, until then.
        const int window = first ? FirstReplyBound : NextReplyBound;
        const bool arrived = EventPump::waitForBytes(link, 4, window + ReplyGraceMs, &waited);
        const int bodyAllowance = restOfStep(waited, first);
        first = false;
        if (!arrived) {
            return 2;
        }
        std::uint8_t header[HeaderBytes] = {0, 0, 0};
        if (link.SerialRead(header, HeaderBytes) != HeaderBytes) {
            return 2;
        }
        // From here on bytes have come: what ends the reply now is damage, not silence.
        LastReplyDamaged = true;
        if (header[0] != ControllerFrame::Header) {
            DrainInput(m, link);
            return 2;
        }
        const int body = ControllerFrame::bodyLength(header[1], header[2]);
        // The rest of a begun reply likewise: due within its two waits, taken a grace later.
        if (!EventPump::waitForBytes(link, body, bodyAllowance + 2 * body + ReplyGraceMs) ||
            link.SerialRead(m.RxBuffer.data(), body) != body) {
            return 2;
        }
        const std::uint8_t* d = m.RxBuffer.data();
        progress.replyLogged(ControllerFrame::logLine("Rx:", header, d, body - 1, d[body - 1]));
        if (!ControllerFrame::bodyValid(header[1], header[2], d, body)) {
            return 1;
        }
        LastReplyDamaged = false;

        lastReply_ = header[2] & 0xFE;
        switch (header[2] & 0xFE) {
        case CMD_LIVE:
            if (header[1] != 0) {
                return 1;
            }
            m.LinkCounter = 0;
            return 0;
        case CMD_IDENTITY:
            if (header[1] != 9) {
                return 1;
            }
            m.LinkCounter = 0;
            if (d[4] != SupportedLoader) {
                return 2;
            }
            LoaderBase = d[5] * 256 + d[6];
            BaseBlocks = (2 * LoaderBase) / 16;
            BlockCount = ImageSize / 16 + BaseBlocks;
            BlockIndex = BlockCount;
            Loader.deviceId = static_cast<std::uint32_t>(d[0]) << 24 |
                              static_cast<std::uint32_t>(d[1]) << 16 |
                              static_cast<std::uint32_t>(d[2]) << 8 | d[3];
            Loader.version = d[4];
            Loader.base = LoaderBase;
            Loader.marker = d[8];
            progress.loaderIdentified(Loader, BlockCount);
            return 0;
        case CMD_SERVICE: {
            if (d[0] != 0x01 || dropBlockRequests_) {
                return 1;
            }
            m.LinkCounter = 0;
            LoaderStatus = d[1];
            LoaderKeyWord = d[2] * 256 + d[3];
            BlockIndex = d[4] * 256 + d[5];
            if (BlockIndex >= MaxBlocks) {
                return 1;
            }
            if (firstTimedBlock_ < 0) {
                firstTimedBlock_ = BlockIndex;
                rateClock_.start();
            }
            progress.blockRequested(BlockIndex, BlockCount,
                                    RemainingSeconds(BlockCount - BlockIndex));
            const int status = LoaderStatus & 0x0F;
            if (status == 3) {
                // Each block goes out about once (a damaged one again): a loader that keeps
                // asking beyond twice the count never finishes, and the transfer has failed.
                if (BlocksServed >= 2 * BlockCount + 32) {
                    return 1;
                }
                ServeBlockRequest(m, link);
                continue;
            }
            return status == 7 ? 0 : 1;
        }
        default:
            return 1;
        }
    }
}

void FirmwareProgrammer::ServeBlockRequest(ControllerMirror& m, SerialLink& link) {
    const BlockFrameBytes frame =
        BuildBlockFrame(FirmwareImage.data() + 16 * BlockIndex, BlockIndex, LoaderKeyWord,
                        BaseBlocks, random(32), static_cast<std::uint8_t>(random(255)));
    if (link.SerialInQueCount() > 0) {
        DrainInput(m, link);
    }
    link.SerialWrite(frame.data(), static_cast<int>(frame.size()));
    ++BlocksServed;
}
