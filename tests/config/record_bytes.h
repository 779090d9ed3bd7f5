#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <utility>
#include <vector>

#include "tests/support/bytes.h"

// Small readers for the tests' expectations; written apart from the builders on purpose.
namespace kell::testing {

inline Bytes Head(std::span<const std::uint8_t> area, std::size_t count) {
    return Bytes(area.begin(), area.begin() + static_cast<std::ptrdiff_t>(count));
}

inline unsigned WordAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return bytes[offset] | (bytes[offset + 1] << 8);
}

inline int SignedWordAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::int16_t>(WordAt(bytes, offset));
}

// The record with some bytes replaced and its check byte (the last) made good again.
inline Bytes Patched(Bytes record,
                     std::initializer_list<std::pair<std::size_t, std::uint8_t>> patches) {
    for (const auto& [offset, value] : patches)
        record.at(offset) = value;
    const std::size_t last = record.size() - 1;
    record[last] = XorOf(std::span(record.data(), last));
    return record;
}

// The record without count bytes at offset, with its new length in byte 1 and its check byte
// made good again.
inline Bytes Without(Bytes record, std::size_t offset, std::size_t count) {
    record.erase(record.begin() + static_cast<std::ptrdiff_t>(offset),
                 record.begin() + static_cast<std::ptrdiff_t>(offset + count));
    return Patched(record, {{1, static_cast<std::uint8_t>(record.size())}});
}

}  // namespace kell::testing
