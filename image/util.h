#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kell {

// Stateless helpers shared by the HEX reader and the frame builders. The conversions are
// inline: the start-up check runs them on every character of a 4 MB text.
class TUtil {
  public:
    static constexpr int kOk = 0;
    static constexpr int kNotHex = 2;

    // '0'-'9' and 'A'-'F' (upper case only); anything else gives kNotHex and leaves value alone.
    static int HexDigit(char c, std::uint8_t& value) {
        const std::uint8_t digit = kDigitValue[static_cast<unsigned char>(c)];
        if (digit == kNoDigit)
            return kNotHex;
        value = digit;
        return kOk;
    }
    // Two characters, high digit first. The second is not looked at when the first is no digit.
    static int HexByte(const char* text, std::uint8_t& value) {
        const std::uint8_t high = kDigitValue[static_cast<unsigned char>(text[0])];
        if (high == kNoDigit)
            return kNotHex;
        const std::uint8_t low = kDigitValue[static_cast<unsigned char>(text[1])];
        if (low == kNoDigit)
            return kNotHex;
        value = static_cast<std::uint8_t>(high * 16 + low);
        return kOk;
    }
    // Four characters, high byte first.
    static int HexWord(const char* text, std::uint16_t& value) {
        std::uint8_t high = 0, low = 0;
        if (HexByte(text, high) != kOk || HexByte(text + 2, low) != kOk)
            return kNotHex;
        value = static_cast<std::uint16_t>(high * 256 + low);
        return kOk;
    }
    // XOR of count bytes, starting from 0: the check byte of the instrument's frames.
    static std::uint8_t Xor(const std::uint8_t* data, std::size_t count);

  private:
    // The value of each character as a hex digit, kNoDigit where it is none: one look-up per
    // character instead of two comparisons and a branch.
    static constexpr std::uint8_t kNoDigit = 0xFF;
    static constexpr std::array<std::uint8_t, 256> kDigitValue = [] {
        std::array<std::uint8_t, 256> table{};
        table.fill(kNoDigit);
        for (int c = '0'; c <= '9'; ++c)
            table[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c - '0');
        for (int c = 'A'; c <= 'F'; ++c)
            table[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c - 'A' + 10);
        return table;
    }();
};

}  // namespace kell
