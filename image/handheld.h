#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kell {

// Where the firmware text lives: the address of its first character and its length. The text
// itself is not owned; it lives as long as the program (the embedded payload) or the test.
class THandheld {
  public:
    explicit THandheld(std::span<const std::uint8_t> text) : text_(text) {}

    const std::uint8_t* Text() const { return text_.data(); }
    std::size_t Length() const { return text_.size(); }

  private:
    std::span<const std::uint8_t> text_;
};

}  // namespace kell
