#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "sim/instrument.h"

namespace kell::testing {

// The data records of the embedded main firmware, by 24-bit address: decoded here on its own,
// so that a fault in the program's reader cannot hide itself.
const std::map<std::uint32_t, std::uint8_t>& EmbeddedFirmwareBytes();

// Whether the instrument's flash holds every byte of the embedded firmware, apart from the
// region text (the instrument's own) and the plan page (what the plans step decided). Returns
// how many bytes were compared, or the first mismatch in `mismatch`.
std::size_t CompareFirmwareInFlash(const sim::Instrument& instrument, std::string& mismatch);

// Whether the PC asked the instrument's loader for another line speed.
bool SpeedChangeAsked(const sim::Instrument& instrument);

// The sectors erased one by one through the loader (0x5B frames of length 0), in order.
std::vector<std::uint8_t> SectorsErasedByLoader(const sim::Instrument& instrument);

inline std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> s) {
    return {s.begin(), s.end()};
}

}  // namespace kell::testing
