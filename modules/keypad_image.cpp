#include "modules/keypad_image.h"

#include <algorithm>

#include "payloads/payloads.h"

namespace kell {

namespace {

std::uint8_t Nibble(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint8_t>(c - 'a' + 10);
    return 0;
}

}  // namespace

KeypadImageCursor::KeypadImageCursor(std::span<const std::uint8_t> image)
    : text_(reinterpret_cast<const char*>(image.data()),
            std::min(image.size(), payloads::kKeypadHexLength)) {}

std::optional<std::string_view> KeypadImageCursor::Take(std::size_t n) {
    if (n > text_.size() - position_)
        return std::nullopt;
    const std::string_view taken = text_.substr(position_, n);
    position_ += static_cast<std::uint32_t>(n);
    return taken;
}

std::vector<std::uint8_t> KeypadHexToBytes(std::string_view digits) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(digits.size() / 2);
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(Nibble(digits[i]) << 4 | Nibble(digits[i + 1])));
    return bytes;
}

}  // namespace kell
