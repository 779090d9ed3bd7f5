#include "image/util.h"

namespace kell {

int TUtil::HexDigit(char c, std::uint8_t& value) {
    if (c >= '0' && c <= '9') {
        value = static_cast<std::uint8_t>(c - '0');
        return kOk;
    }
    if (c >= 'A' && c <= 'F') {
        value = static_cast<std::uint8_t>(c - 'A' + 10);
        return kOk;
    }
    return kNotHex;
}

int TUtil::HexByte(const char* text, std::uint8_t& value) {
    std::uint8_t high = 0, low = 0;
    if (HexDigit(text[0], high) != kOk || HexDigit(text[1], low) != kOk)
        return kNotHex;
    value = static_cast<std::uint8_t>(high * 16 + low);
    return kOk;
}

int TUtil::HexWord(const char* text, std::uint16_t& value) {
    std::uint8_t high = 0, low = 0;
    if (HexByte(text, high) != kOk || HexByte(text + 2, low) != kOk)
        return kNotHex;
    value = static_cast<std::uint16_t>(high * 256 + low);
    return kOk;
}

std::uint8_t TUtil::Xor(const std::uint8_t* data, std::size_t count) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < count; ++i)
        x ^= data[i];
    return x;
}

}  // namespace kell
