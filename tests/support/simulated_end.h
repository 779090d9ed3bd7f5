#pragma once

#include <utility>

#include "sim/instrument.h"
#include "tests/support/virtual_world.h"

namespace kell::testing {

// The simulated instrument (in its default scenario unless given one), built as a world builds
// its far ends. Link kell_sim with the tests that use it.
struct SimulatedEnd : sim::Instrument {
    SimulatedEnd(VirtualClock& clock, DevicePort& port, sim::Scenario scenario = {})
        : sim::Instrument(clock, clock, port, std::move(scenario)) {}
};

}  // namespace kell::testing
