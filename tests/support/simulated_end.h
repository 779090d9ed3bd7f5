#pragma once

#include <cstdint>

#include "sim/instrument.h"
#include "tests/support/line_rig.h"

namespace kell::test {

// The simulated instrument, in its default scenario, at the far end of the line. Link kell_sim
// with the tests that use it.
struct SimulatedEnd : VirtualWire {
    explicit SimulatedEnd(std::int64_t startUs) : VirtualWire(startUs) { line.Attach(&instrument); }

    sim::Instrument instrument{clock, clock, line, sim::Scenario{}};
};

}  // namespace kell::test
