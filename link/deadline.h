#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace kell {

// A limit on the whole-second calendar clock, as every wait of the protocol measures it: the
// start is the second in which the wait began, and the wait has timed out as soon as the
// seconds since then reach the limit. A one-second limit therefore lasts from a few
// milliseconds (the second changes at once) to a full second; the retries absorb short ones.
class Deadline {
  public:
    Deadline(Clock& clock, std::int64_t limitSeconds)
        : clock_(&clock), start_(clock.Seconds()), limit_(limitSeconds) {}

    // A limit counted from an earlier second (a step's start time) instead of from now.
    static Deadline Since(Clock& clock, std::int64_t startSeconds, std::int64_t limitSeconds) {
        Deadline d(clock, limitSeconds);
        d.start_ = startSeconds;
        return d;
    }

    // Whole seconds that have passed since the start.
    std::int64_t Elapsed() const { return clock_->Seconds() - start_; }
    bool Expired() const { return Elapsed() >= limit_; }
    std::int64_t Limit() const { return limit_; }

    // Starts again from the current second, with the same limit.
    void Restart() { start_ = clock_->Seconds(); }
    // The same start with another limit (a wait that covers a longer stretch of one reply).
    Deadline WithLimit(std::int64_t limitSeconds) const {
        Deadline other = *this;
        other.limit_ = limitSeconds;
        return other;
    }

  private:
    Clock* clock_;
    std::int64_t start_;
    std::int64_t limit_;
};

}  // namespace kell
