#include "payloads/generator/intel_hex_writer.h"

namespace kell::payloads {

void IntelHexWriter::Record(std::uint8_t type, std::uint16_t address,
                            std::span<const std::uint8_t> data) {
    const auto count = static_cast<std::uint8_t>(data.size());
    const auto high = static_cast<std::uint8_t>(address >> 8);
    const auto low = static_cast<std::uint8_t>(address);
    unsigned sum = count + high + low + type;
    text_.push_back(':');
    Byte(count);
    Byte(high);
    Byte(low);
    Byte(type);
    for (std::uint8_t b : data) {
        Byte(b);
        sum += b;
    }
    Byte(static_cast<std::uint8_t>(0x100 - sum % 0x100));
    text_.push_back('\r');
    text_.push_back('\n');
}

void IntelHexWriter::ExtendedLinearAddress(std::uint16_t upper) {
    const std::uint8_t data[] = {static_cast<std::uint8_t>(upper >> 8),
                                 static_cast<std::uint8_t>(upper)};
    Record(0x04, 0, data);
}

void IntelHexWriter::Byte(std::uint8_t value) {
    const char* digits = digits_ == Digits::kUpper ? "0123456789ABCDEF" : "0123456789abcdef";
    text_.push_back(static_cast<std::uint8_t>(digits[value >> 4]));
    text_.push_back(static_cast<std::uint8_t>(digits[value & 0x0F]));
}

}  // namespace kell::payloads
