#pragma once

#include <cstdint>
#include <span>

#include "config/record_writer.h"

namespace kell {

// Satellite band frequencies by zone number. The tables are kept in kHz; the records carry
// them in MHz.
std::span<const std::uint32_t, 8> EightBandTableKHz(int zone);
std::span<const std::uint32_t, 32> UserBandTableKHz(int zone);

// Writes each frequency as a 16-bit number of MHz.
void WriteFrequenciesMHz(RecordWriter& writer, std::span<const std::uint32_t> kHz);

}  // namespace kell
