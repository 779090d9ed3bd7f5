#pragma once

#include <vector>

#include "app/instrument_versions.h"

namespace kell {

// Why the check after an update could not confirm it.
enum class Unverified {
    None,        // every planned component is current
    NotBack,     // the meter did not come back after its restart
    NotCurrent,  // a planned component is not reported current
};

// What the meter reports after a session that ended updated, asked again once it is back from
// its restart: each component (firmware, fpga, plans, module) with the version it reports, the
// version the program carries, whether the session planned it and whether it is now current.
struct VersionCheck {
    bool answered = false;               // the meter came back for the reading
    std::vector<ComponentCheck> checks;  // empty when it did not

    bool Verified() const { return answered && AllPlannedCurrent(checks); }
    Unverified Why() const {
        if (!answered)
            return Unverified::NotBack;
        return AllPlannedCurrent(checks) ? Unverified::None : Unverified::NotCurrent;
    }
};

}  // namespace kell
