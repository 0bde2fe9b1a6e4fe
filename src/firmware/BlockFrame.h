#pragma once

#include <array>
#include <cstdint>

// The 23-byte frame that carries one 16-byte block to the boot loader: 55 13 54 01, the key
// byte K, the block chained with K and shuffled, a filler byte and the checksum.
// K = (8 * r + blockIndex - keyWord * baseBlocks) mod 256 with r in 0..31, so the loader can
// check (K - blockIndex + keyWord * baseBlocks) mod 8 == 0.
using BlockFrameBytes = std::array<std::uint8_t, 23>;

BlockFrameBytes BuildBlockFrame(const std::uint8_t* block16, int blockIndex, int keyWord,
                                int baseBlocks, int r, std::uint8_t filler);
