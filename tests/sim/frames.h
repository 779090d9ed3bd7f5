#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/bytes.h"

// Frames as the PC sends them, built by hand from the protocol for the simulator's tests.
namespace kell::testing {

inline std::uint8_t Xor(const Bytes& b, std::size_t first, std::size_t end) {
    return XorOf(std::span(b).subspan(first, end - first));
}

// Appends byte by byte (GCC 12 warns falsely about vector::insert of small vectors).
inline void Append(Bytes& to, const Bytes& from) {
    to.reserve(to.size() + from.size() + 1);
    for (std::uint8_t b : from)
        to.push_back(b);
}

inline Bytes ReadWords(std::uint8_t function, std::uint16_t address, std::uint8_t length) {
    return {0x01, function, static_cast<std::uint8_t>(address),
            static_cast<std::uint8_t>(address >> 8), length};
}

inline Bytes ReadParameter(std::uint16_t id) {
    return {0x01, 0x42, static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8),
            0x04, 0x00};
}

inline Bytes Block(std::uint8_t bank, std::uint16_t address, const Bytes& data) {
    Bytes f = {0x03, static_cast<std::uint8_t>(data.size() + 4), static_cast<std::uint8_t>(address),
               static_cast<std::uint8_t>(address >> 8), bank};
    Append(f, data);
    f.push_back(Xor(f, 1, f.size()));
    return f;
}

inline Bytes StagingErase(std::uint8_t first, std::uint8_t last) {
    return {0x07, 0x03, first, last, static_cast<std::uint8_t>(0x03 ^ first ^ last)};
}

inline Bytes Commit(const std::vector<int>& pages) {
    Bytes f(67, 0x00);
    f[0] = 0x09;
    f[1] = 0x41;
    for (int p : pages)
        f[2 + p] = 1;
    f[66] = Xor(f, 1, 66);
    return f;
}

inline Bytes Buffer(std::uint32_t address, const Bytes& data128) {
    Bytes f = {0x5A, static_cast<std::uint8_t>(address >> 16),
               static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    Append(f, data128);
    f.resize(132, 0x00);
    f.push_back(Xor(f, 1, 132));
    return f;
}

inline Bytes Sector(std::uint32_t length, std::uint8_t sector, std::uint8_t dataXor) {
    Bytes f = {0x5B,
               0,
               0,
               0,
               static_cast<std::uint8_t>(length >> 16),
               static_cast<std::uint8_t>(length >> 8),
               static_cast<std::uint8_t>(length),
               sector,
               0,
               0,
               dataXor};
    f.push_back(Xor(f, 1, 11));
    return f;
}

inline Bytes Call(std::uint8_t selector, std::uint16_t word, const Bytes& data) {
    Bytes f = {0x02, static_cast<std::uint8_t>(data.size() + 3), selector,
               static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8)};
    Append(f, data);
    return f;
}

inline Bytes Eeprom(char letter, std::uint8_t bank, std::uint16_t address, const Bytes& data) {
    Bytes f = {0x02,
               static_cast<std::uint8_t>(data.size() + 5),
               'P',
               static_cast<std::uint8_t>(letter),
               bank,
               static_cast<std::uint8_t>(address >> 8),
               static_cast<std::uint8_t>(address)};
    Append(f, data);
    return f;
}

inline Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

}  // namespace kell::testing
