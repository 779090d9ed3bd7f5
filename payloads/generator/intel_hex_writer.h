#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kell::payloads {

// Writes Intel HEX records, one CR LF line each, with the checksum worked out.
class IntelHexWriter {
  public:
    enum class Digits { kUpper, kLower };

    explicit IntelHexWriter(Digits digits) : digits_(digits) {}

    void Record(std::uint8_t type, std::uint16_t address, std::span<const std::uint8_t> data);
    void Data(std::uint16_t address, std::span<const std::uint8_t> data) {
        Record(0x00, address, data);
    }
    void ExtendedLinearAddress(std::uint16_t upper);
    void EndOfFile() { Record(0x01, 0, {}); }

    std::size_t size() const { return text_.size(); }
    std::vector<std::uint8_t> Take() { return std::move(text_); }

    // The characters of a record carrying n data bytes, CR LF included.
    static constexpr std::size_t LineLength(std::size_t n) { return 13 + 2 * n; }

  private:
    void Byte(std::uint8_t value);

    Digits digits_;
    std::vector<std::uint8_t> text_;
};

}  // namespace kell::payloads
