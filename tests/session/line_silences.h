#pragma once

// The silences on a session's line, on virtual time: where the fixed pauses of a session show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/session_rig.h"

namespace kell::testing {

// What a pause may grow by: the reconnection's pulses and settling, and a few exchanges.
inline constexpr std::int64_t kSlack = kSecondUs;

// A time without any byte on the line, and where the session stood at its two ends.
struct Silence {
    std::int64_t fromUs;
    std::int64_t toUs;
    int stepBefore;
    int stepAfter;
    std::uint32_t baudBefore;
    std::uint32_t baudAfter;
    std::int64_t Length() const { return toUs - fromUs; }
};

// Notes every silence on the line of at least 50 ms.
class SilenceLog {
  public:
    explicit SilenceLog(SessionRig& rig) : rig_(rig) {
        rig.line.SetTap([this](VirtualLine::Direction, std::int64_t timeUs, std::uint8_t) {
            const int step = rig_.window->State().stepIndex;
            const std::uint32_t baud = rig_.line.HostBaud();
            if (lastUs_ >= 0 && timeUs - lastUs_ >= kShortest)
                silences.push_back({lastUs_, timeUs, lastStep_, step, lastBaud_, baud});
            lastUs_ = timeUs;
            lastStep_ = step;
            lastBaud_ = baud;
            fastestBaud = std::max(fastestBaud, baud);
        });
    }
    ~SilenceLog() { rig_.line.SetTap({}); }

    // The longest silence that began and ended while the session was at these steps, within
    // the time from afterUs to beforeUs.
    Silence Longest(int stepBefore, int stepAfter, std::int64_t afterUs = 0,
                    std::int64_t beforeUs = INT64_MAX) const {
        Silence longest{0, 0, 0, 0, 0, 0};
        for (const Silence& s : silences) {
            if (s.stepBefore == stepBefore && s.stepAfter == stepAfter && s.fromUs >= afterUs &&
                s.toUs <= beforeUs && s.Length() > longest.Length())
                longest = s;
        }
        return longest;
    }
    // The first silence after the PC's side went to `baud`. (The speed-change frame itself is
    // still on the wire when the port changes speed, so the silence before it does not count.)
    Silence AfterSpeedChange(std::uint32_t baud) const {
        for (const Silence& s : silences) {
            if (s.baudBefore == baud)
                return s;
        }
        return {0, 0, 0, 0, 0, 0};
    }

    std::vector<Silence> silences;
    std::uint32_t fastestBaud = 0;  // the PC's fastest line speed while bytes crossed

  private:
    static constexpr std::int64_t kShortest = 50'000;
    SessionRig& rig_;
    std::int64_t lastUs_ = -1;
    int lastStep_ = 0;
    std::uint32_t lastBaud_ = 0;
};

inline std::string Seconds(std::int64_t us) {
    return std::to_string(static_cast<double>(us) / kSecondUs) + " s";
}

// The bytes written just before a pause are still on the wire during it: a silence on the line
// may be shorter than the pause by their wire time.
inline constexpr std::int64_t kBytesBeforeThePause = 1'000;

inline void ExpectPause(std::int64_t length, std::int64_t pauseUs, const std::string& what) {
    EXPECT_GE(length, pauseUs - kBytesBeforeThePause) << what << ": " << Seconds(length);
    EXPECT_LE(length, pauseUs + kSlack) << what << ": " << Seconds(length);
}

}  // namespace kell::testing
