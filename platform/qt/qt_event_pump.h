#pragma once

#include "platform/event_pump.h"

namespace kell {

// The Qt event loop of the calling thread. Without one (no QCoreApplication, or a thread
// without an event dispatcher) pumping does nothing and a wait for an event just sleeps.
class QtEventPump : public EventPump {
  public:
    void PumpOnce() override;
    // Sleeps in the event dispatcher until something happens (a click, a timer, bytes for a
    // socket notifier) or maxWaitMs passed, so that waiting for the user costs no CPU.
    void WaitForEvent(std::uint32_t maxWaitMs) override;
};

}  // namespace kell
