#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "link/link_context.h"

namespace kell {

// How one sender's blocks differ from the main flash's; everything else is shared.
struct BlockRules {
    // Banks below 0x80 are not this sender's to write: such a block is not sent and counts as
    // accepted.
    bool skipBanksBelow0x80 = false;
    // When the stop flag is seen while the first answer is awaited, pause 300 ms before failing
    // (so that the instrument has finished with the block); otherwise fail at once.
    bool pauseOnStop = true;
};

inline constexpr BlockRules kMainFlashBlocks{false, true};
inline constexpr BlockRules kFpgaBlocks{false, true};
inline constexpr BlockRules kMpeg4Blocks{true, true};
inline constexpr BlockRules kGraphicsBlocks{true, false};

// What one block frame can carry (its length byte counts the data plus four).
inline constexpr std::size_t kMaxBlockData = 251;

// Sends one 0x03 flash block of 1 to 251 bytes to `address` in `bank` and waits for the
// loader's '0'. A missing or wrong answer makes the loader resynchronise (fillers until it
// answers '?' or 'f') and the block is sent once more. True when accepted. A failed
// resynchronisation or resend beeps; the stop flag fails the block without a beep. A block the
// frame cannot carry is refused without sending anything.
bool SendBlock(LinkContext& link, std::uint8_t bank, std::uint16_t address,
               std::span<const std::uint8_t> data, const BlockRules& rules = kMainFlashBlocks);

}  // namespace kell
