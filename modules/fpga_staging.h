#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/link_context.h"
#include "platform/controls.h"

namespace kell {

// The commands around the FPGA set's transfer: the erase of the staging area before it, the
// commit that copies the staging area into flash after it, and the closing command.

// The staging area begins at bank 0xDB; image offset X goes to bank 0xDB + (X >> 16).
inline constexpr std::uint8_t kFpgaStagingBank = 0xDB;
// Flash sector of the set's first byte (image offset 0).
inline constexpr int kFpgaFlashSector = 48;
// The commit's status bytes take as long as the main firmware's at most.
inline constexpr std::int64_t kFpgaCommitLimitSeconds = 10 * 60;

// 07 03 DB end XOR: erase of the staging banks that an image of `imageLength` bytes needs.
std::array<std::uint8_t, 5> FpgaEraseFrame(std::size_t imageLength);
// 09 41, 64 sector flags (48 to 48 + (imageLength >> 16) set), XOR of all but the first byte.
std::array<std::uint8_t, 67> FpgaCommitFrame(std::size_t imageLength);

// Erases the staging area, up to five tries, showing "Borrando mem." on `status`. True when
// the instrument answered 'p' in time.
bool EraseFpgaStaging(LinkContext& link, std::size_t imageLength, Label& status);

// Orders the copy of the staged set into flash and follows the instrument's status bytes,
// showing what it does on `status`. False on an unexpected status byte before the copy has
// started, or when it has not finished within kFpgaCommitLimitSeconds of the order; both beep.
bool CommitFpgaSet(LinkContext& link, std::size_t imageLength, Label& status);

}  // namespace kell
