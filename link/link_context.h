#pragma once

#include "link/serial_channel.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/notifier.h"

namespace kell {

// What every exchange with the instrument works with: the channel, the clock its deadlines are
// measured on, the pump that keeps the window alive while it waits, the beep, and the session's
// stop flag (null where no session is running).
struct LinkContext {
    TMonitorPSerie& serial;
    Clock& clock;
    EventPump& pump;
    Notifier& notifier;
    const bool* stopSession = nullptr;

    bool StopRequested() const { return stopSession && *stopSession; }
    void Beep() { notifier.Beep(1000, 500); }
};

}  // namespace kell
