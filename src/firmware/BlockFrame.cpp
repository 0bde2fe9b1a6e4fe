#include "BlockFrame.h"

#include "ControllerFrame.h"

#include <utility>

BlockFrameBytes BuildBlockFrame(const std::uint8_t* block16, int blockIndex, int keyWord,
                                int baseBlocks, int r, std::uint8_t filler) {
    BlockFrameBytes f{};
    f[0] = ControllerFrame::Header;
    f[1] = 0x13;
    f[2] = CMD_SERVICE;
    f[3] = 0x01;
    const std::uint8_t key =
        static_cast<std::uint8_t>((8 * r + blockIndex - keyWord * baseBlocks) & 0xFF);
    f[4] = key;
    // Each byte is combined with the plain byte before it, the first with the key.
    std::uint8_t c = key;
    for (int k = 0; k < 16; ++k) {
        const std::uint8_t plain = block16[k];
        f[static_cast<std::size_t>(5 + k)] = plain ^ c;
        c = plain;
    }
    std::swap(f[5], f[8]);
    std::swap(f[7], f[14]);
    f[21] = filler;
    f[22] = ControllerFrame::checksum(f.data(), 22);
    return f;
}
