#include "sim/named_scenarios.h"

namespace kell::sim::scenarios {

Scenario UpToDate() {
    return Scenario{};
}

Scenario NeedsFullUpdate() {
    Scenario s;
    s.name = "full-update";
    s.firmwareRelease = "1.89";
    s.firmwareBuild = "00000";
    s.fpgaMajor = 3;
    s.fpgaMinor = 3;
    s.planVersion = 102;
    s.module.version = 161;
    return s;
}

Scenario Bootstrap() {
    Scenario s = NeedsFullUpdate();
    s.name = "bootstrap";
    s.mode = Mode::Bootstrap;
    return s;
}

Scenario Usa() {
    Scenario s;
    s.name = "usa";
    s.region = "USA";
    return s;
}

Scenario UnknownModel() {
    Scenario s;
    s.name = "unknown-model";
    s.hardwareType = {0x01, 0x07};
    return s;
}

Scenario LowLevel() {
    Scenario s;
    s.name = "low-level";
    s.level = 16;
    return s;
}

Scenario PlanTypeZeroOldPlan() {
    Scenario s;
    s.name = "plan-type-0-old";
    s.planType = 0;
    s.planVersion = 111;
    return s;
}

const std::vector<Named>& All() {
    static const std::vector<Named> all = {
        {"up-to-date.json", &UpToDate},
        {"full-update.json", &NeedsFullUpdate},
        {"bootstrap.json", &Bootstrap},
        {"usa.json", &Usa},
        {"unknown-model.json", &UnknownModel},
        {"low-level.json", &LowLevel},
        {"plan-type-0-old.json", &PlanTypeZeroOldPlan},
    };
    return all;
}

}  // namespace kell::sim::scenarios
