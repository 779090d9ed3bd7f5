#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace kell::sim {

// The instruction words the keypad microcontroller's programming sequences are made of, as the
// instrument expects them for each request code. Each word travels as 0xBC, 0x03 and its three
// bytes in the order written; the table of request 10 is the single two-byte word 00 1F.
using KeypadWord = std::array<std::uint8_t, 3>;

// The table that answers request `code`; empty for a code that is answered by no table.
const std::vector<KeypadWord>& KeypadTable(std::uint8_t code);

}  // namespace kell::sim
