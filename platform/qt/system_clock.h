#pragma once

#include "platform/clock.h"

namespace kell {

// The machine's clocks: the calendar for the protocol's whole-second deadlines, a steady clock
// for the millisecond tick and for measurements, and a real sleep.
class SystemClock : public Clock {
  public:
    std::int64_t Seconds() override;
    std::uint32_t TickMs() override;
    std::int64_t MonotonicUs() override;
    void SleepMs(std::uint32_t ms) override;
};

}  // namespace kell
