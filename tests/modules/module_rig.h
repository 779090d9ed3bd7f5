#pragma once

#include <cstdint>

#include "tests/support/scripted_instrument.h"
#include "tests/support/updater_rig.h"

namespace kell::testing {

// A session over a channel open on a virtual line to a ScriptedInstrument, with room on the
// overall bar for every module step's share.
struct ModuleRig : UpdaterRig<ScriptedInstrument> {
    explicit ModuleRig(std::int64_t startUs = kMidSecond) : UpdaterRig(startUs) {
        instrument.Speak(instrument.modules);
        ProgressBar_general.SetRange(0, 2000);
    }
};

}  // namespace kell::testing
