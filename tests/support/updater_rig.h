#pragma once

#include <cstdint>

#include "link/session_context.h"
#include "platform/controls.h"
#include "tests/support/line_rig.h"

namespace kell::testing {

// A LineRig with the main window's session fields that the updaters use, under the window's
// names, and the session context over them. The connection handlers are left empty; a rig that
// needs one sets it on `session`.
template <class Device>
struct UpdaterRig : LineRig<Device> {
    using LineRig<Device>::LineRig;

    int resultCode = 0;
    int overallPosition = 0;
    std::int64_t stepStartTime = 0;
    bool connected = true;
    ProgressBar Barra_progreso;
    ProgressBar ProgressBar_general;
    Timer Timer_desconexion;
    SessionContext session = SessionOver(this->link, *this);
};

}  // namespace kell::testing
