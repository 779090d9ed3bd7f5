#pragma once

#include <cstdint>
#include <span>

namespace kell {

// The signed 16-bit values of an installation profile, in record order: 96 of them, 90 for a
// USA unit.
std::span<const std::int16_t> ProfileValues(int profile, bool usaUnit);

// Positions (counted from 1) of the USA list that the profile leaves unwritten: the pair 0, 0
// there keeps what the area holds, zero in a fresh area.
constexpr bool IsUnwrittenUsaPosition(int position) {
    return position == 41 || position == 42;
}

}  // namespace kell
