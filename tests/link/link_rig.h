#pragma once

#include "tests/link/scripted_far_end.h"
#include "tests/support/line_rig.h"

namespace kell::testing {

// A channel open on a virtual line whose far end is a ScriptedFarEnd, and the context the
// exchanges run in.
struct LinkRig : LineRig<ScriptedFarEnd> {
    using LineRig::LineRig;

    ScriptedFarEnd& farEnd = instrument;
};

}  // namespace kell::testing
