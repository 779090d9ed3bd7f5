#pragma once

#include <cstdint>

#include "tests/firmware/scripted_loader.h"
#include "tests/support/line_rig.h"

namespace kell::testing {

// A channel open on a virtual line whose far end is a ScriptedLoader, and the link context
// over it with a stop flag of its own.
struct LoaderLine : LineRig<ScriptedLoader> {
    explicit LoaderLine(std::uint32_t baud = 115200) : LineRig(kMidSecond, baud) {}

    ScriptedLoader& loader = instrument;
};

}  // namespace kell::testing
