#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kell {

// The FPGA configuration set as the instrument's firmware reads it: a 2-byte count, a directory
// of 16 entries, then the bitstreams. The set is assembled on the PC, staged from bank 0xDB on
// and copied into flash from sector 48.
inline constexpr std::size_t kFpgaImageBufferSize = 0x200000;
inline constexpr int kFpgaDirectoryEntries = 16;
inline constexpr std::size_t kFpgaDirectoryEntrySize = 16;
inline constexpr std::size_t kFpgaFirstBitstreamOffset = 2 + kFpgaDirectoryEntries * 16;
inline constexpr std::uint8_t kFpgaFirstSector = 0x30;
// Version of the embedded set (3.4), carried in every directory entry.
inline constexpr std::uint8_t kFpgaSetVersionMajor = 3;
inline constexpr std::uint8_t kFpgaSetVersionMinor = 4;
// How much of a configuration's description a directory entry carries.
inline constexpr std::size_t kFpgaEntryDescriptionLength = 4;

struct FpgaConfiguration {
    std::span<const std::uint8_t> bitstream;
    std::string_view description;
};

// Writes the 16-byte directory entry of configuration `index`, whose bitstream is `size` bytes
// long and starts at image offset `start`. The byte orders of size and start differ, as the
// instrument's firmware reads them.
void WriteFpgaDirectoryEntry(std::span<std::uint8_t, kFpgaDirectoryEntrySize> entry, int index,
                             std::uint32_t size, std::uint32_t start, std::string_view description);

// Fills `image` with 0xFF and lays out the set: count, directory, and each bitstream at an even
// offset (one 0xFF pad after an odd end). Returns the image length (the end of the last
// bitstream, not rounded), or 0 when there are more configurations than the directory holds or
// the set does not fit into `image`.
std::size_t AssembleFpgaSet(std::span<std::uint8_t> image,
                            std::span<const FpgaConfiguration> configurations);

}  // namespace kell
