#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "platform/clock.h"
#include "platform/scheduler.h"

namespace kell {

// Virtual time for tests and benchmarks: sleeping advances time at once, and everything that
// is due meanwhile (bytes arriving, the simulated instrument's timers) runs in time order.
class VirtualClock : public Clock, public Scheduler {
  public:
    // Calendar time of the start, in microseconds; by default half a second into a second, so
    // that a one-second deadline started at once lasts half a second.
    explicit VirtualClock(std::int64_t startUs = 1'800'000'000'500'000);

    std::int64_t Seconds() override { return nowUs_ / 1'000'000; }
    std::uint32_t TickMs() override { return static_cast<std::uint32_t>(nowUs_ / 1000); }
    std::int64_t MonotonicUs() override { return nowUs_; }
    void SleepMs(std::uint32_t ms) override { AdvanceBy(static_cast<std::int64_t>(ms) * 1000); }

    EventId After(std::int64_t delayUs, std::function<void()> action) override;
    void Cancel(EventId id) override;
    EventId At(std::int64_t timeUs, std::function<void()> action);
    // Takes the next event's place in the order of ties without scheduling anything yet: a
    // queue that keeps only its head scheduled (the virtual line's bytes in flight) reserves a
    // place for each entry when it is queued and schedules it with AtReserved when it comes
    // first, so its events run in the order they would have run had each been scheduled at once.
    EventId Reserve() { return nextId_++; }
    void AtReserved(std::int64_t timeUs, EventId id, std::function<void()> action);

    std::int64_t NowUs() const { return nowUs_; }
    // Time of the earliest pending event, or INT64_MAX when none is pending.
    std::int64_t NextEventUs() const;
    // Runs every event due up to timeUs in time order (ties in the order they were scheduled),
    // then sets the time to timeUs. Going backwards is ignored.
    void AdvanceTo(std::int64_t timeUs);
    void AdvanceBy(std::int64_t us) { AdvanceTo(nowUs_ + us); }
    // Advances until done() holds or limitUs is reached, stopping right after the event that
    // made it hold. Returns done().
    bool AdvanceUntil(const std::function<bool()>& done, std::int64_t limitUs);

  private:
    using Key = std::pair<std::int64_t, EventId>;  // (time, sequence) keeps ties in FIFO order
    std::int64_t nowUs_;
    EventId nextId_ = 1;
    std::map<Key, std::function<void()>> events_;
    std::map<EventId, std::int64_t> timeOf_;
};

}  // namespace kell
