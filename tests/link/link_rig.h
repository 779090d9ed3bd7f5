#pragma once

#include <cstdint>

#include "tests/link/scripted_far_end.h"
#include "tests/support/line_rig.h"

namespace kell::test {

// A ScriptedFarEnd at the far end of the line.
struct ScriptedEnd : VirtualWire {
    explicit ScriptedEnd(std::int64_t startUs) : VirtualWire(startUs) { line.Attach(&farEnd); }

    ScriptedFarEnd farEnd{clock, line};
};

// A channel open on a virtual line whose far end is a ScriptedFarEnd, and the context the
// exchanges run in.
using LinkRig = LineRig<ScriptedEnd>;

}  // namespace kell::test
