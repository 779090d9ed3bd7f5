#pragma once

#include <cstdint>
#include <functional>

#include "link/link_context.h"
#include "platform/controls.h"

namespace kell {

// The parts of the main window that the updaters of a session use: the link, the session's
// shared fields and the two bars. The main window builds one over its parts (its session
// state, connection and controls); tests build one over their own. Nothing here owns anything.
struct SessionContext {
    LinkContext link;
    bool& stopSession;
    int& resultCode;
    // Base of the overall bar for the current step; updaters add their share to it.
    int& overallPosition;
    // Calendar seconds some waits are measured from (set by the loader stages and the updaters).
    std::int64_t& stepStartTime;
    bool& connected;
    ProgressBar& Barra_progreso;
    ProgressBar& ProgressBar_general;
    Timer& Timer_desconexion;

    // Connection handlers of the main window, for the updaters that reconnect or change speed.
    std::function<void()> Boton_ConectarClick;
    std::function<void()> Reconnect;
    std::function<bool(int)> SetPortBaud;
    std::function<bool()> IsWow64;

    // A failure records its code only while none is recorded, so the first failure is reported.
    void RecordResult(int code) {
        if (resultCode == 0)
            resultCode = code;
    }
};

// A context over the fields of `owner` that carry the context's names: a test's stand-ins for
// the main window's. The connection handlers are the owner's to set.
template <class Owner>
SessionContext SessionOver(LinkContext link, Owner& owner) {
    return SessionContext{link,
                          owner.stopSession,
                          owner.resultCode,
                          owner.overallPosition,
                          owner.stepStartTime,
                          owner.connected,
                          owner.Barra_progreso,
                          owner.ProgressBar_general,
                          owner.Timer_desconexion,
                          {},
                          {},
                          {},
                          {}};
}

}  // namespace kell
