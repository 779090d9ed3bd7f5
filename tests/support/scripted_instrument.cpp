#include "tests/support/scripted_instrument.h"

namespace kell::testing {

ScriptedInstrument::ScriptedInstrument(VirtualClock& clock, DevicePort& port, IdentityFacts facts)
    : ScriptedInstrument(clock, port) {
    identification.facts = facts;
    Speak(identification);
    frameGapUs = 100'000;
}

void ScriptedInstrument::OnHostOpened() {
    ++opens;
    pending_.clear();
    if (onOpened)
        onOpened();
}

void ScriptedInstrument::OnRtsChanged(bool on) {
    if (on && !rts_)
        ++rtsPulses;
    rts_ = on;
}

std::size_t ScriptedInstrument::FrameLength() const {
    for (const ScriptedPart* part : speaking_) {
        if (const std::optional<std::size_t> length = part->FrameLength(pending_))
            return *length;
    }
    return 1;
}

void ScriptedInstrument::OnByteFromHost(std::uint8_t byte) {
    received.push_back(byte);
    if (frameGapUs > 0 && !pending_.empty() && clock_.NowUs() - lastByteUs_ > frameGapUs)
        pending_.clear();
    lastByteUs_ = clock_.NowUs();
    pending_.push_back(byte);
    const std::size_t length = FrameLength();
    if (length == 0 || pending_.size() < length)
        return;
    Bytes frame;
    frame.swap(pending_);
    frames.push_back({clock_.NowUs(), frame});
    for (ScriptedPart* part : speaking_) {
        if (part->FrameLength(frame)) {
            part->OnFrame(frame);
            return;
        }
    }
}

std::vector<Bytes> ScriptedInstrument::FramesOf(std::uint8_t command) const {
    std::vector<Bytes> found;
    for (const Frame& frame : frames)
        if (frame.bytes[0] == command)
            found.push_back(frame.bytes);
    return found;
}

}  // namespace kell::testing
