#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/scenario.h"

namespace kell::sim {

struct ScenarioLoad {
    std::optional<Scenario> scenario;  // empty when the text was refused
    std::string error;                 // why, naming the field
};

// A scenario from its JSON text. Every field is optional and starts from the Scenario
// defaults (an up-to-date instrument); unknown fields are refused so that a misspelt name does
// not pass unnoticed. Byte lists are arrays of numbers or hexadecimal text ("4B 45 4C").
// sim/README.md lists the fields.
ScenarioLoad ParseScenario(std::string_view json);
ScenarioLoad LoadScenarioFile(const std::string& path);

}  // namespace kell::sim
