#pragma once

#include <cstdint>

namespace kell {

// Where long operations let the rest of the program run: a window repaints, a click reaches its
// handler, a timer fires.
class EventPump {
  public:
    virtual ~EventPump() = default;

    // Handle the pending events once and return.
    virtual void PumpOnce() = 0;
    // Block until at least one event was handled, or maxWaitMs passed. Used by the waits for the
    // user, so that they neither spin nor hang for ever.
    virtual void WaitForEvent(std::uint32_t maxWaitMs) = 0;
};

}  // namespace kell
