#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "app/texts.h"
#include "sim/instrument.h"
#include "sim/named_scenarios.h"

namespace kell::testing {

// The data records of the embedded main firmware, by 64 KiB segment: each byte of a segment,
// or -1 where no record puts one. Decoded here on its own, so that a fault in the program's
// reader cannot hide itself.
using FirmwareSegments = std::map<std::uint8_t, std::vector<std::int16_t>>;
const FirmwareSegments& EmbeddedFirmwareSegments();

// Whether the instrument's flash holds every byte of the embedded firmware, apart from the
// region text (the instrument's own) and the plan page (what the plans step decided). Returns
// how many bytes were compared, or the first mismatch in `mismatch`.
std::size_t CompareFirmwareInFlash(const sim::Instrument& instrument, std::string& mismatch);

// Checks that the embedded firmware, the module's images and the FPGA set are in.
void ExpectFirmwareInstalled(const sim::Instrument& instrument);

// The step texts "Step: 1/4" ... "Step: 4/4" of a session of `total` steps.
std::vector<std::string> StepTexts(const LocalisedTexts& texts, int total);

// Whether the PC asked the instrument's loader for another line speed.
bool SpeedChangeAsked(const sim::Instrument& instrument);

// The sectors erased one by one through the loader (0x5B frames of length 0), in order.
std::vector<std::uint8_t> SectorsErasedByLoader(const sim::Instrument& instrument);

// Only the main firmware is old; the plan brings the FPGA, zone and module steps with it.
inline sim::Scenario OldFirmwareOnly() {
    sim::Scenario s = sim::scenarios::UpToDate();
    s.name = "old-firmware";
    s.firmwareRelease = "1.89";
    return s;
}

inline bool Erased(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) {
        if (b != 0xFF)
            return false;
    }
    return true;
}

inline std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> s) {
    return {s.begin(), s.end()};
}

}  // namespace kell::testing
