#pragma once

#include <cstdint>

#include "tests/modules/scripted_instrument.h"
#include "tests/support/session_rig.h"

namespace kell::test {

// A session over a channel open on a virtual line to a ScriptedInstrument, with room on the
// overall bar for every module step's share.
struct ModuleRig : SessionRig<InstrumentEnd<ScriptedInstrument>> {
    explicit ModuleRig(std::int64_t startUs = kMidSecond) : SessionRig(startUs) {
        ProgressBar_general.SetRange(0, 2000);
    }
};

}  // namespace kell::test
