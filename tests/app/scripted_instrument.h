#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/line_device.h"
#include "platform/virtual/virtual_clock.h"

namespace kell::testing {

// What a scripted instrument is and reports. The fields follow those of the simulator's
// scenarios, so that a test written against one can move to the other.
struct InstrumentFacts {
    enum class Mode { Running, Bootstrap, Busy, Silent };
    Mode mode = Mode::Running;
    // Probes that go unanswered before the first answer (an instrument still starting).
    int unansweredProbes = 0;

    std::array<std::uint8_t, 7> identity = {0x4B, 0x45, 0x4C, 0x00, 0x12, 0x34, 0x56};
    std::array<std::uint8_t, 2> hardwareType = {0x02, 0x04};  // Orvo 02 04, Tesk xx 03
    bool threeFpgaConfigurations = true;
    std::uint8_t level = 40;

    std::string region = "EUR";
    std::string firmwareRelease = "2.04";
    std::string firmwareBuild = "00000";
    std::uint8_t fpgaMajor = 3;
    std::uint8_t fpgaMinor = 4;
    std::uint8_t planType = 1;
    std::uint16_t planVersion = 103;

    std::uint8_t zone = 1;
    bool answersParameter562 = true;
    std::uint8_t setting562 = 0;
    std::uint16_t setting571 = 5500;

    std::uint8_t peripheralStatus8 = 0x00;
    std::uint8_t peripheralStatus12 = 0x00;

    struct Module {
        bool present = true;
        std::uint16_t version = 162;
        std::uint16_t build = 0;
        std::uint8_t decoders = 1;
        std::uint8_t boot = 1;
        int reportsNoSoftware = 0;  // first answers that report version 0 (still starting)
    } module;

    std::int64_t answerUs = 300;
};

// A small instrument for the window's tests, written from the instrument's side: it answers
// the probe, the 0x01 family from a memory map, the module identification and the loader's
// buffer frames, and records what it received. It knows nothing of the updater's code.
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
    int moduleQueries = 0;
    std::vector<std::vector<std::uint8_t>> bufferFrames;
    std::vector<CallFrame> calls;

  private:
    void OnFrame(const std::vector<std::uint8_t>& frame);
    void OnProbe();
    void OnCommand(const std::vector<std::uint8_t>& frame);
    void OnModuleIdentity();
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
