#pragma once

#include <string>
#include <vector>

#include "sim/scenario.h"

// The instruments the tests, benchmarks and the demo meet most. Each also ships as a JSON file
// in sim/scenarios/ under its name, with the same content.
namespace kell::sim::scenarios {

// 2.04.00000, FPGA 3.4, plan type 1 version 103, module 162 build 0: nothing to update.
Scenario UpToDate();
// 1.89.00000, FPGA 3.3, plan type 1 version 102, module 161: everything to update.
Scenario NeedsFullUpdate();
// The processor answers the probe from its bootstrap mode and waits for the loader.
Scenario Bootstrap();
// Region text "USA": the updater refuses it.
Scenario Usa();
// A hardware type the updater does not know.
Scenario UnknownModel();
// A level reading of 16: one too low.
Scenario LowLevel();
// Plan type 0 holding the old plan 111 (the program carries 112).
Scenario PlanTypeZeroOldPlan();

struct Named {
    std::string fileName;  // in sim/scenarios/
    Scenario (*make)();
};
const std::vector<Named>& All();

}  // namespace kell::sim::scenarios
