#include "modules/fpga_set_image.h"

#include <algorithm>
#include <cstring>

namespace kell {

void WriteFpgaDirectoryEntry(std::span<std::uint8_t, kFpgaDirectoryEntrySize> entry, int index,
                             std::uint32_t size, std::uint32_t start,
                             std::string_view description) {
    entry[0] = static_cast<std::uint8_t>(index & 0xFF);
    entry[1] = static_cast<std::uint8_t>((index >> 8) & 0xFF);
    entry[2] = static_cast<std::uint8_t>(size >> 8);
    entry[3] = static_cast<std::uint8_t>(size >> 16);
    entry[4] = static_cast<std::uint8_t>(size);
    entry[5] = static_cast<std::uint8_t>(kFpgaFirstSector + (start >> 16));
    entry[6] = static_cast<std::uint8_t>(start);
    entry[7] = static_cast<std::uint8_t>(start >> 8);
    entry[8] = kFpgaSetVersionMinor;
    entry[9] = kFpgaSetVersionMajor;
    const std::size_t shown = std::min(description.size(), kFpgaEntryDescriptionLength);
    std::fill(entry.begin() + 10, entry.begin() + 14, std::uint8_t{0});
    std::memcpy(entry.data() + 10, description.data(), shown);
    entry[14] = 0xFF;
    entry[15] = 0xFF;
}

std::size_t AssembleFpgaSet(std::span<std::uint8_t> image,
                            std::span<const FpgaConfiguration> configurations) {
    std::fill(image.begin(), image.end(), std::uint8_t{0xFF});
    const std::size_t count = configurations.size();
    if (count > static_cast<std::size_t>(kFpgaDirectoryEntries) ||
        image.size() < kFpgaFirstBitstreamOffset)
        return 0;
    image[0] = static_cast<std::uint8_t>(count);
    image[1] = static_cast<std::uint8_t>(count >> 8);

    std::size_t nextStart = kFpgaFirstBitstreamOffset;
    std::size_t length = nextStart;
    for (std::size_t i = 0; i < count; ++i) {
        const std::span<const std::uint8_t> bitstream = configurations[i].bitstream;
        if (bitstream.size() > image.size() - nextStart)
            return 0;
        WriteFpgaDirectoryEntry(
            image.subspan(2 + kFpgaDirectoryEntrySize * i).first<kFpgaDirectoryEntrySize>(),
            static_cast<int>(i), static_cast<std::uint32_t>(bitstream.size()),
            static_cast<std::uint32_t>(nextStart), configurations[i].description);
        std::copy(bitstream.begin(), bitstream.end(), image.begin() + nextStart);
        length = nextStart + bitstream.size();
        nextStart = length + (length & 1);
    }
    return length;
}

}  // namespace kell
