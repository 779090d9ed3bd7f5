// The placeholder loader blocks, FPGA bitstreams and MPEG4 module images: filler bytes behind
// the few bytes the updater and the instrument look at.
#include <algorithm>
#include <cstring>

#include "payloads/generator/byte_source.h"
#include "payloads/generator/generated_payloads.h"

namespace kell::payloads {
namespace {

// The application image's own header: a name, its length and the header's length.
constexpr char kMpeg4Magic[16] = "KELL MPEG4 APPL";
constexpr std::size_t kMpeg4HeaderLength = 32;

void Put32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace

std::uint64_t SeedOf(PayloadKind kind, int index) {
    return 0x4B454C4C00000000ull ^ (static_cast<std::uint64_t>(kind) << 8) ^
           static_cast<std::uint64_t>(index);
}

std::vector<std::uint8_t> GenerateBinaryImage(const PayloadFile& file) {
    std::vector<std::uint8_t> image(file.length);
    ByteSource bytes(SeedOf(file.kind, file.index));
    bytes.Fill(image);
    if (file.kind == PayloadKind::kFpgaBitstream) {
        std::fill_n(image.begin(), kFpgaPreambleLength, std::uint8_t{0xFF});
        image[kFpgaPreambleLength] = kFpgaSyncByte;
    } else if (file.kind == PayloadKind::kMpeg4Application) {
        std::fill_n(image.begin(), kMpeg4HeaderLength, std::uint8_t{0});
        std::memcpy(image.data(), kMpeg4Magic, sizeof kMpeg4Magic);
        Put32(image.data() + 16, static_cast<std::uint32_t>(file.length));
        Put32(image.data() + 20, kMpeg4HeaderLength);
    } else if (file.kind == PayloadKind::kMpeg4SecondImage) {
        std::fill_n(image.begin(), kMpeg4SecondImageZeroBytes, std::uint8_t{0});
    }
    return image;
}

}  // namespace kell::payloads
