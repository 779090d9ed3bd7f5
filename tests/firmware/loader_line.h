#pragma once

#include <cstdint>

#include "tests/firmware/scripted_loader.h"
#include "tests/support/line_rig.h"

namespace kell::test {

// A ScriptedLoader at the far end of the line.
struct LoaderEnd : VirtualWire {
    explicit LoaderEnd(std::int64_t startUs) : VirtualWire(startUs) { line.Attach(&loader); }

    ScriptedLoader loader{clock, line};
};

// A channel open on a virtual line whose far end is a ScriptedLoader, and the link context
// over it with a stop flag of its own.
struct LoaderLine : LineRig<LoaderEnd> {
    explicit LoaderLine(std::uint32_t baud = 115200) : LineRig(kMidSecond, baud) {}
};

}  // namespace kell::test
