// The binary map file reader on any content: a file is taken exactly when it holds the 48-byte
// header with the marker, then its map bytes (no more than the map holds) replace the map and
// nothing else of the mirror changes; a refused file changes nothing. A taken map saved again
// and read back gives the same map.

#include "ControllerMirror.h"
#include "FuzzInput.h"
#include "MapFile.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ControllerMirror m;
    for (std::size_t i = 0; i < m.MapTable.size(); ++i) {
        m.MapTable[i] = std::uint8_t(0x5A ^ i);
    }
    m.SettingsImage[0] = 0x11;
    m.DeviceId = 0x01020304;
    m.TxBuffer[0] = 0x77;
    const auto before = m.MapTable;

    const MapFile::Read r = MapFile::apply(bytes, m);
    const bool valid = bytes.size() >= MapFile::HeaderSize && bytes[MapFile::MarkerOffset] == 1;
    FUZZ_CHECK((r == MapFile::Read::Loaded) == valid);
    FUZZ_CHECK(m.SettingsImage[0] == 0x11 && m.DeviceId == 0x01020304 && m.TxBuffer[0] == 0x77);
    const qsizetype mapBytes =
        valid ? std::min<qsizetype>(bytes.size() - MapFile::HeaderSize, m.MapTable.size()) : 0;
    for (qsizetype i = 0; i < qsizetype(m.MapTable.size()); ++i) {
        const std::uint8_t expected =
            i < mapBytes ? std::uint8_t(bytes[MapFile::HeaderSize + i]) : before[std::size_t(i)];
        FUZZ_CHECK(m.MapTable[std::size_t(i)] == expected);
    }

    const QByteArray saved = MapFile::compose(m);
    FUZZ_CHECK(saved.size() == MapFile::FileSize);
    ControllerMirror again;
    FUZZ_CHECK(MapFile::apply(saved, again) == MapFile::Read::Loaded);
    FUZZ_CHECK(again.MapTable == m.MapTable);
    return 0;
}
