#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/line_device.h"
#include "platform/virtual/virtual_clock.h"
#include "tests/support/scripted_identification.h"
#include "tests/support/scripted_module.h"
#include "tests/support/scripted_part.h"
#include "tests/support/scripted_record_store.h"

namespace kell::testing {

// A small stand-in for the instrument, written from its side of the line and sharing nothing
// with the updater. It cuts what the PC sends into frames by their first bytes, as the
// instrument's own reader does, records them, and hands each to the part that speaks its
// family:
//   identification  the search and the connection (the probe, commands, calls)
//   records         the configuration (parameter-store writes, loader buffer and sectors)
//   modules         the module updaters (blocks, staging erase, commit, start and finish)
// It speaks the families a test gives it; a frame none of them knows is one byte, ignored.
class ScriptedInstrument : public LineDevice {
    // Declared before the parts, which speak through it.
    VirtualClock& clock_;
    Voice voice_;

  public:
    using Frame = ReceivedFrame;

    ScriptedInstrument(VirtualClock& clock, DevicePort& port)
        : clock_(clock), voice_(clock, port) {}
    // An instrument for the search and the connection, that identifies itself by `facts`.
    ScriptedInstrument(VirtualClock& clock, DevicePort& port, IdentityFacts facts);

    // The instrument speaks this family of frames too.
    void Speak(ScriptedPart& part) { speaking_.push_back(&part); }

    void OnByteFromHost(std::uint8_t byte) override;
    void OnRtsChanged(bool on) override;
    void OnHostOpened() override;
    void OnHostClosed() override { pending_.clear(); }

    // Sends bytes to the PC, unasked.
    void Send(Bytes bytes, std::int64_t delayUs = 0) const {
        voice_.Say(std::move(bytes), delayUs);
    }

    // The frames received with this first byte, in order.
    std::vector<Bytes> FramesOf(std::uint8_t command) const;

    ScriptedIdentification identification{voice_};
    ScriptedRecordStore records{voice_};
    ScriptedModule modules{voice_};

    // A frame left half-received for longer than this is dropped, as the instrument's reader
    // drops it; 0 keeps it.
    std::int64_t frameGapUs = 0;
    std::function<void()> onOpened;  // the PC opened the port

    // What the PC did.
    Bytes received;
    std::vector<Frame> frames;
    int opens = 0;
    int rtsPulses = 0;

  private:
    std::size_t FrameLength() const;

    std::vector<ScriptedPart*> speaking_;
    Bytes pending_;
    std::int64_t lastByteUs_ = 0;
    bool rts_ = false;
};

}  // namespace kell::testing
