// The placeholder keypad firmware in the fixed line layout the keypad programmer walks: 256
// program records of 64 bytes, the security area and its record, the checksum area and its
// record, the end-of-file record.
#include <array>

#include "payloads/generator/byte_source.h"
#include "payloads/generator/generated_payloads.h"
#include "payloads/generator/intel_hex_writer.h"

namespace kell::payloads {
namespace {

constexpr std::size_t kBlockBytes = 64;
constexpr std::size_t kProgramRecords = 256;
constexpr std::uint16_t kSecurityArea = 0x0010;
constexpr std::uint16_t kChecksumArea = 0x0020;

}  // namespace

std::vector<std::uint8_t> GenerateKeypadHex() {
    ByteSource bytes(SeedOf(PayloadKind::kKeypadHex, 0));
    IntelHexWriter hex(IntelHexWriter::Digits::kLower);
    unsigned checksum = 0;
    std::array<std::uint8_t, kBlockBytes> block{};
    for (std::size_t i = 0; i < kProgramRecords; ++i) {
        // 14-bit instruction words, low byte first, as a small microcontroller stores them.
        for (std::size_t k = 0; k < kBlockBytes; k += 2) {
            block[k] = bytes.Next();
            block[k + 1] = bytes.Next() & 0x3F;
        }
        for (std::uint8_t b : block) {
            checksum += b;
        }
        hex.Data(static_cast<std::uint16_t>(i * kBlockBytes), block);
    }
    hex.ExtendedLinearAddress(kSecurityArea);
    block.fill(0xFF);
    bytes.Fill({block.data(), 8});
    hex.Data(0x0000, block);
    hex.ExtendedLinearAddress(kChecksumArea);
    const std::uint8_t sum[] = {static_cast<std::uint8_t>(checksum >> 8),
                                static_cast<std::uint8_t>(checksum)};
    hex.Data(0x0000, sum);
    hex.EndOfFile();
    return hex.Take();
}

}  // namespace kell::payloads
