#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kell {

// The keypad firmware is Intel HEX text with a fixed layout, read strictly as a stream of
// characters from its start: no address is used and no record checksum is checked. The
// cursor never reads beyond the image's fixed length, even when given a longer buffer.
class KeypadImageCursor {
  public:
    explicit KeypadImageCursor(std::span<const std::uint8_t> image);

    // The next n characters, moving past them. When fewer than n are left it takes nothing,
    // leaves the position where it was and returns nullopt.
    std::optional<std::string_view> Take(std::size_t n);
    void Rewind() { position_ = 0; }
    // Characters consumed so far.
    std::uint32_t Position() const { return position_; }
    std::size_t Length() const { return text_.size(); }

  private:
    std::string_view text_;
    std::uint32_t position_ = 0;
};

// Hexadecimal digit pairs, high digit first, to bytes. Only '0'-'9' and 'a'-'f' are digits (the
// image is lower case); any other character counts as 0 in its nibble. An odd last digit is
// ignored.
std::vector<std::uint8_t> KeypadHexToBytes(std::string_view digits);

}  // namespace kell
