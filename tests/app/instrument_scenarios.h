#pragma once

#include "tests/app/scripted_instrument.h"

// The instruments the window's tests meet, by the names the simulator gives them.
namespace kell::testing::scenarios {

// 2.04.00000, FPGA 3.4, plan type 1 version 103, module 162 build 0: nothing to update.
inline InstrumentFacts UpToDate() {
    return {};
}

// 1.89.00000, FPGA 3.3, plan type 1 version 102, module 161: everything to update.
inline InstrumentFacts NeedsFullUpdate() {
    InstrumentFacts f;
    f.firmwareRelease = "1.89";
    f.fpgaMinor = 3;
    f.planVersion = 102;
    f.module.version = 161;
    return f;
}

// The processor answers the probe from its bootstrap mode.
inline InstrumentFacts Bootstrap() {
    InstrumentFacts f;
    f.mode = InstrumentFacts::Mode::Bootstrap;
    return f;
}

// The third state of the probe: the instrument answers but is busy.
inline InstrumentFacts Busy() {
    InstrumentFacts f;
    f.mode = InstrumentFacts::Mode::Busy;
    return f;
}

// Region text "USA": the updater refuses it.
inline InstrumentFacts Usa() {
    InstrumentFacts f = NeedsFullUpdate();
    f.region = "USA";
    return f;
}

// A hardware type the updater does not know.
inline InstrumentFacts UnknownModel() {
    InstrumentFacts f = NeedsFullUpdate();
    f.hardwareType = {0x07, 0x09};
    return f;
}

// A level reading of 16: one too low.
inline InstrumentFacts LowLevel() {
    InstrumentFacts f = NeedsFullUpdate();
    f.level = 16;
    return f;
}

}  // namespace kell::testing::scenarios
