#include "Requests.h"

#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "MapCells.h"
#include "SerialLink.h"

#include <algorithm>

namespace {

// A port that keeps delivering must not hold the window: drain what is there now, a bounded
// number of buffer loads at most.
constexpr int MaxDrainRounds = 16;

SentFrame finishFrame(ControllerMirror& mirror, SerialLink& link, int dataCount) {
    std::uint8_t* tx = mirror.TxBuffer.data();
    const int length = dataCount + 4;
    tx[dataCount + 3] = ControllerFrame::checksum(tx, dataCount + 3);
    DrainInput(mirror, link);
    link.SerialWrite(tx, length);
    SentFrame sent;
    sent.length = length;
    if (mirror.LogFrames) {
        sent.logLine = ControllerFrame::logLine("Tx:", tx, tx + 3, dataCount, tx[dataCount + 3]);
    }
    return sent;
}

} // namespace

void DrainInput(ControllerMirror& mirror, SerialLink& link) {
    for (int round = 0; round < MaxDrainRounds; ++round) {
        const int waiting = link.SerialInQueCount();
        if (waiting <= 0) {
            return;
        }
        const int chunk = std::min(waiting, ControllerMirror::RxBufferSize);
        if (link.SerialRead(mirror.RxBuffer.data(), chunk) <= 0) {
            return;
        }
    }
}

SentFrame SendRequest(ControllerMirror& mirror, SerialLink& link, std::uint8_t command,
                      int dataLength, std::uint8_t d0, std::uint8_t d1, std::uint8_t d2,
                      std::uint8_t d3, std::uint8_t d4) {
    ++mirror.LinkCounter;
    const int count = std::clamp(dataLength, 0, 5);
    const std::uint8_t data[5] = {d0, d1, d2, d3, d4};
    std::uint8_t* tx = mirror.TxBuffer.data();
    tx[0] = ControllerFrame::Header;
    tx[1] = static_cast<std::uint8_t>(count);
    tx[2] = command;
    std::copy(data, data + count, tx + 3);
    return finishFrame(mirror, link, count);
}

SentFrame SendMapBlock(ControllerMirror& mirror, SerialLink& link) {
    ++mirror.LinkCounter;
    if (mirror.MapWriteFirst < 0 || mirror.MapWriteLast >= MapCells::CellCount ||
        mirror.MapWriteLast < mirror.MapWriteFirst) {
        mirror.MapWriteFirst = 0;
        mirror.MapWriteLast = MapCells::CellCount - 1;
    }
    const int cells = mirror.MapWriteLast - mirror.MapWriteFirst + 1;
    const int len = cells + 3;
    std::uint8_t* tx = mirror.TxBuffer.data();
    tx[0] = ControllerFrame::Header;
    tx[1] = static_cast<std::uint8_t>(len);
    tx[2] = CMD_MAP_WRITE;
    tx[3] = static_cast<std::uint8_t>(cells);
    tx[4] = 0x01;
    tx[5] = static_cast<std::uint8_t>(mirror.MapWriteFirst);
    for (int i = 0; i < cells; ++i) {
        const int cell = mirror.MapWriteFirst + i;
        tx[6 + i] = mirror.MapTable[static_cast<std::size_t>(MapCells::byteOfCell(cell))];
    }
    return finishFrame(mirror, link, len);
}
