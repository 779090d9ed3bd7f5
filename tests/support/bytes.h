#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kell::testing {

// Bytes as a test writes them out and compares them.
using Bytes = std::vector<std::uint8_t>;

// The XOR of the bytes: the check byte of the instrument's frames and records.
inline std::uint8_t XorOf(std::span<const std::uint8_t> bytes) {
    std::uint8_t x = 0;
    for (std::uint8_t b : bytes)
        x ^= b;
    return x;
}

}  // namespace kell::testing
