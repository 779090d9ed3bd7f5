#pragma once

// The pauses the PC's side takes on purpose: every sleep, by length. It wraps the clock the
// window is given and passes every call on unchanged.
#include <cstdint>
#include <map>

#include "platform/clock.h"

namespace kell::bench {

class PauseCountingClock : public Clock {
  public:
    explicit PauseCountingClock(Clock& inner) : inner_(inner) {}

    std::int64_t Seconds() override { return inner_.Seconds(); }
    std::uint32_t TickMs() override { return inner_.TickMs(); }
    std::int64_t MonotonicUs() override { return inner_.MonotonicUs(); }
    void SleepMs(std::uint32_t ms) override {
        ++countByLength[ms];
        sleeping_ = true;
        inner_.SleepMs(ms);
        sleeping_ = false;
    }
    bool Sleeping() const { return sleeping_; }

    std::int64_t TotalMs() const {
        std::int64_t total = 0;
        for (const auto& [ms, count] : countByLength)
            total += static_cast<std::int64_t>(ms) * count;
        return total;
    }

    std::map<std::uint32_t, long> countByLength;  // how many sleeps of each length, in ms

  private:
    Clock& inner_;
    bool sleeping_ = false;
};

}  // namespace kell::bench
