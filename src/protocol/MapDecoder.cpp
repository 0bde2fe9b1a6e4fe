#include "MapDecoder.h"

#include "ControllerMirror.h"
#include "GeneralText.h"
#include "MapCells.h"

#include <cstdint>

namespace {

// Data bytes are the body without its last (checksum) byte.
bool inBody(int dataIndex, int bodyLength) {
    return dataIndex < bodyLength - 1;
}

} // namespace

MapCellUpdate MapDecoder::storeCell(ControllerMirror& m, int cell, std::uint8_t value) {
    m.MapTable[static_cast<std::size_t>(MapCells::byteOfCell(cell))] = value;
    const int signedValue = static_cast<std::int8_t>(value);
    MapCellUpdate u;
    u.column = MapCells::column(cell);
    u.row = MapCells::row(cell);
    u.text = GeneralText(signedValue * 0.2);
    u.chartValue = (signedValue + 128) * 0.2;
    return u;
}

MapUpdate MapDecoder::DecodeContents(ControllerMirror& m, int bodyLength) {
    MapUpdate update;
    const int count = m.RxBuffer[0];
    int received = 0;
    for (int i = 0; i < count && MapCells::isCell(i) && inBody(3 + i, bodyLength); ++i) {
        const std::uint8_t value = m.RxBuffer[static_cast<std::size_t>(3 + i)];
        received = i + 1;
        // A cell written but not yet confirmed, or queued for a write, keeps the user's value
        // unless the controller shows that very value.
        if (m.MapCheck.holdsUserValue(m, i)) {
            m.MapCheck.noteShown(i, value);
            if (m.MapCheck.holdsUserValue(m, i)) {
                continue;
            }
        }
        update.cells.append(storeCell(m, i, value));
    }
    const MapWriteCheck::ReadOutcome check = m.MapCheck.checkMapRead(m);
    for (const MapWriteCheck::Cell& cell : check.notTaken) {
        if (cell.cell < received) {
            update.cells.append(
                storeCell(m, cell.cell, m.RxBuffer[static_cast<std::size_t>(3 + cell.cell)]));
        }
    }
    update.notTaken = check.notTaken;
    update.rewritten = int(check.rewrite.size());
    m.MapTableRead = true;
    m.LinkCounter = 0;
    update.wholeMapRead = true;
    return update;
}

MapUpdate MapDecoder::DecodeAcknowledgement(ControllerMirror& m, int bodyLength) {
    MapUpdate update;
    const int count = m.RxBuffer[0];
    const int first = m.RxBuffer[2];
    for (int v = 0; v < count; ++v) {
        const int cell = first + v;
        if (!MapCells::isCell(cell) || !inBody(3 + cell, bodyLength)) {
            break;
        }
        const std::uint8_t value = m.RxBuffer[static_cast<std::size_t>(3 + cell)];
        m.MapCheck.noteShown(cell, value);
        // The answer to an earlier write must not show an older value over a newer one.
        if (m.MapCheck.holdsUserValue(m, cell)) {
            continue;
        }
        update.cells.append(storeCell(m, cell, value));
    }
    m.LinkCounter = 0;
    return update;
}
