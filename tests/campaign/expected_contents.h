#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/instrument.h"

namespace kell::testing {

// The components an update session set out to bring up to date (the window's marks once its
// questions were answered).
struct UpdatedComponents {
    bool keypad = false;
    bool plans = false;
    bool zone = false;
    bool fpga = false;
    bool firmware = false;
    bool module = false;
};

// What the instrument really is, where the program's view of it could be wrong.
struct InstrumentTruth {
    int planType = 1;
    bool threeFpgaConfigurations = true;
};

// The parameter-store areas the configuration records live in, as one instrument holds them.
struct EepromSnapshot {
    std::vector<std::uint8_t> r8, w3, q9;
    bool operator==(const EepromSnapshot&) const = default;
};
EepromSnapshot TakeEepromSnapshot(const sim::Instrument& instrument);

// Where the instrument does not hold what the program carries for each updated component: one
// line per difference, none when it holds all of it. The records of the parameter store are
// compared with `records`, what a session without faults left in the same instrument.
std::vector<std::string> Differences(const sim::Instrument& instrument,
                                     const UpdatedComponents& updated, const InstrumentTruth& truth,
                                     const EepromSnapshot& records);

}  // namespace kell::testing
