#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/line_device.h"
#include "platform/virtual/virtual_clock.h"

namespace kell::testing {

// How a scripted instrument answers the probe. Its memory is that of an up-to-date Orvo
// (2.04.00000, FPGA 3.4, plan type 1 version 103, module 162 build 0), which Poke can change.
struct InstrumentFacts {
    enum class Mode { Running, Bootstrap, Busy, Silent };
    Mode mode = Mode::Running;
    // Probes that go unanswered before the first answer (an instrument still starting).
    int unansweredProbes = 0;
    std::int64_t answerUs = 300;
};

// A small instrument for the search and connection tests, written from the instrument's side:
// it answers the probe, the 0x01 family from a memory map, the module identification and the
// loader's buffer frames, records what it received, and can say anything unasked. It knows
// nothing of the updater's code. (Identification is tested against the simulator.)
class ScriptedInstrument : public LineDevice {
  public:
    struct CallFrame {
        std::uint8_t selector;
        std::uint16_t word;
        std::vector<std::uint8_t> data;
    };

    ScriptedInstrument(VirtualClock& clock, DevicePort& port, InstrumentFacts facts = {});

    void OnByteFromHost(std::uint8_t byte) override;
    void OnRtsChanged(bool on) override;
    void OnHostOpened() override;
    void OnHostClosed() override;

    // The instrument leaves the link on its own.
    void LeaveLink() { Send({0x0A}); }
    void Send(std::vector<std::uint8_t> bytes, std::int64_t delayUs = 0);
    // Overwrites memory: byte i goes to (function, address + i).
    void Poke(std::uint8_t function, std::uint16_t address, const std::vector<std::uint8_t>& bytes);

    InstrumentFacts facts;
    std::function<void()> onOpened;  // the PC opened the port

    // What the PC did.
    std::vector<std::uint8_t> received;
    int opens = 0;
    int probes = 0;
    int endsOfLink = 0;
    int rtsPulses = 0;
    std::vector<std::vector<std::uint8_t>> bufferFrames;
    std::vector<CallFrame> calls;

  private:
    void OnFrame(const std::vector<std::uint8_t>& frame);
    void OnProbe();
    void OnCommand(const std::vector<std::uint8_t>& frame);
    // Bytes a frame beginning with these takes in all; 0 while the length is not yet known.
    static std::size_t FrameLength(const std::vector<std::uint8_t>& start);
    std::vector<std::uint8_t> Read(std::uint8_t function, std::uint16_t address,
                                   std::size_t count) const;

    VirtualClock& clock_;
    DevicePort& port_;
    std::map<std::uint32_t, std::uint8_t> memory_;
    std::vector<std::uint8_t> pending_;
    std::int64_t lastByteUs_ = 0;
    bool rts_ = false;
};

}  // namespace kell::testing
