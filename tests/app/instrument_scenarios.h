#pragma once

#include "tests/support/scripted_instrument.h"

// The scripted instruments of the search and connection tests, by the names the simulator
// gives them; identification and the gate run against the simulator itself.
namespace kell::testing::scenarios {

// 2.04.00000, FPGA 3.4, plan type 1 version 103, module 162 build 0: nothing to update.
inline IdentityFacts UpToDate() {
    return {};
}

// The processor answers the probe from its bootstrap mode.
inline IdentityFacts Bootstrap() {
    IdentityFacts f;
    f.mode = IdentityFacts::Mode::Bootstrap;
    return f;
}

// The third state of the probe: the instrument answers but is busy.
inline IdentityFacts Busy() {
    IdentityFacts f;
    f.mode = IdentityFacts::Mode::Busy;
    return f;
}

}  // namespace kell::testing::scenarios
