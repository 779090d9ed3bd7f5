#pragma once

#include <cstdint>

namespace kell {

// Time as the updater sees it. Every deadline of the protocol is measured in whole seconds of
// the calendar clock; the serial channel's stall guard uses the millisecond tick.
class Clock {
  public:
    virtual ~Clock() = default;

    // Calendar time in whole seconds (the resolution the protocol's deadlines are defined on).
    virtual std::int64_t Seconds() = 0;
    // Millisecond tick; wraps like a 32-bit counter, so callers only take differences.
    virtual std::uint32_t TickMs() = 0;
    // Finer monotonic time for measurements and the virtual line, in microseconds.
    virtual std::int64_t MonotonicUs() = 0;
    virtual void SleepMs(std::uint32_t ms) = 0;
};

}  // namespace kell
