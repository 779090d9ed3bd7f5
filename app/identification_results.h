#pragma once

#include <cstdint>
#include <string>

#include "link/module_versions.h"

namespace kell {

// What the identification learnt of the connected instrument: the readings that decide the
// update plan and what the session writes. The main window sets them while it identifies the
// instrument; front ends and tests read them.
struct IdentificationResults {
    // Every reading of the last identification that decides what the session writes agreed
    // (it is read until two replies agree); when one did not, the update is refused.
    bool readingsAgreed = true;
    int zoneCode = 0;
    bool parameter562Valid = false;
    std::uint8_t parameter562 = 0;
    std::uint16_t parameter571 = 0;
    bool modelKnown = false;
    bool usaUnit = false;
    bool firmwareAbove180 = false;
    bool firmwareBelow189 = false;
    bool threeFpgaConfigurations = false;
    int plansType = 0;
    int plansStoredVersion = 0;
    int plansExpectedVersion = 0;
    kell::ModuleVersions ModuleVersions;
    std::string instrumentVersion;  // the instrument's firmware version text, as read
    // The instrument's identity texts, at the connection and after its restarts, which tell
    // whether the same instrument came back.
    std::string identityAtConnect;
    std::string identityAfterRestart;
};

}  // namespace kell
