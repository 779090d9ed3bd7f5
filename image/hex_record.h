#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kell {

// One Intel HEX record as ReadRecord hands it out. The caller owns it.
struct HexRecord {
    static constexpr std::size_t kMaxData = 255;

    std::uint8_t count = 0;     // number of data bytes
    std::uint16_t address = 0;  // load offset, high byte written first
    std::uint8_t type = 0;      // record type as written
    std::array<std::uint8_t, kMaxData> data{};
};

// Record types that occur in the firmware texts.
inline constexpr std::uint8_t kHexData = 0x00;
inline constexpr std::uint8_t kHexEndOfFile = 0x01;
inline constexpr std::uint8_t kHexExtendedLinearAddress = 0x04;

// Result codes of TInterprete_hex::ReadRecord. 2 is the digit conversion's own code and is
// never returned.
inline constexpr int kHexRecordOk = 0;
inline constexpr int kHexNoColon = 1;
inline constexpr int kHexBadFormat = 3;
inline constexpr int kHexBadChecksum = 4;
inline constexpr int kHexTextEnd = 5;

// The flash bank byte of an extended-linear-address record: its second data byte (the upper
// address, bits 16 to 23) plus 0xAB, so upper address 0x0002 gives 0xAD and 0x0018 gives 0xC3.
constexpr std::uint8_t BankByte(std::uint8_t upperAddress) {
    return static_cast<std::uint8_t>(upperAddress + 0xAB);
}

}  // namespace kell
