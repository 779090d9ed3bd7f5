#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/line_device.h"
#include "platform/virtual/virtual_clock.h"
#include "tests/support/bytes.h"

namespace kell::testing {

// A frame a scripted instrument received, and when.
struct ReceivedFrame {
    std::int64_t atUs;
    Bytes bytes;
};

// How a part of a scripted instrument answers: bytes to the PC after a delay.
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

// One family of frames a scripted instrument speaks: how long its frames are, known by their
// first bytes, and what the instrument does with a whole one.
class ScriptedPart {
  public:
    virtual ~ScriptedPart() = default;

    // The length of a frame that begins with `start`, 0 while the bytes so far do not tell it;
    // nothing when the frame is not of this family.
    virtual std::optional<std::size_t> FrameLength(const Bytes& start) const = 0;
    virtual void OnFrame(const Bytes& frame) = 0;
};

}  // namespace kell::testing
