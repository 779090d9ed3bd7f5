#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "payloads/payloads.h"

namespace kell::testing {

inline constexpr std::size_t kThreeFpgaSetLength = 274096;
inline constexpr std::size_t kTwoFpgaSetLength = 185397;

// The FPGA set as the instrument's firmware expects it, written out by hand from its layout, so
// that a fault in the program's own builder cannot hide itself.
inline std::vector<std::uint8_t> ExpectedFpgaSet(int count) {
    const std::size_t starts[3] = {258, 92370, 185398};
    const std::vector<std::uint8_t> entries[3] = {
        {0x00, 0x00, 0x67, 0x01, 0xCF, 0x30, 0x02, 0x01, 0x04, 0x03, 0, 0, 0, 0, 0xFF, 0xFF},
        {0x01, 0x00, 0x6B, 0x01, 0x63, 0x31, 0xD2, 0x68, 0x04, 0x03, 0, 0, 0, 0, 0xFF, 0xFF},
        {0x02, 0x00, 0x5A, 0x01, 0x7A, 0x32, 0x36, 0xD4, 0x04, 0x03, 0, 0, 0, 0, 0xFF, 0xFF}};
    std::vector<std::uint8_t> image(count == 3 ? kThreeFpgaSetLength : kTwoFpgaSetLength, 0xFF);
    image[0] = static_cast<std::uint8_t>(count);
    image[1] = 0;
    for (int i = 0; i < count; ++i) {
        std::copy(entries[i].begin(), entries[i].end(), image.begin() + 2 + 16 * i);
        const auto bitstream = payloads::FpgaBitstream(i);
        std::copy(bitstream.begin(), bitstream.end(), image.begin() + starts[i]);
    }
    return image;
}

}  // namespace kell::testing
