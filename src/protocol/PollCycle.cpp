#include "PollCycle.h"

#include "ControlStates.h"
#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "EventPump.h"
#include "IdentityDecoder.h"
#include "PendingWrites.h"
#include "ReadResponse.h"
#include "Requests.h"
#include "SerialLink.h"

namespace {

void send(PollTickResult& r, const SentFrame& sent, std::uint8_t command) {
    r.requestSent = true;
    r.command = command;
    r.txLogLine = sent.logLine;
}

bool take(ControllerMirror& m, std::uint32_t bit) {
    if ((m.PendingWrites & bit) == 0) {
        return false;
    }
    m.PendingWrites &= ~bit;
    return true;
}

LinkHealth::Answer answerOf(const PollTickResult& r) {
    using Outcome = ResponseResult::Outcome;
    if (!r.response) {
        return LinkHealth::Answer::None;
    }
    switch (r.response->outcome) {
    case Outcome::NoAnswer:
        return LinkHealth::Answer::Missed;
    case Outcome::BadHeader:
    case Outcome::ShortBody:
    case Outcome::BadChecksum:
        return LinkHealth::Answer::Bad;
    case Outcome::Accepted:
        return LinkHealth::Answer::Valid;
    case Outcome::Ignored:
        break;
    }
    return LinkHealth::Answer::None;
}

// One tick as the header describes it; the caller counts it into the link figures.
PollTickResult tick(ControllerMirror& m, SerialLink& link, const LangSource& lang,
                    const ControlStates& states, bool connected) {
    PollTickResult r;
    if (!connected) {
        m.LinkCounter = PollCycle::ClosedPortValue;
    }
    m.PollToggle = !m.PollToggle;
    r.interval = m.LinkCounter < PollCycle::SlowThreshold ? PollCycle::FastInterval
                                                          : PollCycle::SlowInterval;

    bool image1Visible = states.Image1Visible;
    if (m.LinkCounter > PollCycle::LossThreshold && image1Visible) {
        m.clearRxHead();
        PollTickResult::LossReset loss;
        loss.caption = QLatin1String(IdentityDecoder::ProgramName) +
                       QLatin1String(IdentityDecoder::ProgramVersion);
        loss.title = QLatin1String(IdentityDecoder::ProgramName);
        loss.switchToParameters = !states.ParametersPageCurrent;
        image1Visible = false;
        m.LiveMode = 255; // the next controller's first live frame rebuilds the layout
        m.LayoutRefreshDue = true;
        m.SettingIndex = 0;
        m.IdentityState = 0;
        loss.unconfirmed = m.MapCheck.takeUnconfirmed(m);
        loss.heldSettings = m.Held.connectionLost();
        r.lossReset = loss;
    }
    if (m.LinkCounter <= PollCycle::LossThreshold && !image1Visible) {
        r.showImage1 = true;
    }

    if (m.HoldOff > 0) {
        --m.HoldOff;
        return r;
    }
    // Written cells whose acknowledgement did not show them are checked by reading the map.
    if (m.IdentityState < 0 && m.MapCheck.readDue(m)) {
        m.PendingWrites |= PW_MAP_READ;
    }
    if (m.IdentityState >= 0) {
        send(r, SendRequest(m, link, CMD_IDENTITY), CMD_IDENTITY);
        r.response = ReadResponse(m, link, lang, states);
        return r;
    }
    if (m.SettingIndex < 0) {
        // Settings in step: the next edit the user queued behind another one goes now.
        if (const auto next = m.Held.nextSettingWrite()) {
            m.queueSettingWrite(next->index, next->value);
        }
    }
    if (m.SettingIndex >= 0 && m.PollToggle) {
        m.SettingEditsSent = m.SettingEdits; // edits after this one wait for their own turn
        if (m.SettingIndex > 0) {
            m.Held.settingSent(m.SettingIndex);
        }
        if (m.SettingIndex == 0) {
            send(r, SendRequest(m, link, CMD_SETTINGS), CMD_SETTINGS);
        } else {
            send(r,
                 SendRequest(m, link, CMD_SETTINGS, 3, 0x01,
                             static_cast<std::uint8_t>(m.SettingIndex),
                             static_cast<std::uint8_t>(m.SettingValue & 0xFF)),
                 CMD_SETTINGS);
        }
        r.response = ReadResponse(m, link, lang, states);
        return r;
    }
    if (take(m, PW_DEFAULTS)) {
        m.HoldOff = PollCycle::ServiceHoldOff;
        send(r, SendRequest(m, link, CMD_SERVICE, 2, SERVICE_DEFAULTS, SERVICE_DEFAULTS),
             CMD_SERVICE);
        return r;
    }
    if (take(m, PW_CLEAR_MAP)) {
        m.HoldOff = PollCycle::ServiceHoldOff;
        send(r, SendRequest(m, link, CMD_SERVICE, 2, SERVICE_CLEAR_MAP, SERVICE_CLEAR_MAP),
             CMD_SERVICE);
        return r;
    }
    if (take(m, PW_MAP_WRITE)) {
        const SentFrame sent = SendMapBlock(m, link);
        m.MapCheck.noteSent(m);
        m.HoldOff = sent.length / 32;
        send(r, sent, CMD_MAP_WRITE);
        return r;
    }
    if (take(m, PW_MAP_READ)) {
        m.HoldOff = PollCycle::MapReadHoldOff;
        send(r, SendRequest(m, link, CMD_MAP_READ, 3, 0xF0, 0x10, 0x03), CMD_MAP_READ);
        r.response = ReadResponse(m, link, lang, states);
        // A lost or damaged map answer is asked for again after the hold-off; each try counts
        // towards the watchdog like any other unanswered request.
        const bool mapArrived = r.response->outcome == ResponseResult::Outcome::Accepted &&
                                (r.response->command & 0xFE) == CMD_MAP_READ && r.response->map;
        if (!mapArrived) {
            m.PendingWrites |= PW_MAP_READ;
        }
        return r;
    }
    send(r, SendRequest(m, link, CMD_LIVE), CMD_LIVE);
    r.response = ReadResponse(m, link, lang, states);
    return r;
}

} // namespace

PollTickResult PollCycle::Tick(ControllerMirror& m, SerialLink& link, const LangSource& lang,
                               const ControlStates& states) {
    EventPump::processEvents();
    const bool connected = link.SerialConnected();
    m.Health.notePort(connected, link.SerialOpenCount(), LinkHealth::clockMs());
    PollTickResult r = tick(m, link, lang, states, connected);
    if (r.response) {
        m.MapCheck.noteAnswerAwaited();
    }
    m.Health.countPoll(r.requestSent, answerOf(r), LinkHealth::clockMs());
    return r;
}
