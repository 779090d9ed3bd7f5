#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "platform/clock.h"
#include "platform/scheduler.h"

namespace kell::sim {

// Real time for the standalone simulator: the clocks of the machine, and timers that the
// program's poll loop runs when they are due.
class RealtimeLoop : public Clock, public Scheduler {
  public:
    std::int64_t Seconds() override;
    std::uint32_t TickMs() override { return static_cast<std::uint32_t>(MonotonicUs() / 1000); }
    std::int64_t MonotonicUs() override;
    void SleepMs(std::uint32_t ms) override;

    EventId After(std::int64_t delayUs, std::function<void()> action) override;
    void Cancel(EventId id) override;

    // Runs every timer that is due now, in time order.
    void RunDue();
    // Microseconds until the next timer, or -1 when none is set.
    std::int64_t UntilNextUs();

  private:
    using Key = std::pair<std::int64_t, EventId>;
    EventId nextId_ = 1;
    std::map<Key, std::function<void()>> events_;
    std::map<EventId, std::int64_t> timeOf_;
};

}  // namespace kell::sim
