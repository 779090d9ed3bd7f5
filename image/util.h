#pragma once

#include <cstddef>
#include <cstdint>

namespace kell {

// Stateless helpers shared by the HEX reader and the frame builders.
class TUtil {
  public:
    static constexpr int kOk = 0;
    static constexpr int kNotHex = 2;

    // '0'-'9' and 'A'-'F' (upper case only); anything else gives kNotHex and leaves value alone.
    static int HexDigit(char c, std::uint8_t& value);
    // Two characters, high digit first.
    static int HexByte(const char* text, std::uint8_t& value);
    // Four characters, high byte first.
    static int HexWord(const char* text, std::uint16_t& value);
    // XOR of count bytes, starting from 0: the check byte of the instrument's frames.
    static std::uint8_t Xor(const std::uint8_t* data, std::size_t count);
};

}  // namespace kell
