#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "tests/support/scripted_part.h"

namespace kell::testing {

// How an instrument answers the probe.
struct IdentityFacts {
    enum class Mode { Running, Bootstrap, Busy, Silent };
    Mode mode = Mode::Running;
    // Probes that go unanswered before the first answer (an instrument still starting).
    int unansweredProbes = 0;
    std::int64_t answerUs = 300;
};

// The frames of the search and the connection: the probe, the 01 commands answered from a
// memory map, the 02 calls, the module's identification and the loader's buffer frames. Its
// memory is that of an up-to-date instrument (2.04.00000, FPGA 3.4, plan type 1 version 103,
// module 162 build 0), which Poke can change. (Identification itself is tested against the
// simulator.)
class ScriptedIdentification : public ScriptedPart {
  public:
    struct CallFrame {
        std::uint8_t selector;
        std::uint16_t word;
        Bytes data;
    };

    explicit ScriptedIdentification(const Voice& voice);

    std::optional<std::size_t> FrameLength(const Bytes& start) const override;
    void OnFrame(const Bytes& frame) override;

    // The instrument leaves the link on its own.
    void LeaveLink() { voice_.Say({0x0A}, 0); }
    // Overwrites memory: byte i goes to (function, address + i).
    void Poke(std::uint8_t function, std::uint16_t address, const Bytes& bytes);

    IdentityFacts facts;

    // What the PC asked.
    int probes = 0;
    int endsOfLink = 0;
    std::vector<Bytes> bufferFrames;
    std::vector<CallFrame> calls;

  private:
    void OnProbe();
    void OnCommand(const Bytes& frame);
    Bytes Read(std::uint8_t function, std::uint16_t address, std::size_t count) const;
    void Answer(Bytes bytes) const { voice_.Say(std::move(bytes), facts.answerUs); }

    const Voice& voice_;
    std::map<std::uint32_t, std::uint8_t> memory_;
};

}  // namespace kell::testing
