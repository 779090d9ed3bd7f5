#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Bytes as the instrument's messages show them.
namespace kell::sim {

inline std::string HexByte(std::uint8_t b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}

inline std::string HexAddress(std::uint32_t a) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", a & 0xFFFFFF);
    return buf;
}

// "01 02 03 " and "... " when there are more than `max`.
inline std::string HexBytes(const std::vector<std::uint8_t>& bytes, std::size_t max = 16) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size() && i < max; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", bytes[i]);
        out += buf;
    }
    if (bytes.size() > max)
        out += "... ";
    return out;
}

// The frames' check byte: the XOR of the covered bytes, starting from 0.
inline std::uint8_t XorOf(const std::vector<std::uint8_t>& bytes, std::size_t first,
                          std::size_t end) {
    std::uint8_t x = 0;
    for (std::size_t i = first; i < end && i < bytes.size(); ++i)
        x ^= bytes[i];
    return x;
}

}  // namespace kell::sim
