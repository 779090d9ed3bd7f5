#pragma once

#include <cstdint>

#include "platform/line_device.h"
#include "platform/virtual/virtual_clock.h"
#include "tests/support/bytes.h"

namespace kell::testing {

// How a far end written from the instrument's side speaks: bytes to the PC after a delay, on
// virtual time.
class Voice {
  public:
    Voice(VirtualClock& clock, DevicePort& port) : clock_(clock), port_(port) {}

    void Say(Bytes bytes, std::int64_t delayUs) const {
        clock_.After(delayUs, [this, bytes] { port_.SendToHost(bytes.data(), bytes.size()); });
    }
    std::int64_t NowUs() const { return clock_.NowUs(); }

  private:
    VirtualClock& clock_;
    DevicePort& port_;
};

}  // namespace kell::testing
