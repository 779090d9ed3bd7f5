#pragma once

#include <cstdint>
#include <functional>

namespace kell {

// Timers for the far end of a line (the simulated instrument): run a function after a delay.
// The virtual clock implements it on virtual time; the standalone simulator on real time.
class Scheduler {
  public:
    using EventId = std::uint64_t;
    virtual ~Scheduler() = default;

    virtual EventId After(std::int64_t delayUs, std::function<void()> action) = 0;
    virtual void Cancel(EventId id) = 0;
};

}  // namespace kell
