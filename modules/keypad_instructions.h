#pragma once

#include <cstdint>
#include <span>

namespace kell {

// The keypad microcontroller is programmed through the instrument, which asks for each step of
// its programming algorithm by a request code. Most requests are answered with a fixed
// sequence of 3-byte instruction words for the microcontroller's programming interface.
//
// A word is written here as its three bytes read high to low (0x9f82bc is sent 9f 82 bc).
using KeypadWord = std::uint32_t;

// The instruction words answering request `request` (3, 5, 6, 7, 8, 9, 11, 12 or 13), in
// sending order; empty for every other code.
std::span<const KeypadWord> KeypadInstructionTable(int request);

// The whole frame answering request `request` (10, 15 or 22), sent without waiting for
// anything; empty for every other code.
std::span<const std::uint8_t> KeypadFixedFrame(int request);

}  // namespace kell
