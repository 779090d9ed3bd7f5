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

    // A limit in milliseconds of the monotonic clock, for the waits the program itself bounds
    // (not the protocol's whole-second ones). Elapsed() still counts whole seconds.
    static Deadline Milliseconds(Clock& clock, std::int64_t limitMs) {
        Deadline d(clock, 0);
        d.start_ = clock.MonotonicUs();
        d.limit_ = limitMs * 1000;
        d.inMicroseconds_ = true;
        return d;
    }

    // A limit counted from an earlier second (a step's start time) instead of from now.
    static Deadline Since(Clock& clock, std::int64_t startSeconds, std::int64_t limitSeconds) {
        Deadline d(clock, limitSeconds);
        d.start_ = startSeconds;
        return d;
    }

    // Whole seconds that have passed since the start.
    std::int64_t Elapsed() const {
        return inMicroseconds_ ? (clock_->MonotonicUs() - start_) / 1'000'000
                               : clock_->Seconds() - start_;
    }
    bool Expired() const {
        return inMicroseconds_ ? clock_->MonotonicUs() - start_ >= limit_ : Elapsed() >= limit_;
    }
    std::int64_t Limit() const { return limit_; }

    // Starts again from now, with the same limit.
    void Restart() { start_ = inMicroseconds_ ? clock_->MonotonicUs() : clock_->Seconds(); }
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
    bool inMicroseconds_ = false;
};

}  // namespace kell
