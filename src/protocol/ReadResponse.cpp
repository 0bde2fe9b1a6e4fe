#include "ReadResponse.h"

#include "ControlStates.h"
#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "EventPump.h"
#include "IdentityDecoder.h"
#include "LiveDecoder.h"
#include "MapDecoder.h"
#include "Requests.h"
#include "SerialLink.h"
#include "ServiceText.h"
#include "SettingsDecoder.h"

#include <algorithm>

namespace {

constexpr int HeaderWait = 16;
constexpr int HeaderWaits = 3;
constexpr int ReplayBody = 16;

using Outcome = ResponseResult::Outcome;

// The header is looked at after each of three 16 ms waits; a header found earlier is taken at
// once, but the body keeps the time it would have had from the look that would have found it.
int headerLookAt(int waitedMs) {
    const int looks = std::max(1, (waitedMs + HeaderWait - 1) / HeaderWait);
    return looks * HeaderWait;
}

// Waits for the header (at most three 16 ms waits) and the body (at most two waits of B ms),
// taking each as soon as its bytes are there, then reads the body into RxBuffer. Returns false
// with the outcome set when it gives up.
bool receive(ControllerMirror& m, SerialLink& link, std::uint8_t header[3],
             ResponseResult& result) {
    int headerWaited = 0;
    if (!EventPump::waitForBytes(link, 4, HeaderWaits * HeaderWait, &headerWaited)) {
        result.outcome = Outcome::NoAnswer;
        return false;
    }
    if (link.SerialRead(header, 3) != 3) {
        result.outcome = Outcome::NoAnswer;
        return false;
    }
    if (header[0] != ControllerFrame::Header) {
        DrainInput(m, link);
        result.outcome = Outcome::BadHeader;
        return false;
    }
    result.command = header[2];
    const int body = ControllerFrame::bodyLength(header[1], header[2]);
    result.bodyLength = body;
    const int bodyBound = headerLookAt(headerWaited) - headerWaited + 2 * body;
    // A short body stays queued; the next request drains it.
    if (!EventPump::waitForBytes(link, body, bodyBound) ||
        link.SerialRead(m.RxBuffer.data(), body) != body) {
        result.outcome = Outcome::ShortBody;
        return false;
    }
    if (m.LogFrames) {
        result.logLine = ControllerFrame::logLine("Rx:", header, m.RxBuffer.data(), body - 1,
                                                  m.RxBuffer[static_cast<std::size_t>(body - 1)]);
    }
    return true;
}

} // namespace

ResponseResult ReadResponse(ControllerMirror& m, SerialLink& link, const LangSource& lang,
                            const ControlStates& states, std::uint8_t replayCommand) {
    ResponseResult result;
    std::uint8_t header[3] = {0, 0, 0};
    const bool replay = replayCommand != 0;
    int body = 0;
    if (replay) {
        header[0] = ControllerFrame::Header;
        header[2] = replayCommand;
        body = ReplayBody;
        result.command = replayCommand;
        result.bodyLength = body;
    } else {
        if (!receive(m, link, header, result)) {
            return result;
        }
        body = result.bodyLength;
    }

    const std::uint8_t code = header[2] & 0xFE;
    const std::uint8_t* data = m.RxBuffer.data();
    const bool known = code == CMD_LIVE || code == CMD_IDENTITY || code == CMD_SERVICE ||
                       code == CMD_SETTINGS || code == CMD_MAP_READ || code == CMD_MAP_WRITE;
    // Replay serves recorded live and settings records only.
    if (!known || (replay && code != CMD_LIVE && code != CMD_SETTINGS)) {
        result.outcome = Outcome::Ignored;
        return result;
    }
    if (!replay && !ControllerFrame::bodyValid(header[1], header[2], data, body)) {
        result.outcome = Outcome::BadChecksum;
        return result;
    }

    result.outcome = Outcome::Accepted;
    switch (code) {
    case CMD_LIVE:
        // Replayed records have no length variants.
        result.live = LiveDecoder::Decode(m, replay ? 0 : body, lang, states);
        break;
    case CMD_IDENTITY:
        result.identity = IdentityDecoder::Decode(m, body, result.logLine, lang, states);
        break;
    case CMD_SERVICE:
        result.serviceCaption = ServiceText::Decode(m);
        break;
    case CMD_SETTINGS:
        result.settings = SettingsDecoder::Decode(m, result.logLine, lang, states);
        break;
    case CMD_MAP_READ:
        if (data[1] != 0x10 || data[2] != 0x03) {
            result.outcome = Outcome::Ignored;
        } else {
            result.map = MapDecoder::DecodeContents(m, body);
        }
        break;
    case CMD_MAP_WRITE:
        if (data[1] != 0x01) {
            result.outcome = Outcome::Ignored;
        } else {
            result.map = MapDecoder::DecodeAcknowledgement(m, body);
        }
        break;
    default:
        break;
    }
    return result;
}
