// The simulated controller's receiver and request handling on any byte stream: the request
// parser with pauses inside frames, then the application firmware or the boot loader acting on
// every complete frame. Every answer must be a whole frame with a zero sum, and a damaged
// request outside a block transfer is never answered.
//
// Input: groups of a control byte (bits 0..4: 1..32 bytes follow; bits 5..7: a pause of
// 0..70 ms before them) and the bytes, which arrive 1 ms apart.

#include "BootLoader.h"
#include "ControllerFirmware.h"
#include "FrameCodec.h"
#include "FuzzInput.h"
#include "ModelInfo.h"
#include "RequestParser.h"
#include "SimConfig.h"

#include <array>
#include <memory>

namespace {

// A controller and a loader as they power up for each setup byte: made once (their random
// engines are costly to seed) and copied for every input, so each input starts afresh.
struct PowerUp {
    SimConfig cfg;
    ControllerFirmware firmware;
    BootLoader loader;
};

const PowerUp& powerUp(std::uint8_t setup) {
    static std::array<std::unique_ptr<PowerUp>, 256> made;
    std::unique_ptr<PowerUp>& p = made[setup];
    if (!p) {
        SimConfig cfg;
        cfg.settingsCount = 15 + setup % 5;
        cfg.liveBody = 19 + (setup >> 3) % 3;
        cfg.startInLoader = (setup & 0x80) != 0;
        cfg.replyCode = (setup & 0x40) != 0 ? SimReplyCode::Odd : SimReplyCode::Even;
        cfg.pacing = false;
        p.reset(
            new PowerUp{cfg, ControllerFirmware(cfg), BootLoader(cfg, ModelInfo::of(cfg.model))});
    }
    return *p;
}

void checkAnswer(const QByteArray& answer) {
    if (answer.isEmpty()) {
        return;
    }
    FUZZ_CHECK(quint8(answer[0]) == 0x55);
    FUZZ_CHECK(answer.size() >= 4 && answer.size() <= 4 + 256);
    FUZZ_CHECK(FrameCodec::sumIsZero(answer));
    const int len = quint8(answer[1]);
    const int cmd = quint8(answer[2]);
    FUZZ_CHECK(answer.size() == 4 + len + (cmd & 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const PowerUp& start = powerUp(in.byte());
    const SimConfig& cfg = start.cfg;
    ControllerFirmware firmware = start.firmware;
    BootLoader loader = start.loader;
    bool inLoader = cfg.startInLoader;
    if (inLoader) {
        loader.enter();
    }

    RequestParser parser;
    auto t = RequestParser::Clock::time_point{} + std::chrono::hours(1);
    while (in.left() > 0) {
        const std::uint8_t control = in.byte();
        t += std::chrono::milliseconds(10 * (control >> 5));
        const int count = 1 + (control & 0x1F);
        for (int i = 0; i < count && in.left() > 0; ++i) {
            t += std::chrono::milliseconds(1);
            const std::optional<ReceivedFrame> frame = parser.feed(in.byte(), t);
            if (!frame) {
                continue;
            }
            FUZZ_CHECK(frame->data.size() == quint8(frame->raw[1]));
            if (inLoader) {
                const BootLoader::Reply r = loader.handle(*frame);
                checkAnswer(r.answer);
                if (r.restartApplication) {
                    inLoader = false;
                }
            } else {
                const ControllerFirmware::Reply r = firmware.handle(*frame);
                FUZZ_CHECK(frame->checksumOk || (r.answer.isEmpty() && !r.enterLoader));
                checkAnswer(r.answer);
                if (r.enterLoader) {
                    loader.enter();
                    inLoader = true;
                }
            }
            FUZZ_CHECK(firmware.map().size() == ControllerFirmware::kCells);
            FUZZ_CHECK(firmware.settings().size() == cfg.settingsCount);
        }
    }
    return 0;
}
