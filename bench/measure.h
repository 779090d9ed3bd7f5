#pragma once

// What the benchmarks measure the same way: the wire time of the bytes on a virtual line and
// the processor time of the process.
#include <time.h>

#include <cstdint>
#include <functional>

#include "platform/virtual/virtual_line.h"

namespace kell::bench {

// The wire time of every byte that crosses a virtual line, as the line charges it: 11 bits at
// the speed of its sender. A byte is charged at the speed its sender's side has when it
// arrives; the few bytes still on the wire when a side changes speed are charged at the new one.
class WireMeter {
  public:
    explicit WireMeter(VirtualLine& line) : line_(line) {
        line_.SetTap([this](VirtualLine::Direction d, std::int64_t, std::uint8_t) {
            std::int64_t us = 0;
            if (d == VirtualLine::Direction::ToDevice) {
                ++toDeviceBytes;
                toDeviceUs += us = ByteTimeUs(line_.HostBaud());
            } else {
                ++toHostBytes;
                toHostUs += us = ByteTimeUs(line_.DeviceBaud());
            }
            if (pausing && pausing())
                duringPauseUs += us;
        });
    }
    ~WireMeter() { line_.SetTap({}); }
    WireMeter(const WireMeter&) = delete;
    WireMeter& operator=(const WireMeter&) = delete;

    std::int64_t TotalUs() const { return toDeviceUs + toHostUs; }

    // Whether the PC is pausing on purpose now: the bytes that arrive meanwhile are counted
    // apart as well, since their wire time overlaps the pause.
    std::function<bool()> pausing;

    long toDeviceBytes = 0;
    long toHostBytes = 0;
    std::int64_t toDeviceUs = 0;
    std::int64_t toHostUs = 0;
    std::int64_t duringPauseUs = 0;

  private:
    VirtualLine& line_;
};

inline double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace kell::bench
