#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "tests/support/bytes.h"
#include "tests/support/voice.h"

namespace kell::testing {

// A frame a scripted instrument received, and when.
struct ReceivedFrame {
    std::int64_t atUs;
    Bytes bytes;
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
